// The desktop program c64emu: the main window "Orvik's C64 Emulator" and the display
// window "Emulator". An optional argument names a .prg file to load and start;
// --joystick-port and --cursor-keys set the two keyboard settings of the Extras menu.
#include <cstdio>
#include <string>

#include "apps/png_writer.h"
#include "shell/desktop/desktop_options.h"
#include "shell/desktop/emulator_app.h"
#include "shell/desktop/screenshot_saver.h"

int main(int argc, char** argv) {
  std::string error;
  if (!shell::TakeDesktopOptions(argc, argv, error)) {
    std::fprintf(stderr, "c64emu: %s\n", error.c_str());
    return 1;
  }
  shell::InstallScreenshotSaver(&apps::SaveScreenshotFile);
  return shell::RunDesktopProgram(argc, argv);
}
