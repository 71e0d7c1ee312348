// Program files copied into RAM at their own load address, and the typed RUN (or LOAD and
// RUN) that starts them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "input/key_matrix.h"

namespace media {

inline constexpr std::uint16_t kBasicStart = 0x0801;

// Where a program file went: from `start` up to, not including, `end` ($10000 for data
// that ends at $FFFF).
struct ProgramRange {
  std::uint16_t start = 0;
  std::uint32_t end = 0;
};

// Reads a host program file for loading. Failures show a box: "File not found: " and
// the name (none for a name of one character or none, which is what an emulated program
// leaves when it sets no real file name) or "No readable PRG file: " and the name (not a
// regular file, longer than any program). Names are shown with their non-printable bytes
// escaped.
std::optional<std::vector<std::uint8_t>> ReadProgramFile(const std::string& path);

// Copies the file into C64.memory.ram at its own load address and sets $AE/$AF (end of load) to the
// address after the last byte, as the machine's own LOAD"x",8,1 does; data that would
// run past $FFFF and files of fewer than two bytes are refused ("No readable PRG
// file: "). Reports failures in message boxes and changes nothing then. The caller keeps
// the copy from interleaving with a pass (the run loop's trap runs inside its own pass;
// other callers hold a PassLock).
std::optional<ProgramRange> LoadPrg(const std::string& path);

// Where no KERNAL LOAD ran (menu, command line, headless runner), a program that starts
// at BASIC's start is a BASIC program (or a SYS line in front of machine code) and is
// started with RUN, so BASIC's start of variables ($2D/$2E) := end of load: RUN finds a
// whole program. Any other program is left as loaded, and the debug log says where it
// went ("Loaded $C000-$C3FF"). Returns whether to type RUN.
bool PrepareLoadedProgramForStart(const ProgramRange& range);

// BASIC's start of variables ($2D/$2E) := end of load ($AE/$AF).
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

// A key typed by the autostart, with the right SHIFT held around it or not.
struct TypedKey {
  input::MatrixPosition key;
  bool shifted = false;
};
// LOAD"*",8,1 RETURN, then RUN RETURN: a disk's first program, started.
// clang-format off
inline constexpr TypedKey kLoadAndRunFirstFileKeys[] = {
    {{5, 2}}, {{4, 6}}, {{1, 2}}, {{2, 2}}, {{7, 3}, true},  // L O A D "
    {{6, 1}}, {{7, 3}, true},                                // * "
    {{5, 7}}, {{3, 3}}, {{5, 7}}, {{7, 0}}, {{0, 1}},        // , 8 , 1 RETURN
    {{2, 1}}, {{3, 6}}, {{4, 7}}, {{0, 1}},                  // R U N RETURN
};
// clang-format on

// Types R, U, N and RETURN into the matrix, one at a time, each held 100 ms and until
// the running machine's keyboard scan has seen it; returns after ~400 ms when the machine
// scans in time, at most about five seconds later when it does not. A stopped machine
// sees the keys go down and up again and types nothing. While waiting, the calling
// thread serves its pass wait hook.
void AutostartProgram();
// The same for the keys of LOAD"*",8,1 and RUN: about 1.6 s (at most twenty seconds).
void AutostartDisk();

}  // namespace media
