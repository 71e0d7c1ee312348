// CEmulatorApp: the application object. It sets up the toolkit, shows the main window
// modally and ends the process when the window closes.
#pragma once

namespace shell {

// The whole desktop program: the ROM images (a missing or bad one ends it with status 1,
// a message on standard error and an "Error" box), Xlib set up for two toolkits, then the
// application.
int RunDesktopProgram(int argc, char** argv);

class CEmulatorApp {
 public:
  // Never returns: the process ends with status 0 when the main window closes.
  [[noreturn]] void Run(int argc, char** argv);
};

}  // namespace shell
