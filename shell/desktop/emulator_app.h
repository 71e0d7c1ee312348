// CEmulatorApp: the application object. It sets up the toolkit, shows the main window
// modally and ends the process when the window closes.
#pragma once

class CEmulatorApp {
 public:
  // Never returns: the process ends with status 0 when the main window closes.
  [[noreturn]] void Run(int argc, char** argv);
};
