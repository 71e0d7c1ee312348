// EmulatorThread: the first power-on opens the display window, whose main loop never
// returns.
#include "shell/desktop/emulator_thread.h"

#include <atomic>
#include <thread>

#include "core/power_on.h"
#include "shell/desktop/desktop_sound.h"
#include "shell/machine_hooks.h"
#include "video/display/display_wait.h"
#include "video/display/display_window.h"

namespace shell {

namespace {

std::atomic<int> ThreadId{0};

void EmulatorThreadProcedure() {
  // Wired before the starting thread goes on, so that both threads see the same hooks.
  InstallMachineHooks(&video::OpenDisplayWindow, &TakeFrameSound, &video::WaitForFrameOrInput);
  ThreadId.store(platform::CurrentThreadId());
  ThreadId.notify_all();
  core::PowerOn(true);
}

}  // namespace

void StartEmulatorThread() {
  std::thread(&EmulatorThreadProcedure).detach();
  ThreadId.wait(0);
}

int EmulatorThreadId() {
  return ThreadId.load();
}

void SetEmulatorThreadPriority(platform::ThreadPriority priority) {
  SetThreadPriorityOf(EmulatorThreadId(), priority);
}

}  // namespace shell
