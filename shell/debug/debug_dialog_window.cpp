// CDebugDialog: the controls built from the template, the slots of its buttons and the
// texts the relay hands it.
#include "shell/debug/debug_dialog_window.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <optional>

#include "core/breakpoints.h"
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
  // The breakpoints stop the machine only while the window that lists them is open.
  core::EnableBreakpoints(true);
  DebugViewRelay::Instance().Attach(this);
}

CDebugDialog::~CDebugDialog() {
  DebugViewRelay::Instance().Detach(this);
  core::EnableBreakpoints(false);
}

void CDebugDialog::done(int result) {
  core::EnableBreakpoints(false);
  const bool held =
      core::C64.run.emulationRunning.load() == 0 || core::C64.run.stepBudget.load() == 0;
  if (held && !machineCallActive_) {
    core::AppendDebugLog("Debug window closed: the machine runs again");
    RunMachine([] { core::RunMachine(); });
  }
  QDialog::done(result);
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
      case ControlKind::kListBox: widget = new QListWidget(this); break;
    }
    widget->setGeometry(
        DialogUnitsToPixels(dialogFont, entry.x, entry.y, entry.width, entry.height));
    placed_.emplace_back(widget, &entry);
    if (entry.id != kNoId) {
      widget->setObjectName(QString::number(entry.id));
      controls_.emplace(entry.id, widget);
    }
  }
  logBox_ = static_cast<QPlainTextEdit*>(Control(kLogBox));
  dumpBox_ = static_cast<QPlainTextEdit*>(Control(kDumpBox));
  disassemblyBox_ = static_cast<QPlainTextEdit*>(Control(kDisassemblyBox));
  // The listing's columns line up only in a font of fixed pitch.
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  fixed.setPointSize(kFontPointSize);
  disassemblyBox_->setFont(fixed);
  disassemblyBox_->setLineWrapMode(QPlainTextEdit::NoWrap);
  breakpointList_ = static_cast<QListWidget*>(Control(kBreakpointList));
  breakpointList_->setFont(fixed);
  // The template's size is the smallest; the window grows from there.
  const QSize size = DialogUnitsToPixels(dialogFont, 0, 0, kWidthDlu, kHeightDlu).size();
  setMinimumSize(size);
  resize(size);
  setSizeGripEnabled(true);
}

// The template's rectangles, moved and stretched by the extra width and height.
void CDebugDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  const QSize base = DialogUnitsToPixels(font(), 0, 0, kWidthDlu, kHeightDlu).size();
  const int dx = std::max(0, width() - base.width());
  const int dy = std::max(0, height() - base.height());
  const int upper = dy / 2;
  for (const auto& [widget, entry] : placed_) {
    QRect rect = DialogUnitsToPixels(font(), entry->x, entry->y, entry->width, entry->height);
    switch (entry->growth) {
      case Growth::kFixed: break;
      case Growth::kUpperHalf: rect.adjust(0, 0, dx, upper); break;
      case Growth::kLowerHalf: rect.adjust(0, upper, dx, dy); break;
      case Growth::kRight: rect.translate(dx, 0); break;
      case Growth::kRightTaller:
        rect.translate(dx, 0);
        rect.setHeight(rect.height() + dy);
        break;
    }
    widget->setGeometry(rect);
  }
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

  connect(button(kAddBreakpointButton), &QPushButton::clicked, this,
          &CDebugDialog::OnAddBreakpoint);
  connect(static_cast<QLineEdit*>(Control(kBreakpointAddressBox)), &QLineEdit::returnPressed, this,
          &CDebugDialog::OnAddBreakpoint);
  connect(button(kRemoveBreakpointButton), &QPushButton::clicked, this,
          &CDebugDialog::OnRemoveBreakpoint);
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
  static_cast<QLineEdit*>(Control(kBreakpointAddressBox))->setMaxLength(16);
  ShowBreakpoints();
}

void CDebugDialog::ShowBreakpoints() {
  breakpointList_->clear();
  for (const std::uint16_t address : core::BreakpointAddresses()) {
    breakpointList_->addItem(QString::fromStdString(core::FormatBreakpointAddress(address)));
  }
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
  if (auto* list = qobject_cast<QListWidget*>(widget)) {
    QString lines;
    for (int row = 0; row < list->count(); ++row) lines += list->item(row)->text() + "\r\n";
    return lines;
  }
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
    // Stopped, by the button or at a breakpoint: the button offers Run.
    SetCaption(kStopRunButton, "Run");
  }
  if (disassemblyBox_->toPlainText() != QString::fromLatin1(texts.disassembly)) {
    disassemblyBox_->setPlainText(QString::fromLatin1(texts.disassembly));
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

// A running machine pauses after the steps ("Step" on the button); a stopped one stays
// stopped ("Run"). The fields then show the state after the last step.
void CDebugDialog::OnStep() {
  if (machineCallActive_) return;
  const bool stopped = core::C64.run.emulationRunning.load() == 0;
  SetCaption(kStopRunButton, stopped ? "Run" : "Step");
  const QString countText = static_cast<QLineEdit*>(Control(kStepCountBox))->text();
  SetDebugStepCountText(countText);
  const std::int32_t budget = StepBudgetForCount(ParseStepCount(countText.toStdString()));
  RunMachine([budget] { core::StepMachine(budget); });
  if (budget > 0) core::RefreshDebugWindow();
}

void CDebugDialog::OnAddBreakpoint() {
  auto* box = static_cast<QLineEdit*>(Control(kBreakpointAddressBox));
  const std::string text = box->text().toStdString();
  const std::optional<std::uint16_t> address = core::ParseBreakpointAddress(text);
  if (!address) {
    core::AppendDebugLog("No breakpoint set: '" + text +
                         "' is not a hexadecimal address (C000, $C000 or 0xC000)");
    UpdateLogBox();
    return;
  }
  core::AddBreakpoint(*address);
  box->clear();
  ShowBreakpoints();
}

// Removes the selected line, or else the address typed in the box.
void CDebugDialog::OnRemoveBreakpoint() {
  std::optional<std::uint16_t> address;
  if (const QListWidgetItem* item = breakpointList_->currentItem(); item != nullptr) {
    address = core::ParseBreakpointAddress(item->text().toStdString());
  } else {
    address = core::ParseBreakpointAddress(
        static_cast<QLineEdit*>(Control(kBreakpointAddressBox))->text().toStdString());
  }
  if (address) core::RemoveBreakpoint(*address);
  ShowBreakpoints();
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
