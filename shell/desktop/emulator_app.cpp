// Start-up of the desktop program on the user-interface thread.
#include "shell/desktop/emulator_app.h"

#include <QApplication>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "core/rom_images.h"
#include "core/run_loop.h"
#include "platform/host_services.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/ui_thread.h"
#include "platform/qt/x11_session.h"
#include "shell/desktop/desktop_options.h"
#include "shell/desktop/fps_trace.h"
#include "shell/desktop/main_dialog.h"

namespace shell {

void CEmulatorApp::Run(int argc, char** argv) {
  QApplication application(argc, argv);
  platform::MarkUiThread();
  platform::InstallX11ErrorReporting();
  platform::InstallQtMessageBoxHandler();
  // Whenever this thread waits for the pass lock it keeps serving EmulatorThread's
  // message boxes and control texts, so neither thread can wait for the other forever.
  core::SetPassWaitHookForThisThread(&platform::ProcessPendingUiEvents);

  CMainDialog dialog;
  // As "%s" formats it: no argument gives "(null)", which names no program.
  dialog.SetCommandLinePath(argc > 1 && argv[1] != nullptr ? argv[1] : "(null)");
  dialog.InitDialog();
  dialog.exec();
  // EmulatorThread is still running: end without running any destructor under it.
  platform::EndProcess(0);
}

int RunDesktopProgram(int argc, char** argv) {
  std::error_code ignored;
  std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", ignored);
  if (executable.empty() && argc > 0) executable = argv[0];
  std::string error;
  if (!core::LoadRomImages(core::RomSearchDirectories(executable), error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    platform::ShowStartUpErrorBox(argc, argv, error);
    return 1;
  }
  if (DesktopFpsTrace()) StartFpsTrace();
  // Two toolkits open their own connections on two threads.
  platform::InitialiseXlib();
  CEmulatorApp().Run(argc, argv);
}

}  // namespace shell
