// A game controller as the joystick: the stick counts past its dead zone, the d-pad and
// the A button always; lines the keyboard holds are left to it.
#include "input/gamepad_joystick.h"

#include <gtest/gtest.h>

#include "core/machine.h"
#include "tests/support/test_machine.h"

namespace {

using platform::GamepadReading;

GamepadReading Stick(int x, int y) {
  GamepadReading reading;
  reading.connected = true;
  reading.stickX = static_cast<std::int16_t>(x);
  reading.stickY = static_cast<std::int16_t>(y);
  return reading;
}

TEST(GamepadJoystick, StickDpadAndButtonGiveTheJoystickLines) {
  // Lines active high: 1 up, 2 down, 4 left, 8 right, 16 fire.
  GamepadReading dpadLeftFire = Stick(0, 0);
  dpadLeftFire.dpadLeft = true;
  dpadLeftFire.buttonA = true;
  GamepadReading dpadUpRight = Stick(0, 0);
  dpadUpRight.dpadUp = true;
  dpadUpRight.dpadRight = true;
  GamepadReading unplugged = Stick(32767, 32767);
  unplugged.connected = false;
  unplugged.buttonA = true;
  const struct {
    const char* name;
    GamepadReading reading;
    std::uint8_t lines;
  } cases[] = {
      {"centred", Stick(0, 0), 0x00},
      {"resting a little off centre", Stick(7000, -7000), 0x00},
      {"full left", Stick(-32768, 0), 0x04},
      {"full right", Stick(32767, 0), 0x08},
      {"up (stick y grows downwards)", Stick(0, -20000), 0x01},
      {"down-right diagonal", Stick(20000, 20000), 0x0A},
      {"just past the dead zone, up-left", Stick(-9000, -9000), 0x05},
      {"d-pad left with A", dpadLeftFire, 0x14},
      {"d-pad up and right", dpadUpRight, 0x09},
      {"no controller", unplugged, 0x00},
  };
  for (const auto& test : cases) {
    EXPECT_EQ(input::GamepadJoystickLines(test.reading), test.lines) << test.name;
  }
}

TEST(GamepadJoystick, ControllerChangesLeaveTheKeyboardsLinesAlone) {
  ZeroWholeMachine();
  core::C64.input.joystick.store(0xFF & ~0x10);           // the keyboard holds fire
  std::uint8_t held = input::ApplyGamepadLines(0, 0x05);  // up-left
  EXPECT_EQ(core::C64.input.joystick.load(), 0xFF & ~0x15);
  held = input::ApplyGamepadLines(held, 0x08);  // to the right
  EXPECT_EQ(core::C64.input.joystick.load(), 0xFF & ~0x18);
  input::ApplyGamepadLines(held, 0);
  EXPECT_EQ(core::C64.input.joystick.load(), 0xFF & ~0x10);
}

}  // namespace
