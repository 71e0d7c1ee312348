// The desktop program's own options, --joystick-port 1|2, --cursor-keys joystick|cursor,
// --model classic|accurate and --sound-status: taken out of the command line before start-up
// reads it, so that the arguments left keep their order (a program named there stays the first).
#pragma once

#include <string>

namespace shell {

// Applies the options (core::C64.input.joystickPort, input::SetCursorKeysAsJoystick,
// core::C64.model) and removes
// them from argc/argv, each as "--name value" or "--name=value"; everything else stays.
// A missing or bad value changes nothing and returns false with the reason in `error`.
bool TakeDesktopOptions(int& argc, char** argv, std::string& error);

// --sound-status (no value) was given: the sound output prints its figures every second.
bool SoundStatusRequested();

}  // namespace shell
