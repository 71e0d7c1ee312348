// The SDL thread: sound card, game controllers, and the optional status lines.
#include "shell/desktop/device_thread.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>

#include "core/debug_log.h"
#include "input/gamepad_joystick.h"
#include "platform/sdl/gamepad.h"
#include "shell/desktop/desktop_sound.h"

namespace shell {

namespace {

constexpr auto kPollPeriod = std::chrono::milliseconds(10);  // half a frame
constexpr int kPollsPerStatus = 100;                         // one second

void DeviceThreadProcedure(bool printSoundStatus) {
  OpenDesktopSound();
  const std::string error = platform::OpenGamepads();
  if (!error.empty()) core::AppendDebugLog("No gamepads: " + error);
  std::uint8_t heldLines = 0;
  for (int poll = 1;; ++poll) {
    if (error.empty()) {
      std::string changes;
      const platform::GamepadReading reading = platform::PollGamepad(changes);
      if (!changes.empty()) core::AppendDebugLog(changes);
      heldLines = input::ApplyGamepadLines(heldLines, input::GamepadJoystickLines(reading));
    }
    if (printSoundStatus && poll % kPollsPerStatus == 0) {
      char line[160];
      FormatSoundStatus(line, sizeof line);
      std::fprintf(stderr, "%s\n", line);
    }
    std::this_thread::sleep_for(kPollPeriod);
  }
}

}  // namespace

void StartDeviceThread(bool printSoundStatus) {
  std::thread(&DeviceThreadProcedure, printSoundStatus).detach();
}

}  // namespace shell
