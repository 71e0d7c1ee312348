// The desktop program's own options, --joystick-port 1|2, --cursor-keys joystick|cursor,
// --model classic|accurate, --fps-trace and --sound-status, with --help and --version: read
// with CLI11 and taken out of the command line before start-up reads it, so that the
// arguments left keep their order (a program named there stays the first; Qt's own
// options pass through).
#pragma once

#include <string>

namespace shell {

// Applies the options (core::C64.input.joystickPort, input::SetCursorKeysAsJoystick,
// core::C64.model, DesktopFpsTrace) and removes them from argc/argv, each as "--name value"
// or "--name=value"; everything else stays. A missing or bad value changes nothing and
// returns false with the reason in `error`. --help and --version return true with the text
// to print in `*shown` (when given), and the program then ends with status 0.
bool TakeDesktopOptions(int& argc, char** argv, std::string& error, std::string* shown = nullptr);

// Whether --fps-trace was given: one line "fps: N" on standard output for every second of
// wall time, the frames the machine ran in it.
bool DesktopFpsTrace();

// --sound-status (no value) was given: the sound output prints its figures every second.
bool SoundStatusRequested();

}  // namespace shell
