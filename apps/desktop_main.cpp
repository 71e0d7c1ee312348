// The desktop program c64emu: the main window "Orvik's C64 Emulator" and the display
// window "Emulator". An optional argument names a .prg file to load and start.
#include "shell/desktop/emulator_app.h"

int main(int argc, char** argv) {
  return shell::RunDesktopProgram(argc, argv);
}
