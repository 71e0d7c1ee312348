// The run loop: one step per processor cycle, the end of each raster line handed to the
// video chip, the interrupt entry, the stop and step checks with their trace, the KERNAL
// traps at instruction fetch, and a picture every eight frames. One pass at a time, under
// the pass lock.
#include "core/run_loop.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <mutex>
#include <thread>

#include "core/chips/cia1.h"
#include "core/chips/video_chip.h"
#include "core/debug_log.h"
#include "core/host_hooks.h"
#include "core/interrupts.h"
#include "core/kernal_traps.h"
#include "core/machine.h"
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

}  // namespace

void PayIdleSteps() {
  if (C64.cpu.stallCycles == 0 || C64.throttle.delay.load(std::memory_order_relaxed) >= 1.0f)
    return;
  // An interrupt would be entered in the next step: leave that step to MachineStep.
  if (InterruptRequested() && !FlagSet(kFlagI)) return;
  // No step of the run may begin a raster line, nor find a running timer A at 0.
  std::int32_t steps = std::min<std::int32_t>(C64.cpu.stallCycles, C64.vic.lineCyclesLeft);
  if (C64.cia1.timerARunning) steps = std::min<std::int32_t>(steps, C64.cia1.timerACounter);
  if (steps <= 0) return;
  C64.vic.lineCyclesLeft -= steps;
  C64.cpu.stallCycles = static_cast<std::uint8_t>(C64.cpu.stallCycles - steps);
  // Nothing the timer or the clock registers depend on changes during idle steps.
  Cia1Advance(steps);
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
  // 1. The end of a raster line; each frame start raises the interrupt, every eighth
  // frame start ends the pass with a picture.
  if (C64.vic.lineCyclesLeft == 0 && VicEndOfLine()) {
    --C64.run.framesLeft;
    C64.run.frameCounter.fetch_add(1, std::memory_order_relaxed);
    if (C64.run.framesLeft == 0) {
      if (const auto render = InstalledHostHooks().renderPicture) render();
      C64.run.framesLeft = FramesPerPass;
      C64.run.runFlag.store(0, std::memory_order_relaxed);
    }
  }

  // 2. Throttle (a delay below 1 waits for nothing).
  if (C64.throttle.delay.load(std::memory_order_relaxed) >= 1.0f) ThrottleWait();

  // 3. Interrupt: the handler's first instruction runs in this same step.
  if (InterruptRequested() && !FlagSet(kFlagI)) TakeInterrupt();

  // 4.
  --C64.vic.lineCyclesLeft;

  // 5. Idle step: an instruction's remaining cycles.
  if (C64.cpu.stallCycles > 0) {
    --C64.cpu.stallCycles;
  } else {
    // 6. Stop check, at an instruction boundary.
    const std::int32_t budget = C64.run.stepBudget.load(std::memory_order_relaxed);
    if (budget == 0 || !C64.run.emulationRunning.load(std::memory_order_relaxed)) {
      C64.run.runFlag.store(0, std::memory_order_relaxed);
      return false;
    }
    // 7. Trace while single-stepping.
    if (budget > 0) {
      const std::string line = FormatTraceLine();
      RefreshDebugWindow();
      AppendDebugLog(line);
      C64.run.stepBudget.store(budget - 1, std::memory_order_relaxed);
    }
    // 8. Traps: every trap address lies in the KERNAL ROM, which the processor sees there
    // only while HIRAM is set (otherwise it is a program's RAM).
    if (C64.cpu.PC >= kLowestTrapAddress && PortBitSet(kPortHiram)) RunKernalTrap();
    // 9. Fetch and execute.
    if (!InterruptRequested()) SetFlag(kFlagB);
    ++C64.cpu.instructionCount;
    ExecuteInstruction(ReadByte(C64.cpu.PC));
  }

  // 10.
  Cia1Advance(1);
  return C64.run.runFlag.load(std::memory_order_relaxed) != 0;
}

void RunLoop() {
  if (!C64.run.runFlag.load()) return;
  PassLock lock;
  // Another pass may have run while this one waited for the lock.
  if (!C64.run.runFlag.load()) return;
  while (MachineStep()) PayIdleSteps();
}

std::string FormatTraceLine() {
  const auto bit = [](int flag) { return FlagSet(flag) ? 1 : 0; };
  char line[160];
  std::snprintf(line, sizeof line,
                "%" PRId64
                ":...0x%X: $%X - - - SP:0x%X - RegX:0x%X - RegY:0x%X - RegA:0x%X - N:%d - "
                "Z:%d - V:%d - C:%d - I:%d",
                C64.cpu.instructionCount, C64.cpu.PC, ReadByte(C64.cpu.PC), C64.cpu.SP, C64.cpu.X,
                C64.cpu.Y, C64.cpu.A, bit(kFlagN), bit(kFlagZ), bit(kFlagV), bit(kFlagC),
                bit(kFlagI));
  return line;
}

void HaltMachine() {
  AppendDebugLog(std::to_string(C64.cpu.instructionCount) + "> JAM - emulation halted");
  platform::ShowMessageBox("JAM!", "Error");
  // The program around the machine has its last word (the headless runner writes the
  // outputs asked for); its answer is the exit status.
  const auto halted = InstalledHostHooks().machineHalted;
  platform::EndProcess(halted != nullptr ? halted() : 0);
}

}  // namespace core
