// A game controller as the C64's joystick: the left stick (past a dead zone) or the
// d-pad gives the directions, the A button fire.
#pragma once

#include <cstdint>

#include "platform/sdl/gamepad.h"

namespace input {

// A stick deflection below this (of 32767) counts as centred: a worn stick at rest
// rests a little off its centre.
inline constexpr int kStickDeadZone = 8000;

// The joystick lines the controller holds down, active high: bit 0 up, 1 down, 2 left,
// 3 right, 4 fire (the joystick byte's bits, the other way round).
std::uint8_t GamepadJoystickLines(const platform::GamepadReading& reading);

// Moves the joystick byte from the lines the controller held before to those it holds
// now, leaving the lines the keyboard holds alone. Returns `now`, the next `before`.
std::uint8_t ApplyGamepadLines(std::uint8_t before, std::uint8_t now);

}  // namespace input
