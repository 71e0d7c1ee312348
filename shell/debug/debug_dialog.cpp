// Showing the "Debug Info" window modally from the main window.
#include "shell/debug/debug_dialog.h"

#include "shell/debug/debug_dialog_window.h"

namespace shell {

namespace {
// StepCountText: exchanged with the step-count box, kept between openings.
QString& StepCountText() {
  static QString text;
  return text;
}
}  // namespace

void RunDebugDialog(QWidget* owner) {
  CDebugDialog dialog(owner);
  dialog.exec();
}

void SetDebugStepCountText(const QString& text) {
  StepCountText() = text;
}

QString DebugStepCountText() {
  return StepCountText();
}

}  // namespace shell
