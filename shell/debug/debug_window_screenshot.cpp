// Takes the picture of the debug window shown in the documentation: the machine booted
// to BASIC, stopped (so the memory dump is filled), then stepped three instructions with
// their trace lines. Writes the window's pixels to the PNG file named on the command line.
// Run under an X server (the documentation script uses Xvfb) for the desktop's fonts.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
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
  shell::SetDebugStepCountText("3");
  core::PowerOn(true);
  core::RunFrames(200);

  using namespace shell::debug_dialog;
  shell::CDebugDialog dialog;
  dialog.show();
  core::SetDebugWindowField(core::DebugField::kFramesPerSecond, "50");
  core::SetDebugWindowField(core::DebugField::kTextMode, "yes");
  core::SetDebugWindowField(core::DebugField::kBitmapMode, "no");
  core::SetDebugWindowField(core::DebugField::kMulticolourMode, "no");
  static_cast<QPushButton*>(dialog.Control(shell::debug_dialog::kStopRunButton))
      ->click();       // Stop: the dump
  core::RunMachine();  // step a running machine, as after Run
  static_cast<QPushButton*>(dialog.Control(shell::debug_dialog::kStepButton))->click();
  while (core::C64.run.stepBudget.load() > 0) core::RunPassIfIdle();
  core::StopMachine();
  static_cast<QPushButton*>(dialog.Control(shell::debug_dialog::kStopRunButton))->setText("Run");

  const QString path = QString::fromLocal8Bit(argv[1]);
  QTimer::singleShot(300, &dialog, [&dialog, &path] {
    const bool saved = dialog.grab().save(path, "PNG");
    QCoreApplication::exit(saved ? 0 : 1);
  });
  return app.exec();
}
