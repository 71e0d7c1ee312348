// Frame pacing against the steady clock: the speed limit sleeps until each frame's time
// instead of spinning.
#include "core/frame_pacing.h"

#include "core/host_hooks.h"
#include "core/machine.h"
#include "platform/host_services.h"

namespace core {

std::int64_t NextFrameTime(std::int64_t due, std::int64_t now) {
  if (due == 0 || now - due > kMostFrameLagNanoseconds) return now + kFrameNanoseconds;
  return due + kFrameNanoseconds;
}

bool PaceFrame() {
  std::int64_t& due = C64.throttle.nextFrameAt;
  const std::int64_t now = platform::SteadyNanoseconds();
  bool endPass = false;
  if (due != 0 && now < due) {
    const auto wait = InstalledHostHooks().waitForFrame;
    if (wait != nullptr) {
      endPass = wait(due);
    } else {
      platform::SleepUntilSteadyNanoseconds(due);
    }
  }
  due = NextFrameTime(due, now < due ? due : now);
  return endPass;
}

}  // namespace core
