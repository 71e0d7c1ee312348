// SDL's game controllers as the desktop program reads them, with SDL's virtual device
// standing in for a controller plugged in and pulled out while the program runs.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/sdl/gamepad.h"

namespace {

using platform::GamepadReading;
using platform::PollGamepad;

// A controller with every standard axis and button, as SDL's virtual driver offers it.
int PlugIn(const char* name) {
  SDL_VirtualJoystickDesc description{};
  description.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  description.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  description.naxes = SDL_CONTROLLER_AXIS_MAX;
  description.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  description.name = name;
  return SDL_JoystickAttachVirtualEx(&description);
}

TEST(GamepadHotplug, AControllerPluggedInWhileRunningIsReadAndForgottenWhenPulledOut) {
  ASSERT_EQ(platform::OpenGamepads(), "");
  std::string changes;
  EXPECT_FALSE(PollGamepad(changes).connected);
  EXPECT_EQ(changes, "");

  const int first = PlugIn("First pad");
  ASSERT_GE(first, 0) << SDL_GetError();
  GamepadReading reading = PollGamepad(changes);
  EXPECT_TRUE(reading.connected);
  EXPECT_EQ(changes, "Gamepad connected: First pad");

  // The stick pushed right and up, the A button and the d-pad's left held.
  SDL_Joystick* device = SDL_JoystickOpen(first);  // the one the program has open
  ASSERT_NE(device, nullptr) << SDL_GetError();
  SDL_JoystickSetVirtualAxis(device, SDL_CONTROLLER_AXIS_LEFTX, 32767);
  SDL_JoystickSetVirtualAxis(device, SDL_CONTROLLER_AXIS_LEFTY, -32768);
  SDL_JoystickSetVirtualButton(device, SDL_CONTROLLER_BUTTON_A, 1);
  SDL_JoystickSetVirtualButton(device, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 1);
  reading = PollGamepad(changes);
  EXPECT_EQ(changes, "");
  EXPECT_EQ(reading.stickX, 32767);
  EXPECT_EQ(reading.stickY, -32768);
  EXPECT_TRUE(reading.buttonA);
  EXPECT_TRUE(reading.dpadLeft);
  EXPECT_FALSE(reading.dpadRight);

  // Pulled out: nothing is held any more, and the log hears of it once.
  SDL_JoystickClose(device);
  ASSERT_EQ(SDL_JoystickDetachVirtual(first), 0) << SDL_GetError();
  reading = PollGamepad(changes);
  EXPECT_FALSE(reading.connected);
  EXPECT_FALSE(reading.buttonA);
  EXPECT_EQ(changes, "Gamepad disconnected");
  PollGamepad(changes);
  EXPECT_EQ(changes, "");

  // Another one plugged in later is taken up in its turn.
  const int second = PlugIn("Second pad");
  ASSERT_GE(second, 0) << SDL_GetError();
  EXPECT_TRUE(PollGamepad(changes).connected);
  EXPECT_EQ(changes, "Gamepad connected: Second pad");
  platform::CloseGamepads();
}

}  // namespace
