// The desktop program c64emu: the main window "Orvik's C64 Emulator" and the display
// window "Emulator". An optional argument names a .prg file to load and start;
// its options are in shell/desktop/desktop_options.h (--help lists them).
#include <cstdio>
#include <string>

#include "apps/png_writer.h"
#include "shell/desktop/desktop_options.h"
#include "shell/desktop/emulator_app.h"
#include "shell/desktop/screenshot_saver.h"

int main(int argc, char** argv) {
  std::string error;
  std::string shown;
  if (!shell::TakeDesktopOptions(argc, argv, error, &shown)) {
    std::fprintf(stderr, "c64emu: %s\nRun with --help for more information.\n", error.c_str());
    return 1;
  }
  if (!shown.empty()) {  // --help, --version
    std::fputs(shown.c_str(), stdout);
    return 0;
  }
  shell::InstallScreenshotSaver(&apps::SaveScreenshotFile);
  return shell::RunDesktopProgram(argc, argv);
}
