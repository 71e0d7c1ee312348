// Showing the "Debug Info" window modally from the main window.
#include "shell/debug/debug_dialog.h"

#include <QCheckBox>

#include "shell/debug/debug_dialog_window.h"
#include "shell/debug/dialog_template.h"

namespace shell {

namespace {
// StepCountText: exchanged with the step-count box, kept between openings.
QString& StepCountText() {
  static QString text;
  return text;
}
// The window while it is open (it is modal: at most one).
CDebugDialog* OpenDialog = nullptr;
}  // namespace

void RunDebugDialog(QWidget* owner) {
  CDebugDialog dialog(owner);
  OpenDialog = &dialog;
  dialog.exec();
  OpenDialog = nullptr;
}

void ShowSpeedLimitInDebugDialog(bool on) {
  if (OpenDialog == nullptr) return;
  if (auto* box = qobject_cast<QCheckBox*>(OpenDialog->Control(debug_dialog::kSpeedLimitBox))) {
    box->setChecked(on);
  }
}

void SetDebugStepCountText(const QString& text) {
  StepCountText() = text;
}

QString DebugStepCountText() {
  return StepCountText();
}

}  // namespace shell
