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
#include "platform/host_services.h"

namespace media {

namespace {

constexpr std::uint16_t kBasicStart = 0x0801;
// RAM ends at $FFFF: a file at $0801 carries at most this many data bytes.
constexpr long kMaxDataBytes = 0x10000 - kBasicStart;  // 63,487
constexpr long kMaxFileBytes = kMaxDataBytes + 2;

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

// Reads the whole file. Fails for a length that cannot be learned, one beyond the
// largest program, or a short read (a directory opens but does not read).
bool ReadWholeFile(std::FILE* file, std::vector<std::uint8_t>& buffer) {
  if (std::fseek(file, 0, SEEK_END) != 0) return false;
  const long length = std::ftell(file);
  if (length < 0 || length > kMaxFileBytes) return false;
  if (std::fseek(file, 0, SEEK_SET) != 0) return false;
  buffer.resize(static_cast<std::size_t>(length));
  return std::fread(buffer.data(), 1, buffer.size(), file) == buffer.size();
}

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
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    // A name of one character or none is what an emulated program leaves when it sets
    // no real file name; that fails quietly.
    if (path.size() > 1) platform::ShowMessageBox("File not found: " + path, "Error");
    return false;
  }

  std::vector<std::uint8_t> buffer;
  const bool read = ReadWholeFile(file, buffer);
  std::fclose(file);

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
  // R, U, N, RETURN, one at a time.
  static constexpr input::MatrixPosition kRunKeys[] = {{2, 1}, {3, 6}, {4, 7}, {0, 1}};
  const auto scanDeadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kAutostartScanWaitLimitMs);
  for (const input::MatrixPosition& key : kRunKeys) {
    input::PressMatrixKey(key.row, key.column);
    core::SleepServingWaitHook(kAutostartHoldMs);
    ReleaseOnceScanned(key, scanDeadline);
  }
}

}  // namespace media
