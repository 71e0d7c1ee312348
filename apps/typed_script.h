// The text of the headless runner's --type as steps: printable ASCII typed as the C64's
// keys, "\n" (or a newline) as RETURN, and in braces named keys, chords and joystick
// events: {RUNSTOP}, {CLR}, {CTRL+3}, {C=+SHIFT}, {RUNSTOP+RESTORE}, {F2 10},
// {JOY2 UP+FIRE 10}.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace apps {

inline constexpr int kTypedHoldFrames = 3;
inline constexpr int kMaxHoldFrames = 30000;  // ten emulated minutes

// One step: matrix positions pressed together (bit row * 8 + column) or joystick lines
// (bit 0 up, 1 down, 2 left, 3 right, 4 fire) of the joystick in port 1 or 2, held for a
// number of frames.
struct TypedStep {
  std::uint64_t keys = 0;
  std::uint8_t joystickLines = 0;
  int joystickPort = 0;  // 0 for keys
  int holdFrames = kTypedHoldFrames;
  bool restore = false;  // RESTORE pressed with the keys (it is not on the matrix)
};

struct TypedScript {
  std::vector<TypedStep> steps;
  std::string error;  // empty when the whole text was understood; then steps hold it all
};

// Reads the whole text; the first byte or name it cannot type makes `error` name it and
// its position (counted in bytes from 1) and leaves no steps. A key name is one of the
// C64's (input::KeyNames) or a single character, in any case; a chord joins keys with
// "+"; a number after a space holds the step that many frames.
TypedScript ParseTypedScript(std::string_view text);

}  // namespace apps
