// The first SDL2 game controller, read on the thread that calls PollGamepad: devices
// plugged in or pulled out while the program runs are noticed through SDL's events.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// What the controller shows, free of SDL's types. Stick axes run -32768..32767, with y
// growing downwards.
struct GamepadReading {
  bool connected = false;
  std::int16_t stickX = 0;
  std::int16_t stickY = 0;
  bool dpadUp = false;
  bool dpadDown = false;
  bool dpadLeft = false;
  bool dpadRight = false;
  bool buttonA = false;
};

// Starts SDL's game-controller support; empty on success, otherwise SDL's error text.
std::string OpenGamepads();
// Handles SDL's pending events (controllers added and removed) and reads the first
// controller. `changes` gets a line for the log when a controller came or went, else "".
GamepadReading PollGamepad(std::string& changes);
void CloseGamepads();

}  // namespace platform
