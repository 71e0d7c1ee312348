// CDebugDialog: the "Debug Info" window. It builds its controls from the template,
// connects each button to a small slot and shows the texts the relay hands it; what the
// buttons do to the machine lives in debug_commands.h and the field texts in
// debug_fields.h.
#pragma once

#include <QDialog>
#include <QRect>
#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/host_hooks.h"
#include "shell/debug/debug_commands.h"
#include "shell/debug/dialog_template.h"

class QFont;
class QListWidget;
class QPlainTextEdit;

namespace shell {

struct DebugFieldTexts;

class CDebugDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CDebugDialog(QWidget* owner = nullptr);
  ~CDebugDialog() override;

  // The control with a template ID (nullptr for an unknown ID).
  QWidget* Control(int id) const;
  // A control's text or caption; multi-line boxes give their lines ending in "\r\n".
  QString ControlText(int id) const;

  // User-interface thread only (the relay hands them over): a refresh of all fields the
  // refresh writes, and one field set by the machine.
  void ShowRefresh(const DebugFieldTexts& texts);
  void ShowField(core::DebugField field, const std::string& text);

  // Closing the window lets a stopped machine run again, with a log line that says so,
  // and puts the breakpoints out of force: the machine is never left frozen without the
  // window that shows why.
  void done(int result) override;

  // A rectangle in dialog units converted to pixels with `font`'s metrics: a horizontal
  // unit is a quarter of the average character width, a vertical one an eighth of the
  // character height.
  static QRect DialogUnitsToPixels(const QFont& font, int x, int y, int width, int height);

 private slots:
  void OnStopRun();
  void OnStep();
  void OnReset();
  void OnSpeedLimit();
  void OnForce(ForceFlag flag);
  void OnPointerStep(VideoPointer pointer, int direction);
  void OnPointerFollow(VideoPointer pointer);
  void OnAddBreakpoint();
  void OnRemoveBreakpoint();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildControls();
  void ConnectControls();
  void ShowOpeningState();
  void SetText(int id, const QString& text);
  void SetCaption(int id, const char* caption);
  void UpdateLogBox();
  void ShowBreakpoints();
  // Runs a call that executes the machine on this thread; a click that arrives while
  // such a call waits for the machine is ignored.
  template <typename Call>
  void RunMachine(Call call);

  std::map<int, QWidget*> controls_;
  // Every widget with its template row, for laying them out at a new size.
  std::vector<std::pair<QWidget*, const debug_dialog::ControlTemplate*>> placed_;
  QPlainTextEdit* logBox_ = nullptr;
  QPlainTextEdit* dumpBox_ = nullptr;
  QPlainTextEdit* disassemblyBox_ = nullptr;
  QListWidget* breakpointList_ = nullptr;
  std::size_t shownLogLines_ = 0;
  bool machineCallActive_ = false;
};

}  // namespace shell
