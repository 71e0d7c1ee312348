// The KERNAL traps as a table of ROM addresses and what the machine does there instead:
// the tape and serial load routines load (or verify) the remembered file through the host
// hooks and leave what the KERNAL would, and SETNAM's name is remembered for them.
#include "core/kernal_traps.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>

#include "core/debug_log.h"
#include "core/escaped_text.h"
#include "core/host_hooks.h"
#include "core/machine.h"
#include "core/memory_map.h"

namespace core {

namespace {

// KERNAL addresses where the load routines go on after a trap.
// The tape load's last steps: "LOADING" (or "VERIFYING") in direct mode, then the body.
constexpr std::uint16_t kTapeAnnounceLoad = 0xF5A2;
constexpr std::uint16_t kLoadSuccessExit = 0xF5A9;
// The KERNAL's "file not found" exit (error 4): carry set, A = 4, and the load routine
// returns to its caller, as after a real search that found nothing.
constexpr std::uint16_t kLoadFileNotFound = 0xF704;
constexpr std::uint16_t kSerialSkipOpen = 0xF4F0;

// The KERNAL's zero page: status, verify flag, secondary address, device, the load
// address given to LOAD, and the end of the load.
constexpr std::uint16_t kStatus = 0x90;
constexpr std::uint8_t kStatusVerifyError = 0x10;
constexpr std::uint16_t kVerifyFlag = 0x93;
constexpr std::uint16_t kSecondaryAddress = 0xB9;
constexpr std::uint16_t kDevice = 0xBA;
constexpr std::uint16_t kLoadAddressLow = 0xC3;
constexpr std::uint16_t kLoadAddressHigh = 0xC4;
constexpr std::uint16_t kLoadEndLow = 0xAE;
constexpr std::uint16_t kLoadEndHigh = 0xAF;

// The name as the processor sees it where the KERNAL was pointed (ROM, RAM or I/O by
// the port), read without side effects; nothing beyond $FFFF.
void RememberFileName() {
  const std::uint32_t start = static_cast<std::uint32_t>(C64.cpu.Y) << 8 | C64.cpu.X;
  std::size_t length = C64.cpu.A;
  if (start + length > kMemorySize) length = kMemorySize - start;
  static_assert(sizeof C64.traps.fileName > 0xFF, "room for any length in A");
  for (std::size_t i = 0; i < length; ++i) {
    C64.traps.fileName[i] = static_cast<char>(PeekByte(static_cast<std::uint16_t>(start + i)));
  }
  C64.traps.fileNameLength = static_cast<std::uint16_t>(length);
}

const char* OutcomeLogText(NamedFileOutcome outcome) {
  switch (outcome) {
    case NamedFileOutcome::kLoaded: return "File loaded: ";
    case NamedFileOutcome::kVerified: return "File verified: ";
    case NamedFileOutcome::kDifferent: return "File differs: ";
    case NamedFileOutcome::kNotFound: break;
  }
  return "File not found: ";
}

// Loads (or verifies) the remembered file for the KERNAL's load routine and leaves what
// the routine itself would: the end of the file in $AE/$AF, a difference in the status.
// The serial path has already put $60 into $B9 and keeps the caller's secondary address
// in X; the tape path still has it in $B9.
void LoadNamedFile(std::uint8_t secondaryAddress) {
  std::uint8_t* const ram = C64.memory.ram;
  NamedFileRequest request;
  request.name = std::string_view(C64.traps.fileName, C64.traps.fileNameLength);
  request.device = ram[kDevice];
  request.secondaryAddress = secondaryAddress;
  request.loadAddress =
      static_cast<std::uint16_t>(ram[kLoadAddressHigh] << 8 | ram[kLoadAddressLow]);
  request.verify = ram[kVerifyFlag] != 0;
  const auto load = InstalledHostHooks().loadNamedFile;
  const NamedFileResult result = load != nullptr ? load(request) : NamedFileResult{};
  C64.traps.loadSucceeded = result.outcome != NamedFileOutcome::kNotFound;
  if (C64.traps.loadSucceeded) {
    ram[kLoadEndLow] = static_cast<std::uint8_t>(result.end & 0xFF);
    ram[kLoadEndHigh] = static_cast<std::uint8_t>(result.end >> 8);
  }
  if (result.outcome == NamedFileOutcome::kDifferent) ram[kStatus] |= kStatusVerifyError;
  AppendDebugLog(OutcomeLogText(result.outcome) + EscapedText(request.name));
}

// Every OPEN, CHKIN, CHKOUT and CLOSE passes the logical-file lookup: a note, never a stop.
void NoteFileLookup() {
  AppendDebugLog("tt");
}

void TapeFindHeader() {
  LoadNamedFile(C64.memory.ram[kSecondaryAddress]);
  // The header's addresses would overwrite the end the load has set: straight on to the
  // announcement and the body's trap.
  C64.cpu.PC = C64.traps.loadSucceeded ? kTapeAnnounceLoad : kLoadFileNotFound;
}

void TapeReadBody() {
  if (C64.traps.loadSucceeded) C64.cpu.PC = kLoadSuccessExit;
}

void SerialOpenFile() {
  LoadNamedFile(C64.cpu.X);
  C64.cpu.PC = C64.traps.loadSucceeded ? kSerialSkipOpen : kLoadFileNotFound;
}

// Reached only after a load that succeeded: the file is in memory already.
void SerialByteLoop() {
  C64.cpu.PC = kLoadSuccessExit;
}

struct KernalTrap {
  std::uint16_t address;
  void (*run)();
};

// In address order.
constexpr KernalTrap kTraps[] = {
    {kLowestTrapAddress, &NoteFileLookup},  // $F30F: look up a logical file
    {0xF4C8, &SerialOpenFile},              // serial load: open the file on the device
    {0xF4F9, &SerialByteLoop},              // serial load: the byte loop
    {0xF54D, &TapeFindHeader},              // tape load: find the file's header
    {0xF5A5, &TapeReadBody},                // tape load: read the body
    {0xFFBD, &RememberFileName},            // SETNAM
};
static_assert(std::is_sorted(std::begin(kTraps), std::end(kTraps),
                             [](const KernalTrap& a, const KernalTrap& b) {
                               return a.address < b.address;
                             }));

}  // namespace

void RunKernalTrap() {
  const std::uint16_t pc = C64.cpu.PC;
  for (const KernalTrap& trap : kTraps) {
    if (trap.address == pc) {
      trap.run();
      return;
    }
  }
}

}  // namespace core
