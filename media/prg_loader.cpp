// Program files copied straight into RAM at their own address (no memory map, so ROM
// overlays and I/O play no part), and the typed keys that start them.
#include "media/prg_loader.h"

#include <chrono>
#include <cstdio>
#include <span>

#include "core/debug_log.h"
#include "core/escaped_text.h"
#include "core/machine.h"
#include "core/run_loop.h"
#include "input/key_matrix.h"
#include "media/program_file.h"
#include "platform/file_reader.h"
#include "platform/host_services.h"

namespace media {

namespace {

// Two address bytes and data up to $FFFF from $0000: anything longer loads nowhere.
constexpr std::size_t kMaxFileBytes = 2 + 0x10000;

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
// release has been through the next entry; the four keys of RUN together wait at most
// this long (longer sequences in proportion).
constexpr unsigned kAutostartScanWaitLimitMs = 5000;
constexpr unsigned kScanPollMs = 5;

bool KeyIsDown(const input::MatrixPosition& key) {
  return (core::C64.input.keyMatrix[key.row].load() & (1u << key.column)) == 0;
}

// Releases a held key once a frame interrupt has scanned it. A stopped machine scans
// nothing, so there (or past the deadline) the key goes up at once and is not typed.
void ReleaseOnceScanned(const input::MatrixPosition& key,
                        std::chrono::steady_clock::time_point deadline) {
  input::ReleaseMatrixKeyAtNextEntry(key.row, key.column);
  while (KeyIsDown(key) && core::C64.run.emulationRunning.load() != 0 &&
         std::chrono::steady_clock::now() < deadline) {
    core::SleepServingWaitHook(kScanPollMs);
  }
  input::ReleaseMatrixKey(key.row, key.column);
}

void TypeKeys(std::span<const TypedKey> keys) {
  const auto scanDeadline =
      std::chrono::steady_clock::now() +
      std::chrono::milliseconds(kAutostartScanWaitLimitMs * keys.size() / std::size(kRunKeys));
  for (const TypedKey& typed : keys) {
    // SHIFT goes down with the key and up once the key has been seen going up.
    if (typed.shifted) input::PressMatrixKey(input::RightShiftKey.row, input::RightShiftKey.column);
    input::PressMatrixKey(typed.key.row, typed.key.column);
    core::SleepServingWaitHook(kAutostartHoldMs);
    ReleaseOnceScanned(typed.key, scanDeadline);
    if (typed.shifted) {
      input::ReleaseMatrixKey(input::RightShiftKey.row, input::RightShiftKey.column);
    }
  }
}

}  // namespace

std::optional<std::vector<std::uint8_t>> ReadProgramFile(const std::string& path) {
  const platform::FileContents file = platform::ReadFileHead(path, kMaxFileBytes);
  const std::string shown = core::EscapedText(path);
  if (file.status == platform::FileReadStatus::kCannotOpen) {
    if (path.size() > 1) platform::ShowMessageBox("File not found: " + shown, "Error");
    return std::nullopt;
  }
  if (file.status != platform::FileReadStatus::kRead || file.size > kMaxFileBytes) {
    platform::ShowMessageBox("No readable PRG file: " + shown, "Error");
    return std::nullopt;
  }
  return file.bytes;
}

std::optional<ProgramRange> LoadPrg(const std::string& path) {
  const std::optional<std::vector<std::uint8_t>> bytes = ReadProgramFile(path);
  if (!bytes) return std::nullopt;
  const ProgramFile program = ParseProgramFile(*bytes);
  if (!program.ok()) {
    platform::ShowMessageBox("No readable PRG file: " + core::EscapedText(path), "Error");
    return std::nullopt;
  }
  PlaceProgram(program, core::C64.memory.ram, false);
  // The address after the last loaded byte, as the KERNAL's LOAD leaves it (a program
  // that fills RAM up to $FFFF wraps to $0000).
  const std::uint32_t end = program.endAddress();
  core::C64.memory.ram[kLoadEndLow] = static_cast<std::uint8_t>(end & 0xFF);
  core::C64.memory.ram[kLoadEndHigh] = static_cast<std::uint8_t>(end >> 8);
  return ProgramRange{program.loadAddress, end};
}

bool PrepareLoadedProgramForStart(const ProgramRange& range) {
  if (range.start == kBasicStart) {
    SetBasicVariablesToLoadEnd();
    return true;
  }
  char line[48];
  if (range.end > range.start) {
    std::snprintf(line, sizeof line, "Loaded $%04X-$%04X", range.start,
                  static_cast<unsigned>(range.end - 1));
  } else {
    std::snprintf(line, sizeof line, "Loaded nothing at $%04X", range.start);
  }
  core::AppendDebugLog(line);
  return false;
}

void SetBasicVariablesToLoadEnd() {
  core::C64.memory.ram[kVariablesLow] = core::C64.memory.ram[kLoadEndLow];
  core::C64.memory.ram[kVariablesHigh] = core::C64.memory.ram[kLoadEndHigh];
}

void AutostartProgram() {
  TypedKey keys[std::size(kRunKeys)];
  for (std::size_t i = 0; i < std::size(kRunKeys); ++i) keys[i].key = kRunKeys[i];
  TypeKeys(keys);
}

void AutostartDisk() {
  TypeKeys(kLoadAndRunFirstFileKeys);
}

}  // namespace media
