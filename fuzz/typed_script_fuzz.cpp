// libFuzzer target: any bytes as the text of the headless runner's --type. A text is
// either understood whole or refused with a message that names the place and shows no
// control byte raw; understood, every step holds its keys or joystick lines for a number
// of frames within the limit.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "apps/typed_script.h"

namespace {

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "check failed: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const apps::TypedScript script = apps::ParseTypedScript(text);
  if (!script.error.empty()) {
    Check(script.steps.empty(), "a refused text types nothing");
    for (const char c : script.error) {
      const auto byte = static_cast<unsigned char>(c);
      Check(byte >= 0x20 && byte < 0x7F, "the message shows control bytes escaped");
    }
    return 0;
  }
  for (const apps::TypedStep& step : script.steps) {
    Check(step.holdFrames >= 1 && step.holdFrames <= apps::kMaxHoldFrames, "the hold is bounded");
    Check(step.joystickPort == 0 || step.joystickPort == 1 || step.joystickPort == 2,
          "a joystick step names port 1 or 2");
    Check(step.joystickPort != 0 || step.joystickLines == 0, "key steps move no joystick");
    Check(step.joystickLines < 0x20, "five joystick lines");
  }
  return 0;
}
