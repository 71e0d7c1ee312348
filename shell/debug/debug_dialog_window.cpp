// CDebugDialog: the controls built from the template, the slots of its buttons and the
// texts the relay hands it.
#include "shell/debug/debug_dialog_window.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

#include "core/debug_log.h"
#include "core/machine.h"
#include "core/power_on.h"
#include "core/run_control.h"
#include "core/run_loop.h"
#include "shell/debug/debug_box_text.h"
#include "shell/debug/debug_dialog.h"
#include "shell/debug/debug_fields.h"
#include "shell/debug/debug_view_relay.h"
#include "shell/debug/dialog_template.h"

namespace shell {

using namespace debug_dialog;

namespace {

QFont TemplateFont() {
  QFont font(QString::fromLatin1(kFontFamily), kFontPointSize);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

}  // namespace

CDebugDialog::CDebugDialog(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setWindowTitle(QString::fromLatin1(kCaption));
  setModal(true);
  setFont(TemplateFont());
  BuildControls();
  ConnectControls();
  ShowOpeningState();
  DebugViewRelay::Instance().Attach(this);
}

CDebugDialog::~CDebugDialog() {
  DebugViewRelay::Instance().Detach(this);
}

QRect CDebugDialog::DialogUnitsToPixels(const QFont& font, int x, int y, int width, int height) {
  const QFontMetrics metrics(font);
  // The average width over the 52 letters, rounded, as the dialog manager measures it.
  static const QString kLetters =
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  const int baseX = (metrics.horizontalAdvance(kLetters) / 26 + 1) / 2;
  const int baseY = metrics.height();
  auto horizontal = [baseX](int units) { return (units * baseX + 2) / 4; };
  auto vertical = [baseY](int units) { return (units * baseY + 4) / 8; };
  return QRect(horizontal(x), vertical(y), horizontal(width), vertical(height));
}

void CDebugDialog::BuildControls() {
  const QFont dialogFont = font();
  for (const ControlTemplate& entry : kControls) {
    const QString caption = QString::fromLatin1(entry.caption);
    QWidget* widget = nullptr;
    switch (entry.kind) {
      case ControlKind::kGroupBox: widget = new QGroupBox(caption, this); break;
      case ControlKind::kStaticText: widget = new QLabel(caption, this); break;
      case ControlKind::kReadOnlyBox: {
        auto* box = new QLineEdit(this);
        box->setReadOnly(true);
        widget = box;
        break;
      }
      case ControlKind::kEditableBox: widget = new QLineEdit(this); break;
      case ControlKind::kMultiLineBox: {
        auto* box = new QPlainTextEdit(this);
        box->setReadOnly(true);
        box->setUndoRedoEnabled(false);  // the log only grows; no history to keep
        box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        widget = box;
        break;
      }
      case ControlKind::kPushButton:
      case ControlKind::kHiddenDefaultButton: {
        auto* button = new QPushButton(caption, this);
        // Enter presses no visible button: the template's default button is hidden.
        button->setAutoDefault(false);
        if (entry.kind == ControlKind::kHiddenDefaultButton) {
          button->setDefault(true);
          button->hide();
        }
        widget = button;
        break;
      }
      case ControlKind::kCheckBox: widget = new QCheckBox(caption, this); break;
    }
    widget->setGeometry(
        DialogUnitsToPixels(dialogFont, entry.x, entry.y, entry.width, entry.height));
    if (entry.id != kNoId) {
      widget->setObjectName(QString::number(entry.id));
      controls_.emplace(entry.id, widget);
    }
  }
  logBox_ = static_cast<QPlainTextEdit*>(Control(kLogBox));
  dumpBox_ = static_cast<QPlainTextEdit*>(Control(kDumpBox));
  setFixedSize(DialogUnitsToPixels(dialogFont, 0, 0, kWidthDlu, kHeightDlu).size());
}

void CDebugDialog::ConnectControls() {
  auto button = [this](int id) { return static_cast<QPushButton*>(Control(id)); };
  connect(button(kStopRunButton), &QPushButton::clicked, this, &CDebugDialog::OnStopRun);
  connect(button(kStepButton), &QPushButton::clicked, this, &CDebugDialog::OnStep);
  connect(button(kResetButton), &QPushButton::clicked, this, &CDebugDialog::OnReset);
  connect(static_cast<QCheckBox*>(Control(kSpeedLimitBox)), &QCheckBox::clicked, this,
          &CDebugDialog::OnSpeedLimit);

  const struct {
    int id;
    ForceFlag flag;
  } forceButtons[] = {{kForceTextButton, ForceFlag::kText},
                      {kForceBitmapButton, ForceFlag::kBitmap},
                      {kForceMulticolourButton, ForceFlag::kMulticolour}};
  for (const auto& entry : forceButtons) {
    const ForceFlag flag = entry.flag;
    connect(button(entry.id), &QPushButton::clicked, this, [this, flag] { OnForce(flag); });
  }

  const struct {
    VideoPointer pointer;
    int down, follow, up;
  } pointerButtons[] = {
      {VideoPointer::kBank, kBankDownButton, kBankFollowButton, kBankUpButton},
      {VideoPointer::kCharBase, kCharBaseDownButton, kCharBaseFollowButton, kCharBaseUpButton},
      {VideoPointer::kScreen, kScreenDownButton, kScreenFollowButton, kScreenUpButton}};
  for (const auto& entry : pointerButtons) {
    const VideoPointer pointer = entry.pointer;
    connect(button(entry.down), &QPushButton::clicked, this,
            [this, pointer] { OnPointerStep(pointer, -1); });
    connect(button(entry.up), &QPushButton::clicked, this,
            [this, pointer] { OnPointerStep(pointer, +1); });
    connect(button(entry.follow), &QPushButton::clicked, this,
            [this, pointer] { OnPointerFollow(pointer); });
  }
}

// The window opens showing the current state of the machine rather than the template's
// fixed captions, so that Stop/Run, the speed-limit box and the force buttons never
// disagree with what they switch. The boxes stay empty until the next refresh.
void CDebugDialog::ShowOpeningState() {
  SetCaption(kStopRunButton, core::C64.run.emulationRunning.load() != 0 ? "Stop" : "Run");
  static_cast<QCheckBox*>(Control(kSpeedLimitBox))
      ->setChecked(core::C64.throttle.speedLimitOn.load() != 0);
  SetCaption(kForceTextButton, ForceCaption(ForceFlagSet(ForceFlag::kText)));
  SetCaption(kForceBitmapButton, ForceCaption(ForceFlagSet(ForceFlag::kBitmap)));
  SetCaption(kForceMulticolourButton, ForceCaption(ForceFlagSet(ForceFlag::kMulticolour)));
  static_cast<QLineEdit*>(Control(kStepCountBox))->setText(DebugStepCountText());
}

QWidget* CDebugDialog::Control(int id) const {
  const auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second;
}

QString CDebugDialog::ControlText(int id) const {
  QWidget* widget = Control(id);
  if (auto* box = qobject_cast<QLineEdit*>(widget)) return box->text();
  if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) {
    return WithWindowsLineEnds(box->toPlainText());
  }
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
  return QString();
}

void CDebugDialog::SetText(int id, const QString& text) {
  auto* box = static_cast<QLineEdit*>(Control(id));
  if (box->text() != text) box->setText(text);
}

void CDebugDialog::SetCaption(int id, const char* caption) {
  static_cast<QAbstractButton*>(Control(id))->setText(QString::fromLatin1(caption));
}

void CDebugDialog::ShowRefresh(const DebugFieldTexts& texts) {
  UpdateLogBox();
  if (texts.hasDump) {
    dumpBox_->setPlainText(DecodeForMultiLineBox(texts.dump));
  }
  auto show = [this](int id, const std::string& text) { SetText(id, DecodeWindows1252(text)); };
  show(kProgramCounterBox, texts.programCounter);
  show(kRegXBox, texts.regX);
  show(kRegYBox, texts.regY);
  show(kRegABox, texts.regA);
  show(kStackPointerBox, texts.stackPointer);
  show(kFlagNBox, texts.flagN);
  show(kFlagZBox, texts.flagZ);
  show(kFlagVBox, texts.flagV);
  show(kFlagCBox, texts.flagC);
  show(kFlagIBox, texts.flagI);
  show(kBankBox, texts.bank);
  show(kCharBaseBox, texts.charBase);
  show(kScreenBox, texts.screen);
  show(kStackBox, texts.stack);
  show(kModelBox, texts.model);
}

void CDebugDialog::ShowField(core::DebugField field, const std::string& text) {
  const int id = static_cast<int>(field);
  if (qobject_cast<QLineEdit*>(Control(id)) == nullptr) return;
  SetText(id, DecodeWindows1252(text));
}

// The box shows the whole log, newest first. Lines only ever come in front, so the box
// takes just the new lines at its start instead of the whole text again; it is rebuilt
// only when the log has been emptied meanwhile.
void CDebugDialog::UpdateLogBox() {
  std::size_t count = core::DebugLogLineCount();
  bool rebuild = count < shownLogLines_;
  std::string text;
  for (;;) {
    text = rebuild ? core::DebugLogText() : core::DebugLogTextSince(shownLogLines_);
    // Another thread may have appended between the two readings; the text and the count
    // must describe the same log.
    const std::size_t now = core::DebugLogLineCount();
    if (now == count) break;
    count = now;
    rebuild = count < shownLogLines_;
  }
  shownLogLines_ = count;
  if (rebuild) {
    logBox_->setPlainText(DecodeForMultiLineBox(text));
    return;
  }
  if (text.empty()) return;
  QTextCursor cursor(logBox_->document());
  cursor.movePosition(QTextCursor::Start);
  cursor.insertText(DecodeForMultiLineBox(text));
}

template <typename Call>
void CDebugDialog::RunMachine(Call call) {
  if (machineCallActive_) return;
  machineCallActive_ = true;
  call();
  machineCallActive_ = false;
}

void CDebugDialog::OnStopRun() {
  if (machineCallActive_) return;
  if (core::C64.run.emulationRunning.load() != 0) {
    core::StopMachine();
    SetCaption(kStopRunButton, "Run");
    core::RefreshDebugWindow();
    return;
  }
  RunMachine([] { core::RunMachine(); });
  SetCaption(kStopRunButton, "Stop");
}

void CDebugDialog::OnStep() {
  if (machineCallActive_) return;
  SetCaption(kStopRunButton, "Step");
  const QString countText = static_cast<QLineEdit*>(Control(kStepCountBox))->text();
  SetDebugStepCountText(countText);
  const std::int32_t budget = StepBudgetForCount(ParseStepCount(countText.toStdString()));
  RunMachine([budget] { core::StepMachine(budget); });
}

void CDebugDialog::OnReset() {
  RunMachine([] { core::Reset(); });
}

void CDebugDialog::OnSpeedLimit() {
  const bool on = ToggleSpeedLimit();
  static_cast<QCheckBox*>(Control(kSpeedLimitBox))->setChecked(on);
}

void CDebugDialog::OnForce(ForceFlag flag) {
  ToggleForce(flag);
  switch (flag) {
    case ForceFlag::kText:
    case ForceFlag::kBitmap:
      // Setting one of the two clears the other; clearing one leaves the other alone.
      SetCaption(kForceTextButton, ForceCaption(ForceFlagSet(ForceFlag::kText)));
      SetCaption(kForceBitmapButton, ForceCaption(ForceFlagSet(ForceFlag::kBitmap)));
      break;
    case ForceFlag::kMulticolour:
      SetCaption(kForceMulticolourButton, ForceCaption(ForceFlagSet(ForceFlag::kMulticolour)));
      break;
  }
}

void CDebugDialog::OnPointerStep(VideoPointer pointer, int direction) {
  StepVideoPointer(pointer, direction);
}

void CDebugDialog::OnPointerFollow(VideoPointer pointer) {
  FollowVideoRegister(pointer);
}

}  // namespace shell
