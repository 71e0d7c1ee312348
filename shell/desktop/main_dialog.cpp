// The main window: its menu and the small handlers behind the command IDs.
#include "shell/desktop/main_dialog.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "core/machine.h"
#include "core/mouse_port.h"
#include "core/power_on.h"
#include "core/run_control.h"
#include "core/run_loop.h"
#include "input/host_key_table.h"
#include "media/d64_image.h"
#include "platform/host_services.h"
#include "platform/qt/x11_session.h"
#include "shell/debug/debug_dialog.h"
#include "shell/desktop/desktop_options.h"
#include "shell/desktop/desktop_sound.h"
#include "shell/desktop/device_thread.h"
#include "shell/desktop/dropped_file.h"
#include "shell/desktop/emulator_thread.h"
#include "shell/desktop/pasted_text.h"
#include "shell/desktop/screenshot_saver.h"
#include "shell/desktop/shell_commands.h"
#include "shell/snapshot_file.h"
#include "video/display/file_drop_target.h"
#include "video/display/key_origin.h"
#include "video/display/window_view.h"

namespace shell {

namespace {

struct MenuItem {
  const char* caption;
  int command;
};

// 320 x 30 dialog units of an 8-point dialog font.
constexpr int kClientWidth = 480;
constexpr int kClientHeight = 49;

// The Extras menu's Warp item, for the speed limit's observer (one main window).
QAction* WarpItem = nullptr;

// The speed limit changed (the Warp item or key, the debug window's box, on any thread):
// the Warp item and the box follow on the user-interface thread.
void FollowSpeedLimit(bool on) {
  QMetaObject::invokeMethod(
      qApp,
      [on] {
        if (WarpItem != nullptr) {
          const QSignalBlocker quiet(WarpItem);
          WarpItem->setChecked(!on);
        }
        ShowSpeedLimitInDebugDialog(on);
      },
      Qt::QueuedConnection);
}

// The one local file a drag carries, or nothing (several files, or none on this host).
QString DraggedLocalFile(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls() || data->urls().size() != 1) return {};
  const QUrl url = data->urls().first();
  return url.isLocalFile() ? url.toLocalFile() : QString();
}

// After a dialog the keys go back to the display window, where the C64 is typed on.
void ReturnKeyboardToDisplay() {
  platform::GiveKeyboardFocus(video::DisplayWindowXId());
}

}  // namespace

QStringList QtNameFilters(const char* pipeFilter) {
  const QStringList parts = QString::fromLatin1(pipeFilter).split('|');
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty()) break;
    QString description = parts[i];
    QString patterns = parts[i + 1];
    if (patterns == "*.*") {
      patterns = "*";
      description.replace("(*.*)", "(*)");
    }
    const int bracket = description.indexOf('(');
    const QString label = bracket >= 0 ? description.left(bracket).trimmed() : description;
    filters << QString("%1 (%2)").arg(label, QString(patterns).replace(';', ' '));
  }
  return filters;
}

CMainDialog::CMainDialog(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      icon_(":/c64emu/icon.png") {
  setWindowTitle("Orvik's C64 Emulator");

  auto* menuBar = new QMenuBar(this);
  const auto addMenu = [this, menuBar](const char* title, std::initializer_list<MenuItem> items) {
    QMenu* menu = menuBar->addMenu(title);
    for (const MenuItem& item : items) {
      QAction* action = menu->addAction(item.caption);
      action->setData(item.command);
      connect(action, &QAction::triggered, this,
              [this, command = item.command] { OnCommand(command); });
    }
  };
  addMenu("File", {{"Open .PRG", kOpenPrg},
                   {"Mount .D64", kMountD64},
                   {"Save Snapshot...", kSaveSnapshot},
                   {"Load Snapshot...", kLoadSnapshot},
                   {"Save Screenshot...", kSaveScreenshot},
                   {"Quit", kQuit}});
  addMenu("Edit", {{"Paste Text", kPasteText}});
  addMenu("Extras", {{"Reset", kReset}, {"Debug...", kDebug}});
  // The keyboard settings, as the command line left them.
  QMenu* extras = menuBar->actions().last()->menu();
  extras->addSeparator();
  const auto addSetting = [this, extras](const char* caption, int command, bool on,
                                         void (CMainDialog::*handler)(bool)) {
    QAction* action = extras->addAction(caption);
    action->setData(command);
    action->setCheckable(true);
    action->setChecked(on);
    connect(action, &QAction::toggled, this, handler);
    return action;
  };
  cursorKeysAsJoystick_ =
      addSetting("Cursor keys as joystick", kCursorKeysAsJoystick, input::CursorKeysAsJoystick(),
                 &CMainDialog::OnCursorKeysAsJoystick);
  joystickInPort2_ =
      addSetting("Joystick in port 2", kJoystickInPort2, core::C64.input.joystickPort.load() == 2,
                 &CMainDialog::OnJoystickInPort2);
  accurateMachine_ =
      addSetting("Accurate Machine", kAccurateMachine,
                 core::C64.model == core::MachineModel::kAccurate, &CMainDialog::OnAccurateMachine);
  sound_ = addSetting("Sound", kSound, SoundIsOn(), &CMainDialog::OnSound);
  mouseInPort1_ = addSetting("Mouse in Port 1", kMouseInPort1, core::MouseInPort1(),
                             &CMainDialog::OnMouseInPort1);
  warp_ = addSetting("Warp", kWarp, !core::SpeedLimitIsOn(), &CMainDialog::OnWarp);
  WarpItem = warp_;
  core::SetSpeedLimitObserver(&FollowSpeedLimit);

  // The display window's size as a multiple of the picture's, and the fullscreen key's item.
  addMenu("View", {{"Size 1x", kViewSize1x},
                   {"Size 2x", kViewSize2x},
                   {"Size 3x", kViewSize3x},
                   {"Size 4x", kViewSize4x},
                   {"Fullscreen\tNum Lock", kViewFullScreen}});

  setAcceptDrops(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setMenuBar(menuBar);
  resize(kClientWidth, kClientHeight + menuBar->sizeHint().height());
}

CMainDialog::~CMainDialog() {
  if (WarpItem == warp_) WarpItem = nullptr;
}

void CMainDialog::InitDialog() {
  setWindowIcon(icon_);
  SetDebugStepCountText("1");
  core::SetSpeedLimit(true);
  video::SetDroppedFileHandler(&OpenDroppedFileLater);
  StartDeviceThread(SoundStatusRequested());
  StartEmulatorThread();
  // The machine boots on EmulatorThread meanwhile; the window is not shown yet.
  StartCommandLineProgram(commandLinePath_);
}

void CMainDialog::OnCommand(int command) {
  switch (command) {
    case kOpenPrg: OnOpenPrg(); break;
    case kMountD64: OnMountD64(); break;
    case kSaveSnapshot: OnSaveSnapshot(); break;
    case kLoadSnapshot: OnLoadSnapshot(); break;
    case kSaveScreenshot: OnSaveScreenshot(); break;
    case kPasteText: OnPasteText(); break;
    case kQuit: platform::EndProcess(0);
    case kReset: OnReset(); break;
    case kDebug: OnDebug(); break;
    case kCursorKeysAsJoystick: cursorKeysAsJoystick_->toggle(); break;
    case kJoystickInPort2: joystickInPort2_->toggle(); break;
    case kAccurateMachine: accurateMachine_->toggle(); break;
    case kViewSize1x:
    case kViewSize2x:
    case kViewSize3x:
    case kViewSize4x: video::RequestWindowScale(command - kViewSize1x + 1); break;
    case kViewFullScreen: video::RequestFullScreenToggle(); break;
    case kSound: sound_->toggle(); break;
    case kMouseInPort1: mouseInPort1_->toggle(); break;
    case kWarp: warp_->toggle(); break;
    default: break;
  }
  // The command's dialogs and boxes are closed: the keys go to the C64 again.
  ReturnKeyboardToDisplay();
}

void CMainDialog::accept() {
  QDialog::accept();
  platform::EndProcess(0);
}

QString CMainDialog::ChooseFile(const QString& defaultSuffix, const char* pipeFilter,
                                bool forSaving) {
  QFileDialog dialog(this);
  dialog.setFileMode(forSaving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setAcceptMode(forSaving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setNameFilters(QtNameFilters(pipeFilter));
  dialog.setDefaultSuffix(defaultSuffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

void CMainDialog::OnOpenPrg() {
  SetEmulatorThreadPriority(platform::ThreadPriority::kLowest);
  const QString chosen = ChooseFile("prg", kPrgFilter);
  if (!chosen.isEmpty()) LoadAndStartProgram(EnterFolderOf(chosen.toStdString()));
  SetEmulatorThreadPriority(platform::ThreadPriority::kNormal);
}

void CMainDialog::OnMountD64() {
  SetEmulatorThreadPriority(platform::ThreadPriority::kLowest);
  const QString chosen = ChooseFile("d64", kD64Filter);
  if (!chosen.isEmpty()) media::MountD64(EnterFolderOf(chosen.toStdString()));
  SetEmulatorThreadPriority(platform::ThreadPriority::kNormal);
}

void CMainDialog::OnSaveSnapshot() {
  const QString chosen = ChooseFile("c64snap", kSnapshotFilter, true);
  std::string error;
  if (!chosen.isEmpty() && !SaveSnapshotFile(chosen.toStdString(), error)) {
    platform::ShowMessageBox(error, "Error");
  }
}

void CMainDialog::OnLoadSnapshot() {
  const QString chosen = ChooseFile("c64snap", kSnapshotFilter);
  std::string error;
  if (!chosen.isEmpty() && !LoadSnapshotFile(chosen.toStdString(), error)) {
    platform::ShowMessageBox(error, "Error");
  }
}

void CMainDialog::OnSaveScreenshot() {
  const QString chosen = ChooseFile("png", kPngFilter, true);
  std::string error;
  if (!chosen.isEmpty() && !SaveScreenshot(chosen.toStdString(), error)) {
    platform::ShowMessageBox("Screenshot not saved: " + chosen.toStdString() + ": " + error,
                             "Error");
  }
}

void CMainDialog::OnPasteText() {
  const QClipboard* clipboard = QGuiApplication::clipboard();
  PasteText(clipboard != nullptr ? clipboard->text().toStdU32String() : std::u32string());
}

void CMainDialog::dragEnterEvent(QDragEnterEvent* event) {
  const QString path = DraggedLocalFile(event->mimeData());
  if (!path.isEmpty() && KindOfDroppedFile(path.toStdString()) != DroppedFileKind::kNone) {
    event->acceptProposedAction();
  }
}

void CMainDialog::dropEvent(QDropEvent* event) {
  const QString path = DraggedLocalFile(event->mimeData());
  if (path.isEmpty() || KindOfDroppedFile(path.toStdString()) == DroppedFileKind::kNone) return;
  event->acceptProposedAction();
  OpenDroppedFile(path.toStdString());
  ReturnKeyboardToDisplay();
}

void CMainDialog::OnReset() {
  core::Reset();
}

void CMainDialog::OnDebug() {
  RunDebugDialog(this);
}

void CMainDialog::OnCursorKeysAsJoystick(bool on) {
  input::SetCursorKeysAsJoystick(on);
}

void CMainDialog::OnAccurateMachine(bool on) {
  {
    core::PassLock lock;
    core::C64.model = on ? core::MachineModel::kAccurate : core::MachineModel::kClassic;
  }
  core::Reset();
}

void CMainDialog::OnWarp(bool on) {
  core::SetSpeedLimit(!on);
}

void CMainDialog::OnJoystickInPort2(bool on) {
  core::C64.input.joystickPort.store(on ? 2 : 1);
}

void CMainDialog::OnSound(bool on) {
  SetSoundOn(on);
}

void CMainDialog::OnMouseInPort1(bool on) {
  core::SetMouseInPort1(on);
}

}  // namespace shell
