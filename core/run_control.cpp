// Passes started for the display, the headless runner and the debug window, and the
// flags that the run loop reads at every instruction boundary.
#include "core/run_control.h"

#include "core/machine_state.h"
#include "core/run_loop.h"

namespace core {

void RunPass() {
  RunFlag.store(1);
  RunLoop();
}

bool RunPassIfIdle() {
  if (PassLockIsWanted()) return false;  // another thread's turn
  // The exchange keeps a pass started meanwhile on another thread from being doubled.
  std::uint8_t idle = 0;
  if (!RunFlag.compare_exchange_strong(idle, 1)) return false;
  RunLoop();
  return true;
}

void RunFrames(std::uint64_t frames) {
  const std::uint64_t target = FrameCounter.load() + frames;
  PassLock lock;
  while (FrameCounter.load(std::memory_order_relaxed) < target) {
    // A pass has ended: the next one starts at once, as the display callback starts it.
    if (!RunFlag.load(std::memory_order_relaxed)) RunFlag.store(1, std::memory_order_relaxed);
    if (MachineStep()) PayIdleSteps();
  }
}

void StopMachine() {
  EmulationRunning.store(0);
}

void RunMachine() {
  // The budget first: a pass that another thread starts as soon as the machine runs must
  // not spend what a Step left while the machine was stopped.
  StepBudget.store(-1);
  EmulationRunning.store(1);
  RunLoop();
}

void StepMachine(std::int32_t budget) {
  StepBudget.store(budget);
  RunPass();
}

void SetSpeedLimit(bool on) {
  if (SpeedLimitIsOn() == on) return;
  if (on) {
    ThrottleDelay.store(SavedThrottleDelay.load());
  } else {
    SavedThrottleDelay.store(ThrottleDelay.load());
    ThrottleDelay.store(0.0f);
  }
  SpeedLimitOn.store(on ? 1 : 0);
}

bool SpeedLimitIsOn() {
  return SpeedLimitOn.load() != 0;
}

}  // namespace core
