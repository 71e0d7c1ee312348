// The KERNAL traps as a table of ROM addresses and what the machine does there instead:
// the tape and serial load routines load (or verify) the remembered file through the host
// hooks and leave what the KERNAL would, SETNAM's name is remembered for them, the serial
// bus routines talk to device 8 through the host hooks, and a tape SAVE finds no tape.
#include "core/kernal_traps.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>

#include "core/cpu_operations.h"
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
// The KERNAL's "device not present" exit (error 5): the routine's caller gets carry set
// and A = 5, and BASIC says ?DEVICE NOT PRESENT.
constexpr std::uint16_t kDeviceNotPresent = 0xF707;

// The drive that answers on the bus.
constexpr std::uint8_t kDiskDevice = 8;

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

// ---- Device 8 on the serial bus ----
// Each routine, taken over, leaves what the KERNAL's would for its caller: carry clear, I
// clear (the routines end with CLI, but for CIOUT, which may only keep its byte), and
// returns as its RTS would.

void ReturnFromRoutine(bool clearInterruptMask) {
  const std::uint8_t low = op::Pull();
  const std::uint8_t high = op::Pull();
  C64.cpu.PC = static_cast<std::uint16_t>((high << 8 | low) + 1);
  ClearFlag(kFlagC);
  if (clearInterruptMask) ClearFlag(kFlagI);
}

// Calls device 8 when it has the part the routine needs and returns for the routine;
// false leaves the KERNAL's routine to run (another device, or no drive attached).
bool CallDevice8(std::uint8_t part, SerialCall call, bool clearInterruptMask = true) {
  const auto bus = InstalledHostHooks().serialBus;
  if (bus == nullptr || (C64.traps.busDevice8 & part) == 0) return false;
  bus(call, C64.cpu.A);
  ReturnFromRoutine(clearInterruptMask);
  return true;
}

// LISTEN and TALK with the device in A: device 8 takes the part; any other device leaves
// it out of the talk (the KERNAL addresses that one on the real bus).
void AddressDevice(std::uint8_t part, SerialCall call) {
  const auto bus = InstalledHostHooks().serialBus;
  if (bus == nullptr) return;
  if (C64.cpu.A != kDiskDevice) {
    C64.traps.busDevice8 = 0;
    return;
  }
  C64.traps.busDevice8 = part;
  bus(call, C64.cpu.A);
  ReturnFromRoutine(true);
}

void SerialTalk() {
  AddressDevice(kBusTalking, SerialCall::kTalk);
}
void SerialListen() {
  AddressDevice(kBusListening, SerialCall::kListen);
}
void SerialSecond() {
  CallDevice8(kBusListening, SerialCall::kSecond);
}
// SECOND's last step alone, where CHKOUT sends no secondary address ($B9 >= $80).
void SerialReleaseAttention() {
  if (InstalledHostHooks().serialBus != nullptr && (C64.traps.busDevice8 & kBusListening) != 0) {
    ReturnFromRoutine(false);
  }
}
void SerialTalkSecond() {
  CallDevice8(kBusTalking, SerialCall::kTksa);
}
// TKSA's turnaround alone, where CHKIN sends no secondary address.
void SerialTurnAround() {
  if (InstalledHostHooks().serialBus != nullptr && (C64.traps.busDevice8 & kBusTalking) != 0) {
    ReturnFromRoutine(true);
  }
}
void SerialByteOut() {
  CallDevice8(kBusListening, SerialCall::kCiout, false);
}
void SerialUntalk() {
  const std::uint8_t listening = C64.traps.busDevice8 & kBusListening;
  if (CallDevice8(kBusTalking, SerialCall::kUntalk)) C64.traps.busDevice8 = listening;
}
void SerialUnlisten() {
  const std::uint8_t talking = C64.traps.busDevice8 & kBusTalking;
  if (CallDevice8(kBusListening, SerialCall::kUnlisten)) C64.traps.busDevice8 = talking;
}
// ACPTR: the byte in A (and N, Z), the end of the file or a timeout in the status.
void SerialByteIn() {
  const auto bus = InstalledHostHooks().serialBus;
  if (bus == nullptr || (C64.traps.busDevice8 & kBusTalking) == 0) return;
  const SerialReply reply = bus(SerialCall::kAcptr, 0);
  C64.memory.ram[kStatus] |= reply.status;
  C64.cpu.A = reply.byte;
  SetNZ(reply.byte);
  ReturnFromRoutine(true);
}

// SAVE to tape, just before it waits for RECORD and PLAY: there is no tape, so the save
// ends at once with error 5 (the exit returns to SAVE's caller, carry set).
void TapeSaveWait() {
  C64.cpu.PC = kDeviceNotPresent;
}

struct KernalTrap {
  std::uint16_t address;
  void (*run)();
};

// In address order.
constexpr KernalTrap kTraps[] = {
    {kLowestTrapAddress, &SerialTalk},  // $ED09 TALK
    {0xED0C, &SerialListen},            // LISTEN
    {0xEDB9, &SerialSecond},            // SECOND
    {0xEDBE, &SerialReleaseAttention},  // SECOND: release ATN
    {0xEDC7, &SerialTalkSecond},        // TKSA
    {0xEDCC, &SerialTurnAround},        // TKSA: turn the bus around
    {0xEDDD, &SerialByteOut},           // CIOUT
    {0xEDEF, &SerialUntalk},            // UNTLK
    {0xEDFE, &SerialUnlisten},          // UNLSN
    {0xEE13, &SerialByteIn},            // ACPTR
    {0xF30F, &NoteFileLookup},          // look up a logical file
    {0xF4C8, &SerialOpenFile},          // serial load: open the file on the device
    {0xF4F9, &SerialByteLoop},          // serial load: the byte loop
    {0xF54D, &TapeFindHeader},          // tape load: find the file's header
    {0xF5A5, &TapeReadBody},            // tape load: read the body
    {0xF664, &TapeSaveWait},            // tape save: wait for RECORD and PLAY
    {0xFFBD, &RememberFileName},        // SETNAM
};
static_assert(std::is_sorted(std::begin(kTraps), std::end(kTraps),
                             [](const KernalTrap& a, const KernalTrap& b) {
                               return a.address < b.address;
                             }));

}  // namespace

void RunKernalTrap() {
  const std::uint16_t pc = C64.cpu.PC;
  const auto trap = std::lower_bound(
      std::begin(kTraps), std::end(kTraps), pc,
      [](const KernalTrap& entry, std::uint16_t address) { return entry.address < address; });
  if (trap != std::end(kTraps) && trap->address == pc) trap->run();
}

}  // namespace core
