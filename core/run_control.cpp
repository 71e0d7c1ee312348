// Passes started for the display, the headless runner and the debug window, and the
// flags that the run loop reads at every instruction boundary.
#include "core/run_control.h"

#include <atomic>

#include "core/machine.h"
#include "core/run_loop.h"

namespace core {

namespace {
std::atomic<SpeedLimitObserver> SpeedLimitChanged{nullptr};
}  // namespace

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
  // Frames paced again after a while without start afresh from their own clock reading.
  const bool was = C64.throttle.speedLimitOn.exchange(on ? 1 : 0) != 0;
  const SpeedLimitObserver observer = SpeedLimitChanged.load();
  if (was != on && observer != nullptr) observer(on);
}

void SetSpeedLimitObserver(SpeedLimitObserver observer) {
  SpeedLimitChanged.store(observer);
}

bool SpeedLimitIsOn() {
  return C64.throttle.speedLimitOn.load() != 0;
}

}  // namespace core
