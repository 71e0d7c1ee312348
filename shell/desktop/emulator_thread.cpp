// EmulatorThread: the first power-on opens the display window, whose main loop never
// returns.
#include "shell/desktop/emulator_thread.h"

#include <atomic>
#include <thread>

#include "core/power_on.h"
#include "video/display/display_window.h"

namespace {

std::atomic<int> ThreadId{0};

void EmulatorThreadProcedure() {
  ThreadId.store(CurrentThreadId());
  ThreadId.notify_all();
  SetFirstStartHook(&OpenDisplayWindow);
  PowerOn(true);
}

}  // namespace

void StartEmulatorThread() {
  std::thread(&EmulatorThreadProcedure).detach();
  ThreadId.wait(0);
}

int EmulatorThreadId() {
  return ThreadId.load();
}

void SetEmulatorThreadPriority(ThreadPriority priority) {
  SetThreadPriorityOf(EmulatorThreadId(), priority);
}
