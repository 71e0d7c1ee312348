// CMainDialog: the main window "Orvik's C64 Emulator". It holds only its menu; the
// emulated screen is the separate display window, which the View menu sizes.
#pragma once

#include <QAction>
#include <QDialog>
#include <QIcon>
#include <QStringList>
#include <string>

namespace shell {

class CMainDialog : public QDialog {
  Q_OBJECT

 public:
  // The menu's command IDs.
  enum Command : int {
    kOpenPrg = 32771,
    kQuit = 32772,
    kDebug = 32773,
    kReset = 32774,
    kMountD64 = 32775,
    kCursorKeysAsJoystick = 32776,
    kJoystickInPort2 = 32777,
    kSaveSnapshot = 32778,
    kLoadSnapshot = 32779,
    kAccurateMachine = 32780,
    kSaveScreenshot = 32781,
    kPasteText = 32782,
    kViewSize1x = 32783,  // 32783-32786: the display window at 1-4 times the picture's size
    kViewSize2x = 32784,
    kViewSize3x = 32785,
    kViewSize4x = 32786,
    kViewFullScreen = 32787,
    kSound = 32788,
    kMouseInPort1 = 32789,
    kWarp = 32790,
  };

  explicit CMainDialog(QWidget* parent = nullptr);
  ~CMainDialog() override;

  void SetCommandLinePath(const std::string& path) { commandLinePath_ = path; }
  const std::string& CommandLinePath() const { return commandLinePath_; }

  // Runs once after construction, before the window is shown: icons, the debug window's
  // step count, the speed limit, EmulatorThread and the command-line program.
  void InitDialog();

  // Dispatches a menu command to its handler.
  void OnCommand(int command);

  // The OK command: close, then end the process with status 0.
  void accept() override;

 protected:
  // A .prg, .d64 or .c64snap file dropped on the window opens as the File menu opens it.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void OnOpenPrg();
  void OnMountD64();
  void OnSaveSnapshot();
  void OnLoadSnapshot();
  void OnSaveScreenshot();
  void OnPasteText();
  void OnReset();
  void OnDebug();
  // The two checkable keyboard settings of the Extras menu.
  void OnCursorKeysAsJoystick(bool on);
  void OnJoystickInPort2(bool on);
  // Switches between the classic and the accurate machine, with a reset.
  void OnAccurateMachine(bool on);
  // Sound on or muted; the 1351 mouse plugged into port 1 or out.
  void OnSound(bool on);
  void OnMouseInPort1(bool on);
  // Warp: the speed limit off.
  void OnWarp(bool on);
  // Shows an open-file (or save-file) dialog; empty when cancelled.
  QString ChooseFile(const QString& defaultSuffix, const char* pipeFilter, bool forSaving = false);

  QAction* cursorKeysAsJoystick_ = nullptr;
  QAction* joystickInPort2_ = nullptr;
  QAction* accurateMachine_ = nullptr;
  QAction* sound_ = nullptr;
  QAction* mouseInPort1_ = nullptr;
  QAction* warp_ = nullptr;
  QIcon icon_;
  std::string commandLinePath_;
};

// The filters of the open-file dialogs in their pipe-separated form.
inline constexpr const char* kPrgFilter = "C64 PRG-File (*.prg)|*.prg|All Files (*.*)|*.*||";
inline constexpr const char* kD64Filter = "C64 D64-Image (*.d64)|*.d64|All Files (*.*)|*.*||";
inline constexpr const char* kSnapshotFilter =
    "C64 Snapshot (*.c64snap)|*.c64snap|All Files (*.*)|*.*||";
inline constexpr const char* kPngFilter = "PNG Picture (*.png)|*.png|All Files (*.*)|*.*||";

// A pipe-separated filter as Qt name filters: "description (patterns)" per pair, with
// "*.*" widened to "*" so that "All Files" also lists files without an extension.
QStringList QtNameFilters(const char* pipeFilter);

}  // namespace shell
