// Program files (load address $0801) copied into RAM, and the typed RUN that starts them.
#pragma once

#include <string>

#include "input/key_matrix.h"

namespace media {

// Copies the file into Ram at $0801 and sets $AE/$AF (end of load) to the address after
// the last byte, as the machine's own LOAD does. Reports failures in message boxes.
// The caller keeps the copy from interleaving with a pass (the run loop's trap runs it
// inside its own pass; other callers hold a PassLock).
bool LoadPrg(const std::string& path);

// Where no KERNAL LOAD ran (command line, menu, headless runner): BASIC's start of
// variables ($2D/$2E) := end of load ($AE/$AF), so that RUN finds a whole program.
void SetBasicVariablesToLoadEnd();

// R, U, N and RETURN, typed one at a time: each key is pressed, then `holdAndRelease`
// holds it as long as its caller's clock says and releases it.
inline constexpr input::MatrixPosition kRunKeys[] = {{2, 1}, {3, 6}, {4, 7}, {0, 1}};
template <typename HoldAndRelease>
void TypeRunKeys(HoldAndRelease holdAndRelease) {
  for (const input::MatrixPosition& key : kRunKeys) {
    input::PressMatrixKey(key.row, key.column);
    holdAndRelease(key);
  }
}

// Types R, U, N and RETURN into the matrix, one at a time, each held 100 ms and until
// the running machine's keyboard scan has seen it; returns after ~400 ms when the machine
// scans in time, at most about five seconds later when it does not. A stopped machine
// sees the keys go down and up again and types nothing. While waiting, the calling
// thread serves its pass wait hook.
void AutostartProgram();

}  // namespace media
