// The frames begun in each second of wall time, read from the machine's frame counter on
// absolute one-second deadlines, so that the seconds do not drift.
#include "shell/desktop/fps_trace.h"

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <thread>

#include "core/machine.h"

namespace shell {

namespace {

void TraceFramesPerSecond() {
  auto deadline = std::chrono::steady_clock::now();
  std::uint64_t frames = core::C64.run.frameCounter.load();
  for (;;) {
    deadline += std::chrono::seconds(1);
    std::this_thread::sleep_until(deadline);
    const std::uint64_t now = core::C64.run.frameCounter.load();
    std::printf("fps: %" PRIu64 "\n", now - frames);
    std::fflush(stdout);
    frames = now;
  }
}

}  // namespace

void StartFpsTrace() {
  std::thread(&TraceFramesPerSecond).detach();
}

}  // namespace shell
