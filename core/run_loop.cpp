// The run loop: one step per processor cycle, raster counting, the frame interrupt,
// the stop and step checks with their trace, the KERNAL traps that load files (from the
// mounted disk or the host folder, through the host hooks) and a picture every eight
// frames. One pass at a time, under the pass lock.
#include "core/run_loop.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <mutex>
#include <thread>

#include "core/cia_step.h"
#include "core/debug_log.h"
#include "core/escaped_text.h"
#include "core/host_hooks.h"
#include "core/interrupts.h"
#include "core/machine_state.h"
#include "core/memory_map.h"
#include "core/opcode_table.h"
#include "platform/host_services.h"

namespace core {

namespace {

std::mutex PassMutex;
thread_local bool HoldsPassLock = false;
thread_local PassWaitHook WaitHook = nullptr;
// Threads waiting for PassMutex.
std::atomic<int> PassLockWaiters{0};

// KERNAL addresses the run loop traps (all in the KERNAL ROM at $E000-$FFFF).
constexpr std::uint16_t kLookupLogicalFile = 0xF30F;
constexpr std::uint16_t kTapeFindHeader = 0xF54D;
constexpr std::uint16_t kTapeReadBody = 0xF5A5;
// The tape load's last steps: "LOADING" (or "VERIFYING") in direct mode, then the body.
constexpr std::uint16_t kTapeAnnounceLoad = 0xF5A2;
constexpr std::uint16_t kLoadSuccessExit = 0xF5A9;
// The KERNAL's "file not found" exit (error 4): carry set, A = 4, and the load routine
// returns to its caller, as after a real search that found nothing.
constexpr std::uint16_t kLoadFileNotFound = 0xF704;
constexpr std::uint16_t kSerialOpenFile = 0xF4C8;
constexpr std::uint16_t kSerialSkipOpen = 0xF4F0;
constexpr std::uint16_t kSerialByteLoop = 0xF4F9;
constexpr std::uint16_t kSetFileName = 0xFFBD;

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

// The file name last set through the KERNAL, kept until a load routine reaches its
// device trap (a save or an open with a name loads nothing).
char FileName[256];
std::size_t FileNameLength = 0;

// The name as the processor sees it where the KERNAL was pointed (ROM, RAM or I/O by
// the port), read without side effects; nothing beyond $FFFF.
void RememberFileName() {
  const std::uint32_t start = static_cast<std::uint32_t>(Cpu.Y) << 8 | Cpu.X;
  std::size_t length = Cpu.A;
  if (start + length > kMemorySize) length = kMemorySize - start;
  for (std::size_t i = 0; i < length; ++i) {
    FileName[i] = static_cast<char>(PeekByte(static_cast<std::uint16_t>(start + i)));
  }
  FileNameLength = length;
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
  NamedFileRequest request;
  request.name = std::string_view(FileName, FileNameLength);
  request.device = Ram[kDevice];
  request.secondaryAddress = secondaryAddress;
  request.loadAddress =
      static_cast<std::uint16_t>(Ram[kLoadAddressHigh] << 8 | Ram[kLoadAddressLow]);
  request.verify = Ram[kVerifyFlag] != 0;
  const auto load = InstalledHostHooks().loadNamedFile;
  const NamedFileResult result = load != nullptr ? load(request) : NamedFileResult{};
  LoadTrapSucceeded = result.outcome != NamedFileOutcome::kNotFound;
  if (LoadTrapSucceeded) {
    Ram[kLoadEndLow] = static_cast<std::uint8_t>(result.end & 0xFF);
    Ram[kLoadEndHigh] = static_cast<std::uint8_t>(result.end >> 8);
  }
  if (result.outcome == NamedFileOutcome::kDifferent) Ram[kStatus] |= kStatusVerifyError;
  AppendDebugLog(OutcomeLogText(result.outcome) + EscapedText(request.name));
}

// Compares PC with the trap addresses in order; a redirect ends the comparisons. Called
// only while the KERNAL ROM is what the processor executes there. Kept out of line, so
// that the loads it may call do not weigh on the machine step's code.
[[gnu::noinline]] void CheckTraps() {
  const std::uint16_t pc = Cpu.PC;
  if (pc == kLookupLogicalFile) {
    // Every OPEN, CHKIN, CHKOUT and CLOSE passes here: a note, never a stop.
    AppendDebugLog("tt");
    return;
  }
  if (pc == kTapeFindHeader) {
    LoadNamedFile(Ram[kSecondaryAddress]);
    // The header's addresses would overwrite the end the load has set: straight on to
    // the announcement and the body's trap.
    Cpu.PC = LoadTrapSucceeded ? kTapeAnnounceLoad : kLoadFileNotFound;
    return;
  }
  if (pc == kTapeReadBody) {
    if (LoadTrapSucceeded) Cpu.PC = kLoadSuccessExit;
    return;
  }
  if (pc == kSerialOpenFile) {
    LoadNamedFile(Cpu.X);
    Cpu.PC = LoadTrapSucceeded ? kSerialSkipOpen : kLoadFileNotFound;
    return;
  }
  if (pc == kSerialByteLoop) {
    // Reached only after a load that succeeded: the file is in memory already.
    Cpu.PC = kLoadSuccessExit;
    return;
  }
  if (pc == kSetFileName) RememberFileName();
}

// The video chip keeps its raster register in the I/O image whatever the processor port
// shows; the RAM under the I/O area holds what the program wrote there.
void StoreRasterRegister() {
  IoImage[0xD012] = static_cast<std::uint8_t>(RasterLine);
}

}  // namespace

void PayIdleSteps() {
  if (StallCycles == 0 || ThrottleDelay.load(std::memory_order_relaxed) >= 1.0f) return;
  // An interrupt would be entered in the next step: leave that step to MachineStep.
  if (IrqPending && !FlagSet(kFlagI)) return;
  // No step of the run may begin a raster line, nor find a running timer A at 0.
  std::int32_t steps = std::min<std::int32_t>(StallCycles, LineCyclesLeft);
  if (TimerARunning) steps = std::min<std::int32_t>(steps, TimerACounter);
  if (steps <= 0) return;
  LineCyclesLeft -= steps;
  StallCycles = static_cast<std::uint8_t>(StallCycles - steps);
  // Nothing the timer or the clock registers depend on changes during idle steps, so the
  // last step's CIA step finishes what the ones before it would have done.
  TimerACounter = static_cast<std::uint16_t>(TimerACounter - (steps - 1));
  CiaStep();
}

PassLock::PassLock() {
  if (HoldsPassLock) return;  // already held by this thread (a trap's load inside a pass)
  if (!PassMutex.try_lock()) {
    PassLockWaiters.fetch_add(1);
    if (WaitHook == nullptr) {
      PassMutex.lock();
    } else {
      // Serve the hook between short tries, so that the thread holding the lock can get
      // what it waits for from this one (a message box, a control's text).
      while (!PassMutex.try_lock()) {
        WaitHook();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    }
    PassLockWaiters.fetch_sub(1);
  }
  HoldsPassLock = true;
  owns_ = true;
}

PassLock::~PassLock() {
  if (!owns_) return;
  HoldsPassLock = false;
  PassMutex.unlock();
}

void SetPassWaitHookForThisThread(PassWaitHook hook) {
  WaitHook = hook;
}

bool ThisThreadHoldsPassLock() {
  return HoldsPassLock;
}

bool PassLockIsWanted() {
  return PassLockWaiters.load() > 0;
}

void SleepServingWaitHook(unsigned milliseconds) {
  if (WaitHook == nullptr) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    return;
  }
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < end) {
    WaitHook();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

bool MachineStep() {
  // 1. Raster line; each frame start raises the interrupt, every eighth a picture.
  if (LineCyclesLeft == 0) {
    if (RasterLine == LinesPerFrame) {
      --FramesLeft;
      RasterLine = 0;
      IrqPending = 1;
      FrameCounter.fetch_add(1, std::memory_order_relaxed);
      if (FramesLeft == 0) {
        if (const auto render = InstalledHostHooks().renderPicture) render();
        FramesLeft = FramesPerPass;
        RunFlag.store(0, std::memory_order_relaxed);
      }
    }
    StoreRasterRegister();
    ++RasterLine;
    LineCyclesLeft = CyclesPerLine;
  }

  // 2. Throttle (a delay below 1 waits for nothing).
  if (ThrottleDelay.load(std::memory_order_relaxed) >= 1.0f) ThrottleWait();

  // 3. Interrupt: the handler's first instruction runs in this same step.
  if (IrqPending && !FlagSet(kFlagI)) TakeInterrupt();

  // 4.
  --LineCyclesLeft;

  // 5. Idle step: an instruction's remaining cycles.
  if (StallCycles > 0) {
    --StallCycles;
  } else {
    // 6. Stop check, at an instruction boundary.
    const std::int32_t budget = StepBudget.load(std::memory_order_relaxed);
    if (budget == 0 || !EmulationRunning.load(std::memory_order_relaxed)) {
      RunFlag.store(0, std::memory_order_relaxed);
      return false;
    }
    // 7. Trace while single-stepping.
    if (budget > 0) {
      const std::string line = FormatTraceLine();
      RefreshDebugWindow();
      AppendDebugLog(line);
      StepBudget.store(budget - 1, std::memory_order_relaxed);
    }
    // 8. Traps: every trap address lies at or above $F30F, in the KERNAL ROM, which the
    // processor sees there only while HIRAM is set (otherwise it is a program's RAM).
    if (Cpu.PC >= kLookupLogicalFile && PortBitSet(kPortHiram)) CheckTraps();
    // 9. Fetch and execute.
    if (!IrqPending) SetFlag(kFlagB);
    ++InstructionCount;
    ExecuteInstruction(ReadByte(Cpu.PC));
  }

  // 10.
  CiaStep();
  return RunFlag.load(std::memory_order_relaxed) != 0;
}

void RunLoop() {
  if (!RunFlag.load()) return;
  PassLock lock;
  // Another pass may have run while this one waited for the lock.
  if (!RunFlag.load()) return;
  while (MachineStep()) PayIdleSteps();
}

std::string FormatTraceLine() {
  const auto bit = [](int flag) { return FlagSet(flag) ? 1 : 0; };
  char line[160];
  std::snprintf(line, sizeof line,
                "%" PRId64
                ":...0x%X: $%X - - - SP:0x%X - RegX:0x%X - RegY:0x%X - RegA:0x%X - N:%d - "
                "Z:%d - V:%d - C:%d - I:%d",
                InstructionCount, Cpu.PC, ReadByte(Cpu.PC), Cpu.SP, Cpu.X, Cpu.Y, Cpu.A,
                bit(kFlagN), bit(kFlagZ), bit(kFlagV), bit(kFlagC), bit(kFlagI));
  return line;
}

void HaltMachine() {
  AppendDebugLog(std::to_string(InstructionCount) + "> JAM - emulation halted");
  platform::ShowMessageBox("JAM!", "Error");
  // The program around the machine has its last word (the headless runner writes the
  // outputs asked for); its answer is the exit status.
  const auto halted = InstalledHostHooks().machineHalted;
  platform::EndProcess(halted != nullptr ? halted() : 0);
}

}  // namespace core
