// Takes the picture of the debug window shown in the documentation: the machine booted
// to BASIC, a small loop of its own started at $C000 and stopped at a breakpoint in it (so
// the memory dump and the disassembly are filled), then stepped two instructions with
// their trace lines. Writes
// the window's pixels to the PNG file named on the command line. Run under an X server (the
// documentation script uses Xvfb) for the desktop's fonts.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <string>

#include "core/host_hooks.h"
#include "core/machine.h"
#include "core/power_on.h"
#include "core/rom_images.h"
#include "core/run_control.h"
#include "core/run_loop.h"
#include "platform/host_services.h"
#include "shell/debug/debug_dialog.h"
#include "shell/debug/debug_dialog_window.h"
#include "shell/debug/dialog_template.h"
#include "shell/machine_hooks.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <picture.png>\n", argv[0]);
    return 2;
  }
  std::string error;
  if (!core::LoadRomImages(core::RomSearchDirectories(platform::ExecutablePath()), error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  core::SetPassWaitHookForThisThread([] { QCoreApplication::processEvents(); });
  shell::InstallMachineHooks();
  core::SetSpeedLimit(true);
  shell::SetDebugStepCountText("2");
  core::PowerOn(true);
  core::RunFrames(200);

  using namespace shell::debug_dialog;
  shell::CDebugDialog dialog;
  dialog.show();
  core::SetDebugWindowField(core::DebugField::kFramesPerSecond, "50");
  core::SetDebugWindowField(core::DebugField::kTextMode, "yes");
  core::SetDebugWindowField(core::DebugField::kBitmapMode, "no");
  core::SetDebugWindowField(core::DebugField::kMulticolourMode, "no");
  // A small loop of our own at $C000 (with two undocumented opcodes), run from there:
  //   C000 LDX #$00 / STX $D020 / INX / LAX $FB / DCP $FB / TXA / CLC / ADC #$01 /
  //   STA $D021 / DEX / BNE $C011 / JMP $C000
  const std::uint8_t loop[] = {0xA2, 0x00, 0x8E, 0x20, 0xD0, 0xE8, 0xA7, 0xFB,
                               0xC7, 0xFB, 0x8A, 0x18, 0x69, 0x01, 0x8D, 0x21,
                               0xD0, 0xCA, 0xD0, 0xFD, 0x4C, 0x00, 0xC0};
  std::copy(std::begin(loop), std::end(loop), core::C64.memory.ram + 0xC000);
  core::C64.cpu.PC = 0xC000;
  auto* address =
      static_cast<QLineEdit*>(dialog.Control(shell::debug_dialog::kBreakpointAddressBox));
  auto* add = static_cast<QPushButton*>(dialog.Control(shell::debug_dialog::kAddBreakpointButton));
  address->setText("$C006");
  add->click();
  address->setText("$FFD2");
  add->click();
  core::RunFrames(2);  // stops at $C006: the dump, the fields and the log line
  // Two single steps from there; the machine stays stopped.
  static_cast<QPushButton*>(dialog.Control(shell::debug_dialog::kStepButton))->click();

  const QString path = QString::fromLocal8Bit(argv[1]);
  QTimer::singleShot(300, &dialog, [&dialog, &path] {
    const bool saved = dialog.grab().save(path, "PNG");
    QCoreApplication::exit(saved ? 0 : 1);
  });
  return app.exec();
}
