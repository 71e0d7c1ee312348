// Program files with load address $0801 copied straight into RAM (no memory map, so ROM
// overlays and I/O play no part), and the typed RUN that starts them.
#include "media/prg_loader.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "core/machine_state.h"
#include "core/run_loop.h"
#include "input/key_matrix.h"
#include "platform/file_reader.h"
#include "platform/host_services.h"

namespace media {

namespace {

constexpr std::uint16_t kBasicStart = 0x0801;
// RAM ends at $FFFF: a file at $0801 carries at most this many data bytes.
constexpr std::size_t kMaxDataBytes = 0x10000 - kBasicStart;  // 63,487
constexpr std::size_t kMaxFileBytes = kMaxDataBytes + 2;

// Zero-page pointers: end of load (set by the KERNAL's LOAD) and BASIC's start of
// variables, which is also the end of the program text.
constexpr std::uint16_t kLoadEndLow = 0xAE;
constexpr std::uint16_t kLoadEndHigh = 0xAF;
constexpr std::uint16_t kVariablesLow = 0x2D;
constexpr std::uint16_t kVariablesHigh = 0x2E;

constexpr unsigned kAutostartHoldMs = 100;
// A hold of 100 ms can pass without a single keyboard scan: the frame interrupt scans
// only while the machine runs, a slow host may spend the whole hold drawing a picture,
// and a machine still starting up enables its interrupt only after the memory test. So
// a key stays down until the KERNAL's scan in a frame interrupt has seen it and the
// release has been through the next entry; all four keys together wait at most this long.
constexpr unsigned kAutostartScanWaitLimitMs = 5000;
constexpr unsigned kScanPollMs = 5;

bool KeyIsDown(const input::MatrixPosition& key) {
  return (core::KeyMatrix[key.row].load() & (1u << key.column)) == 0;
}

// Releases a held key once a frame interrupt has scanned it. A stopped machine scans
// nothing, so there (or past the deadline) the key goes up at once and is not typed.
void ReleaseOnceScanned(const input::MatrixPosition& key,
                        std::chrono::steady_clock::time_point deadline) {
  input::ReleaseMatrixKeyAtNextEntry(key.row, key.column);
  while (KeyIsDown(key) && core::EmulationRunning.load() != 0 &&
         std::chrono::steady_clock::now() < deadline) {
    core::SleepServingWaitHook(kScanPollMs);
  }
  input::ReleaseMatrixKey(key.row, key.column);
}

}  // namespace

bool LoadPrg(const std::string& path) {
  const platform::FileContents file = platform::ReadFileHead(path, kMaxFileBytes);
  if (file.status == platform::FileReadStatus::kCannotOpen) {
    // A name of one character or none is what an emulated program leaves when it sets
    // no real file name; that fails quietly.
    if (path.size() > 1) platform::ShowMessageBox("File not found: " + path, "Error");
    return false;
  }

  const std::vector<std::uint8_t>& buffer = file.bytes;
  const bool read = file.status == platform::FileReadStatus::kRead && file.size <= kMaxFileBytes;
  if (!read || buffer.size() < 2 || buffer[0] != (kBasicStart & 0xFF) ||
      buffer[1] != (kBasicStart >> 8)) {
    platform::ShowMessageBox("No readable PRG file: " + path, "Error");
    return false;
  }

  const std::size_t dataBytes = buffer.size() - 2;
  for (std::size_t i = 0; i < dataBytes; ++i) core::Ram[kBasicStart + i] = buffer[2 + i];

  // The address after the last loaded byte, as the KERNAL's LOAD leaves it (a program
  // that fills RAM up to $FFFF wraps to $0000).
  const std::uint16_t end = static_cast<std::uint16_t>(kBasicStart + dataBytes);
  core::Ram[kLoadEndLow] = static_cast<std::uint8_t>(end & 0xFF);
  core::Ram[kLoadEndHigh] = static_cast<std::uint8_t>(end >> 8);
  return true;
}

void SetBasicVariablesToLoadEnd() {
  core::Ram[kVariablesLow] = core::Ram[kLoadEndLow];
  core::Ram[kVariablesHigh] = core::Ram[kLoadEndHigh];
}

void AutostartProgram() {
  const auto scanDeadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kAutostartScanWaitLimitMs);
  TypeRunKeys([scanDeadline](const input::MatrixPosition& key) {
    core::SleepServingWaitHook(kAutostartHoldMs);
    ReleaseOnceScanned(key, scanDeadline);
  });
}

}  // namespace media
