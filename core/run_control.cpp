// Passes started for the display, the headless runner and the debug window, and the
// flags that the run loop reads at every instruction boundary.
#include "core/run_control.h"

#include "core/machine.h"
#include "core/run_loop.h"

namespace core {

void RunPass() {
  C64.run.runFlag.store(1);
  RunLoop();
}

bool RunPassIfIdle() {
  if (PassLockIsWanted()) return false;  // another thread's turn
  // The exchange keeps a pass started meanwhile on another thread from being doubled.
  std::uint8_t idle = 0;
  if (!C64.run.runFlag.compare_exchange_strong(idle, 1)) return false;
  RunLoop();
  return true;
}

void RunFrames(std::uint64_t frames) {
  const std::uint64_t target = C64.run.frameCounter.load() + frames;
  PassLock lock;
  RunUntilFrame(target);
}

void StopMachine() {
  // Steps still owed by a Step end here as well: a stopped machine runs only new ones.
  C64.run.emulationRunning.store(0);
  C64.run.stepBudget.store(0);
}

void RunMachine() {
  LetMachineRun();
  RunLoop();
}

void LetMachineRun() {
  // The budget first: a pass that another thread starts as soon as the machine runs must
  // not spend what a Step left while the machine was stopped.
  C64.run.stepBudget.store(-1);
  C64.run.emulationRunning.store(1);
}

void StepMachine(std::int32_t budget) {
  C64.run.stepBudget.store(budget);
  RunPass();
}

void SetSpeedLimit(bool on) {
  if (SpeedLimitIsOn() == on) return;
  if (on) {
    C64.throttle.delay.store(C64.throttle.savedDelay.load());
  } else {
    C64.throttle.savedDelay.store(C64.throttle.delay.load());
    C64.throttle.delay.store(0.0f);
  }
  C64.throttle.speedLimitOn.store(on ? 1 : 0);
}

bool SpeedLimitIsOn() {
  return C64.throttle.speedLimitOn.load() != 0;
}

}  // namespace core
