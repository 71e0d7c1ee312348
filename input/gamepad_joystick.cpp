// The controller's directions and fire on the joystick byte.
#include "input/gamepad_joystick.h"

#include "core/machine.h"

namespace input {

namespace {

constexpr std::uint8_t kUp = 0x01;
constexpr std::uint8_t kDown = 0x02;
constexpr std::uint8_t kLeft = 0x04;
constexpr std::uint8_t kRight = 0x08;
constexpr std::uint8_t kFire = 0x10;

}  // namespace

std::uint8_t GamepadJoystickLines(const platform::GamepadReading& reading) {
  if (!reading.connected) return 0;
  std::uint8_t lines = 0;
  if (reading.dpadUp || reading.stickY < -kStickDeadZone) lines |= kUp;
  if (reading.dpadDown || reading.stickY > kStickDeadZone) lines |= kDown;
  if (reading.dpadLeft || reading.stickX < -kStickDeadZone) lines |= kLeft;
  if (reading.dpadRight || reading.stickX > kStickDeadZone) lines |= kRight;
  if (reading.buttonA) lines |= kFire;
  return lines;
}

std::uint8_t ApplyGamepadLines(std::uint8_t before, std::uint8_t now) {
  const auto released = static_cast<std::uint8_t>(before & ~now);
  const auto pressed = static_cast<std::uint8_t>(now & ~before);
  // Active low: a pressed line goes to 0.
  if (released != 0) core::C64.input.joystick.fetch_or(released);
  if (pressed != 0) core::C64.input.joystick.fetch_and(static_cast<std::uint8_t>(~pressed));
  return now;
}

}  // namespace input
