// The run loop: one step per processor cycle, the end of each raster line handed to the
// video chip, the interrupt entry, the stop and step checks with their trace, the KERNAL
// traps at instruction fetch, and a picture at the end of each pass (eight frames in the
// classic machine, one in the accurate one). One pass at a time, under the pass lock.
#include "core/run_loop.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <mutex>
#include <thread>

#include "core/breakpoints.h"
#include "core/chips/cia1.h"
#include "core/chips/video_chip.h"
#include "core/cpu_operations.h"
#include "core/debug_log.h"
#include "core/frame_pacing.h"
#include "core/host_hooks.h"
#include "core/interrupts.h"
#include "core/kernal_traps.h"
#include "core/machine.h"
#include "core/memory_map.h"
#include "core/mouse_port.h"
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

namespace {

// Whether the speed limit paces the frames by the steady clock: on, and the host does not
// pace the machine itself (the desktop program by its sound card's clock).
bool PacedByClock() {
  return C64.throttle.speedLimitOn.load(std::memory_order_relaxed) != 0 &&
         C64.throttle.pacedByHost.load(std::memory_order_relaxed) == 0;
}

// A frame has begun: the pass counts it, and the pass's last frame ends it with a picture
// (every eighth in the classic machine, every one in the accurate machine; a pass begun
// in the classic machine ends at the first frame once the model is accurate). That last
// frame waits for its time at the start of the next pass, so that the host draws the
// picture while the frame waits instead of delaying the frames after it. Any other frame
// waits here; the host may end the pass there early to take its input.
template <MachineModel kModel>
void FrameBegun() {
  constexpr bool kAccurate = kModel == MachineModel::kAccurate;
  --C64.run.framesLeft;
  C64.run.frameCounter.fetch_add(1, std::memory_order_relaxed);
  // The classic machine counts its frames at the frame's interrupt entry.
  if constexpr (kAccurate) CountFramesPerSecond();
  UpdateMousePots();
  if (const auto begun = InstalledHostHooks().frameBegun) begun();
  if (kAccurate || C64.run.framesLeft == 0) {
    if (const auto render = InstalledHostHooks().renderPicture) render();
    C64.run.framesLeft = kAccurate ? AccurateFramesPerPass : FramesPerPass;
    C64.run.runFlag.store(0, std::memory_order_relaxed);
    C64.throttle.paceOwed = true;
    return;
  }
  if (PacedByClock() && PaceFrame()) C64.run.runFlag.store(0, std::memory_order_relaxed);
}

// At a pass's start: the wait its first frame still owes. True when the host asked to end
// the pass at once to take its input.
bool PayOwedPace() {
  if (!C64.throttle.paceOwed) return false;
  C64.throttle.paceOwed = false;
  return PacedByClock() && PaceFrame();
}

// The accurate machine's chips after each cycle: the CIAs count (lazily). In the
// instruction's polling cycle the processor notes whether it will take an IRQ.
inline void AdvanceAccurateChips() {
  OweCiaCycles(1);
  Cpu6510& cpu = C64.cpu;
  if (cpu.stallCycles == cpu.pollAt) {
    cpu.irqPolled = AccurateInterruptRequested() && (cpu.pollWithI & cpu.flagMasks[kFlagI]) == 0;
  }
}

// At an instruction boundary of the accurate machine: a RESTORE press or an NMI edge, then
// an IRQ polled during the last instruction, enters its handler in seven cycles.
inline bool EnterAccurateInterrupt() {
  Cpu6510& cpu = C64.cpu;
  if (C64.input.restorePressed.load(std::memory_order_relaxed) != 0 &&
      C64.input.restorePressed.exchange(0) != 0 && !C64.nmi.level) {
    C64.nmi.pending = 1;
  }
  std::uint16_t vector = 0;
  if (C64.nmi.pending) {
    C64.nmi.pending = 0;
    vector = op::kNmiVector;
  } else if (cpu.irqPolled) {
    vector = op::kIrqVector;
  } else {
    return false;
  }
  cpu.irqPolled = 0;
  // The pushed status has B clear and bit 5 set: the handler tells an interrupt from a BRK.
  op::EnterHandler(
      static_cast<std::uint8_t>((cpu.P | cpu.flagMasks[kFlagBit5]) & ~cpu.flagMasks[kFlagB]),
      vector);
  cpu.stallCycles = 6;
  cpu.pollAt = 0xFF;
  if (vector == op::kIrqVector) {
    if (const auto entered = InstalledHostHooks().interruptEntered) entered();
  }
  return true;
}

// One instruction of the accurate machine, and where it polls the interrupt input.
inline void ExecuteAccurately() {
  Cpu6510& cpu = C64.cpu;
  const std::uint8_t pBefore = cpu.P;
  SetFlag(kFlagB);
  const InterruptPoll poll = ExecuteInstructionAccurate(ReadByte(cpu.PC));
  // CLI, SEI and PLP poll with I as it was; a taken branch that stays on its page polls a
  // cycle earlier, so an IRQ raised in its last cycle waits for the next instruction.
  cpu.pollWithI = poll == InterruptPoll::kWithFormerI ? pBefore : cpu.P;
  cpu.pollAt = poll == InterruptPoll::kOneCycleEarlier ? 2 : 1;
  cpu.irqPolled = 0;
}

// One step of the machine: one processor cycle.
template <MachineModel kModel>
[[gnu::always_inline]] inline bool Step() {
  constexpr bool kAccurate = kModel == MachineModel::kAccurate;
  // 1. The end of a raster line.
  if (C64.vic.lineCyclesLeft == 0) {
    const bool frameBegins = kAccurate ? VicEndOfLineAccurate() : VicEndOfLine();
    if (frameBegins) FrameBegun<kModel>();
  }

  // 3. The classic machine's interrupt: the handler's first instruction runs in this same
  // step.
  if constexpr (!kAccurate) {
    if (InterruptRequested() && !FlagSet(kFlagI)) TakeInterrupt();
  }

  // 4.
  --C64.vic.lineCyclesLeft;

  // 5. Idle step: an instruction's remaining cycles.
  if (C64.cpu.stallCycles > 0) {
    --C64.cpu.stallCycles;
  } else {
    // 6. Stop check, at an instruction boundary: a stopped machine still runs the steps
    // it is given, a running one pauses when its budget is used up.
    std::int32_t budget = C64.run.stepBudget.load(std::memory_order_relaxed);
    if (budget == 0 || (budget < 0 && !C64.run.emulationRunning.load(std::memory_order_relaxed))) {
      C64.run.runFlag.store(0, std::memory_order_relaxed);
      return false;
    }
    if (C64.breakpoints.active && C64.breakpoints.at[C64.cpu.PC] && StopAtBreakpoint()) {
      return false;
    }
    if (!kAccurate || !EnterAccurateInterrupt()) {
      // 7. Trace while single-stepping. A Stop or Run from another thread meanwhile keeps
      // the budget it stored.
      if (budget > 0) {
        const std::string line = FormatTraceLine();
        RefreshDebugWindow();
        AppendDebugLog(line);
        C64.run.stepBudget.compare_exchange_strong(budget, budget - 1, std::memory_order_relaxed);
      }
      // 8. Traps: every trap address lies in the KERNAL ROM, which the processor sees
      // there only while HIRAM is set (otherwise it is a program's RAM).
      if (C64.cpu.PC >= kLowestTrapAddress && PortBitSet(kPortHiram)) RunKernalTrap();
      // 9. Fetch and execute.
      ++C64.cpu.instructionCount;
      if constexpr (kAccurate) {
        ExecuteAccurately();
      } else {
        if (!InterruptRequested()) SetFlag(kFlagB);
        ExecuteInstruction(ReadByte(C64.cpu.PC));
      }
    }
  }

  // 10. The chips' cycle.
  C64.sid.Advance(1);
  if constexpr (kAccurate) {
    AdvanceAccurateChips();
  } else {
    Cia1Advance(1);
  }
  return C64.run.runFlag.load(std::memory_order_relaxed) != 0;
}

// Pays, at once, the run of idle steps that follows an instruction, as far as those steps
// would change nothing but the line, stall and timer counters: no raster line begins, no
// interrupt is entered or polled and no timer reaches an event. Call
// it only after a step that returned true; the result is exactly that of single steps.
template <MachineModel kModel>
[[gnu::always_inline]] inline void PayIdle() {
  Cpu6510& cpu = C64.cpu;
  if (cpu.stallCycles == 0) return;
  std::int32_t steps = std::min<std::int32_t>(cpu.stallCycles, C64.vic.lineCyclesLeft);
  if constexpr (kModel == MachineModel::kAccurate) {
    // The step that brings the owed cycles down to the polling cycle stays a step of its own.
    if (cpu.stallCycles > cpu.pollAt) {
      steps = std::min<std::int32_t>(steps, cpu.stallCycles - cpu.pollAt - 1);
    }
    // The CIAs may not reach an event inside the run.
    const CiaClock& clock = C64.ciaClock;
    steps = std::min<std::int32_t>(steps, static_cast<std::int32_t>(clock.quiet - clock.owed));
    if (steps <= 0) return;
    C64.ciaClock.owed += static_cast<std::uint32_t>(steps);
  } else {
    // An interrupt would be entered in the next step: leave that step to Step.
    if (InterruptRequested() && !FlagSet(kFlagI)) return;
    // No step of the run may find a running timer A at 0.
    if (C64.classicCia1.timerARunning) {
      steps = std::min<std::int32_t>(steps, C64.classicCia1.timerACounter);
    }
    if (steps <= 0) return;
    // Nothing the timer or the clock registers depend on changes during idle steps.
    Cia1Advance(steps);
  }
  C64.sid.Advance(static_cast<std::uint32_t>(steps));
  C64.vic.lineCyclesLeft -= steps;
  cpu.stallCycles = static_cast<std::uint8_t>(cpu.stallCycles - steps);
}

// Whether the next instruction boundary would end the pass at once.
bool MachineIsHeld() {
  const std::int32_t budget = C64.run.stepBudget.load(std::memory_order_relaxed);
  return budget == 0 || (budget < 0 && !C64.run.emulationRunning.load(std::memory_order_relaxed));
}

template <MachineModel kModel>
void RunSteps(std::uint64_t untilFrame) {
  while (C64.run.frameCounter.load(std::memory_order_relaxed) < untilFrame) {
    // A pass has ended: the next one starts at once, as the display callback starts it,
    // unless the machine has stopped (at a breakpoint) and would not go on.
    if (!C64.run.runFlag.load(std::memory_order_relaxed)) {
      if (MachineIsHeld()) return;
      C64.run.runFlag.store(1, std::memory_order_relaxed);
      PayOwedPace();  // no host input to take here
    }
    if (Step<kModel>()) PayIdle<kModel>();
  }
}

template <MachineModel kModel>
void RunPassSteps() {
  if (PayOwedPace()) {
    C64.run.runFlag.store(0, std::memory_order_relaxed);
    return;
  }
  while (Step<kModel>()) PayIdle<kModel>();
}

}  // namespace

bool MachineStep() {
  return Step<MachineModel::kClassic>();
}

void PayIdleSteps() {
  PayIdle<MachineModel::kClassic>();
}

bool AccurateMachineStep() {
  return Step<MachineModel::kAccurate>();
}

void RunUntilFrame(std::uint64_t frame) {
  if (C64.model == MachineModel::kAccurate) {
    RunSteps<MachineModel::kAccurate>(frame);
  } else {
    RunSteps<MachineModel::kClassic>(frame);
  }
}

void RunLoop() {
  if (!C64.run.runFlag.load()) return;
  PassLock lock;
  // Another pass may have run while this one waited for the lock.
  if (!C64.run.runFlag.load()) return;
  if (C64.model == MachineModel::kAccurate) {
    RunPassSteps<MachineModel::kAccurate>();
  } else {
    RunPassSteps<MachineModel::kClassic>();
  }
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
