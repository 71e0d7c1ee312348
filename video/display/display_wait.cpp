// Waiting for a frame's time on the display thread: ppoll on freeglut's X connection with
// the time left as its timeout.
#include "video/display/display_wait.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <atomic>
#include <cerrno>
#include <ctime>
#include <thread>

#include "platform/host_services.h"
#include "video/display/classic_picture.h"

namespace video {

namespace {

std::atomic<std::thread::id> DisplayThread{};
// freeglut's connection, read only on the display thread.
Display* DisplayConnection = nullptr;

}  // namespace

bool OnDisplayThread() {
  return std::this_thread::get_id() == DisplayThread.load() && DisplayConnection != nullptr;
}

void NoteDisplayThread() {
  DisplayConnection = glXGetCurrentDisplay();
  DisplayThread.store(std::this_thread::get_id());
}

bool WaitForFrameOrInput(std::int64_t steadyNanoseconds) {
  if (!OnDisplayThread()) {
    platform::SleepUntilSteadyNanoseconds(steadyNanoseconds);
    return false;
  }
  // Events Xlib has read already make the socket quiet: they count first.
  if (XEventsQueued(DisplayConnection, QueuedAlready) > 0) return true;
  DrawFrameBufferChangesBefore(steadyNanoseconds);
  pollfd connection{ConnectionNumber(DisplayConnection), POLLIN, 0};
  for (;;) {
    const std::int64_t left = steadyNanoseconds - platform::SteadyNanoseconds();
    if (left <= 0) return false;
    const timespec timeout{static_cast<time_t>(left / 1'000'000'000),
                           static_cast<long>(left % 1'000'000'000)};
    const int ready = ppoll(&connection, 1, &timeout, nullptr);
    if (ready > 0) return true;
    if (ready == 0 || errno != EINTR) return false;
  }
}

}  // namespace video
