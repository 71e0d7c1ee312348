// The controller's directions and fire on the joystick byte.
#include "input/gamepad_joystick.h"

#include "input/key_matrix.h"

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
  // Through the joystick's own press and release, as the keys that stand for it: a press
  // shorter than a scan is still seen.
  for (int bit = 0; bit < 5; ++bit) {
    const auto line = static_cast<std::uint8_t>(1u << bit);
    if ((before & line) && !(now & line)) ReleaseJoystickBit(bit);
    if (!(before & line) && (now & line)) PressJoystickBit(bit);
  }
  return now;
}

}  // namespace input
