// The main window and the machine side of its commands: the menu as the user sees it,
// the file filters, the command-line rule, the file dialogs' folder change, loading and
// starting a program while the machine runs on another thread, and ending the process.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <atomic>
#include <filesystem>
#include <thread>

#include "core/machine.h"
#include "core/memory_map.h"
#include "core/mouse_port.h"
#include "core/run_control.h"
#include "input/host_key_table.h"
#include "input/key_matrix.h"
#include "media/d64_image.h"
#include "platform/qt/thread_priority.h"
#include "shell/desktop/desktop_options.h"
#include "shell/desktop/desktop_sound.h"
#include "shell/desktop/main_dialog.h"
#include "shell/desktop/shell_commands.h"
#include "tests/support/test_machine.h"

using namespace platform;
using namespace core;
using namespace input;
using namespace media;
using namespace shell;

namespace {

struct MenuEntry {
  std::string caption;
  int command;
};

std::vector<MenuEntry> EntriesOf(QMenu* menu) {
  std::vector<MenuEntry> entries;
  for (QAction* action : menu->actions()) {
    entries.push_back({action->text().toStdString(), action->data().toInt()});
  }
  return entries;
}

bool operator==(const MenuEntry& a, const MenuEntry& b) {
  return a.caption == b.caption && a.command == b.command;
}

// A scratch folder that is removed again, with the current directory restored.
class ScratchFolder {
 public:
  ScratchFolder()
      : previous_(std::filesystem::current_path()),
        path_(std::filesystem::temp_directory_path() /
              ("c64emu_desktop_" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(path_);
  }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

// Answers the next open-file dialog as a user would, as soon as it is shown: chooses
// `path`, or cancels when `path` is empty. Records the dialog's filters on the way.
void AnswerNextFileDialog(const QString& path, QStringList* filters = nullptr) {
  auto* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, [timer, path, filters] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    timer->stop();
    timer->deleteLater();
    if (filters != nullptr) *filters = dialog->nameFilters();
    if (path.isEmpty()) {
      dialog->reject();
    } else {
      // Typed into the file-name box, as a user would: selectFile() leaves the box alone
      // while it has the focus, which it has when an earlier dialog was answered.
      auto* nameBox = dialog->findChild<QLineEdit*>("fileNameEdit");
      ASSERT_NE(nameBox, nullptr);
      nameBox->setText(path);
      static_cast<QDialog*>(dialog)->accept();  // public in QDialog
    }
  });
  timer->start(10);
}

bool RamHoldsSumProgram() {
  return std::equal(kSumProgram.begin() + 2, kSumProgram.end(), C64.memory.ram + 0x0801);
}

// After a typed RUN: no box, and RUN with the program's output on the screen.
void ExpectTheSumProgramRan() {
  EXPECT_TRUE(RecordedMessageBoxes().empty());
  const std::string screen = ScreenText();
  EXPECT_NE(screen.find("\nRUN "), std::string::npos) << screen;
  EXPECT_NE(screen.find("\n 4321 "), std::string::npos) << screen;
}

}  // namespace

TEST(MainWindow, HasTheCaptionAndTheFourMenusWithTheirCommandIds) {
  CMainDialog dialog;
  EXPECT_EQ(dialog.windowTitle().toStdString(), "Orvik's C64 Emulator");
  const auto* menuBar = dialog.findChild<QMenuBar*>();
  ASSERT_NE(menuBar, nullptr);
  const QList<QAction*> menus = menuBar->actions();
  ASSERT_EQ(menus.size(), 4);
  EXPECT_EQ(menus[0]->text().toStdString(), "File");
  EXPECT_EQ(menus[1]->text().toStdString(), "Edit");
  EXPECT_EQ(menus[2]->text().toStdString(), "Extras");
  EXPECT_EQ(menus[3]->text().toStdString(), "View");
  EXPECT_EQ(EntriesOf(menus[0]->menu()), (std::vector<MenuEntry>{{"Open .PRG", 32771},
                                                                 {"Mount .D64", 32775},
                                                                 {"Save Snapshot...", 32778},
                                                                 {"Load Snapshot...", 32779},
                                                                 {"Save Screenshot...", 32781},
                                                                 {"Quit", 32772}}));
  EXPECT_EQ(EntriesOf(menus[1]->menu()), (std::vector<MenuEntry>{{"Paste Text", 32782}}));
  EXPECT_EQ(EntriesOf(menus[2]->menu()), (std::vector<MenuEntry>{{"Reset", 32774},
                                                                 {"Debug...", 32773},
                                                                 {"", 0},
                                                                 {"Cursor keys as joystick", 32776},
                                                                 {"Joystick in port 2", 32777},
                                                                 {"Accurate Machine", 32780},
                                                                 {"Sound", 32788},
                                                                 {"Mouse in Port 1", 32789},
                                                                 {"Warp", 32790}}));
  EXPECT_EQ(EntriesOf(menus[3]->menu()), (std::vector<MenuEntry>{{"Size 1x", 32783},
                                                                 {"Size 2x", 32784},
                                                                 {"Size 3x", 32785},
                                                                 {"Size 4x", 32786},
                                                                 {"Fullscreen\tNum Lock", 32787}}));
}

TEST(MainWindow, SoundStartsOnAndTheMouseUnpluggedAndBothFollowTheirItems) {
  ZeroWholeMachine();
  PowerOnTestMachine();
  CMainDialog dialog;
  const QList<QAction*> items = dialog.findChild<QMenuBar*>()->actions()[2]->menu()->actions();
  QAction* sound = items[6];
  QAction* mouse = items[7];
  EXPECT_TRUE(sound->isCheckable() && sound->isChecked());
  EXPECT_TRUE(mouse->isCheckable() && !mouse->isChecked());
  dialog.OnCommand(CMainDialog::kSound);
  EXPECT_FALSE(SoundIsOn());
  sound->trigger();
  EXPECT_TRUE(SoundIsOn());
  // Plugged in, the paddle registers show the mouse's counts (0 so far); out, $FF again.
  EXPECT_EQ(ReadIo(0xD419), 0xFF);
  dialog.OnCommand(CMainDialog::kMouseInPort1);
  EXPECT_TRUE(MouseInPort1());
  EXPECT_EQ(ReadIo(0xD419), 0x00);
  mouse->trigger();
  EXPECT_FALSE(MouseInPort1());
  EXPECT_EQ(ReadIo(0xD41A), 0xFF);
  ZeroWholeMachine();
}

TEST(MainWindow, KeyboardSettingsStartAsTheCommandLineLeftThemAndFollowTheirItems) {
  ZeroWholeMachine();
  const auto settingItems = [](CMainDialog& dialog) {
    QList<QAction*> items;
    for (QAction* menu : dialog.findChild<QMenuBar*>()->actions()) {
      if (menu->text() == "Extras") items = menu->menu()->actions();
    }
    return std::pair{items[3], items[4]};
  };
  {
    CMainDialog dialog;
    const auto [cursorKeys, port2] = settingItems(dialog);
    EXPECT_TRUE(cursorKeys->isCheckable() && cursorKeys->isChecked());
    EXPECT_TRUE(port2->isCheckable() && !port2->isChecked());
    dialog.OnCommand(CMainDialog::kCursorKeysAsJoystick);
    dialog.OnCommand(CMainDialog::kJoystickInPort2);
    EXPECT_FALSE(cursorKeys->isChecked());
    EXPECT_FALSE(CursorKeysAsJoystick());
    EXPECT_EQ(C64.input.joystickPort.load(), 2);
  }
  CMainDialog dialog;  // a window made now shows the settings as they are
  const auto [cursorKeys, port2] = settingItems(dialog);
  EXPECT_FALSE(cursorKeys->isChecked());
  EXPECT_TRUE(port2->isChecked());
  port2->trigger();
  EXPECT_EQ(C64.input.joystickPort.load(), 1);
  ZeroWholeMachine();
}

// Warp is the speed limit inverted, whoever switches it: the item switches the limit, and
// a change made elsewhere (the debug window's box, the Warp key) shows on the item.
TEST(MainWindow, WarpItemAndSpeedLimitFollowEachOther) {
  ZeroWholeMachine();
  CMainDialog dialog;
  SetSpeedLimit(true);
  QCoreApplication::processEvents();
  QAction* warp = dialog.findChild<QMenuBar*>()->actions()[2]->menu()->actions().last();
  ASSERT_EQ(warp->text().toStdString(), "Warp");
  EXPECT_FALSE(warp->isChecked());
  warp->trigger();
  EXPECT_FALSE(SpeedLimitIsOn());
  EXPECT_TRUE(warp->isChecked());
  SetSpeedLimit(true);  // from another thread's key or the debug window
  QCoreApplication::processEvents();
  EXPECT_FALSE(warp->isChecked());
  std::thread([] { SetSpeedLimit(false); }).join();
  QCoreApplication::processEvents();
  EXPECT_TRUE(warp->isChecked());
  ZeroWholeMachine();
}

TEST(DesktopOptions, TakenOutOfTheCommandLineWhichKeepsItsOtherArguments) {
  ZeroWholeMachine();
  std::string storage[] = {"c64emu",   "--joystick-port",      "2",
                           "game.prg", "--cursor-keys=cursor", "--other"};
  char* argv[7] = {};
  for (int i = 0; i < 6; ++i) argv[i] = storage[i].data();
  int argc = 6;
  std::string error;
  ASSERT_TRUE(TakeDesktopOptions(argc, argv, error)) << error;
  ASSERT_EQ(argc, 3);
  EXPECT_STREQ(argv[1], "game.prg");
  EXPECT_STREQ(argv[2], "--other");
  EXPECT_EQ(argv[3], nullptr);
  EXPECT_EQ(C64.input.joystickPort.load(), 2);
  EXPECT_FALSE(CursorKeysAsJoystick());

  for (const char* bad : {"--joystick-port=3", "--cursor-keys=mouse", "--joystick-port"}) {
    SCOPED_TRACE(bad);
    std::string text[] = {"c64emu", bad};
    char* args[3] = {text[0].data(), text[1].data(), nullptr};
    int count = 2;
    EXPECT_FALSE(TakeDesktopOptions(count, args, error));
    EXPECT_NE(error.find(" takes "), std::string::npos) << error;
    EXPECT_EQ(count, 2);
  }
  EXPECT_EQ(C64.input.joystickPort.load(), 2) << "a bad value changes nothing";
  ZeroWholeMachine();
}

TEST(MainWindow, StartsWithoutACommandLinePath) {
  CMainDialog dialog;
  EXPECT_EQ(dialog.CommandLinePath(), "");
}

TEST(MainWindow, FileFiltersOfferTheTypeAndAllFiles) {
  EXPECT_EQ(QtNameFilters(kPrgFilter), (QStringList{"C64 PRG-File (*.prg)", "All Files (*)"}));
  EXPECT_EQ(QtNameFilters(kD64Filter), (QStringList{"C64 D64-Image (*.d64)", "All Files (*)"}));
}

TEST(MainWindow, QuitEndsTheProcessWithStatusZero) {
  EXPECT_EXIT(
      {
        CMainDialog dialog;
        dialog.OnCommand(CMainDialog::kQuit);
      },
      testing::ExitedWithCode(0), "");
}

TEST(MainWindow, OkEndsTheProcessWithStatusZero) {
  EXPECT_EXIT(
      {
        CMainDialog dialog;
        dialog.accept();
      },
      testing::ExitedWithCode(0), "");
}

// The File menu's dialogs, answered as a user would: runs the command with `path` chosen
// (cancelled when empty) and returns the filters the dialog offered.
QStringList RunFileCommand(int command, const std::string& path) {
  CMainDialog dialog;
  QStringList filters;
  AnswerNextFileDialog(QString::fromStdString(path), &filters);
  dialog.OnCommand(command);
  return filters;
}

// No machine runs here: as with a stopped machine, the typed RUN goes down and up
// without waiting for scans.
TEST(MainWindow, OpenPrgLoadsTheChosenFileFromItsFolder) {
  LoadTestRoms();
  C64.run.emulationRunning.store(0);
  RecordMessageBoxes();
  ScratchFolder folder;
  const std::string path = WriteTestFile(folder.Path(), "sum.prg", kSumProgram);

  EXPECT_EQ(RunFileCommand(CMainDialog::kOpenPrg, path), QtNameFilters(kPrgFilter));
  EXPECT_TRUE(RamHoldsSumProgram());
  EXPECT_EQ(std::filesystem::current_path(), std::filesystem::canonical(folder.Path()));
  EXPECT_TRUE(RecordedMessageBoxes().empty());
  for (const auto& row : C64.input.keyMatrix) EXPECT_EQ(row.load(), 0xFF);
}

TEST(MainWindow, CancellingOpenPrgLoadsNothing) {
  LoadTestRoms();
  C64.run.emulationRunning.store(0);
  RecordMessageBoxes();
  RunFileCommand(CMainDialog::kOpenPrg, "");
  EXPECT_FALSE(RamHoldsSumProgram());
  EXPECT_TRUE(RecordedMessageBoxes().empty());
}

TEST(MainWindow, MountD64ReadsTheChosenImageAndConfirmsItsName) {
  RecordMessageBoxes();
  ScratchFolder folder;
  std::vector<std::uint8_t> image(kD64ImageSize, 0);
  image[kD64DiskNameOffset] = 'G';
  const std::string path = WriteTestFile(folder.Path(), "games.d64", image);

  EXPECT_EQ(RunFileCommand(CMainDialog::kMountD64, path), QtNameFilters(kD64Filter));
  ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
  EXPECT_EQ(RecordedMessageBoxes()[0].text, "0x47");
  EXPECT_EQ(RecordedMessageBoxes()[0].title, "Info");
  EXPECT_EQ(D64Image[kD64DiskNameOffset], 'G');
}

TEST(CommandLineRule, LowerCaseExtensionFromIndexTwoQualifies) {
  EXPECT_TRUE(CommandLineNamesProgram("game.prg"));
  EXPECT_TRUE(CommandLineNamesProgram("ab.prg"));
  EXPECT_TRUE(CommandLineNamesProgram("/home/user/games/x.prg"));
}

TEST(CommandLineRule, UpperCaseExtensionQualifiesThroughTheSecondTest) {
  EXPECT_TRUE(CommandLineNamesProgram("GAME.PRG"));
  // ".prg" at index 1 fails the first test; the ".PRG" further on passes the second.
  EXPECT_TRUE(CommandLineNamesProgram("x.prg.PRG"));
}

TEST(CommandLineRule, ExtensionBeforeIndexTwoOrInMixedCaseDoesNotQualify) {
  EXPECT_FALSE(CommandLineNamesProgram("x.prg"));
  EXPECT_FALSE(CommandLineNamesProgram(".prg"));
  EXPECT_FALSE(CommandLineNamesProgram("Game.Prg"));
  EXPECT_FALSE(CommandLineNamesProgram("(null)"));
  EXPECT_FALSE(CommandLineNamesProgram(""));
}

TEST(CommandLineRule, DiskImagesQualifyByTheSameRuleWhenNoProgramIsNamed) {
  EXPECT_TRUE(CommandLineNamesDisk("game.d64"));
  EXPECT_TRUE(CommandLineNamesDisk("GAME.D64"));
  EXPECT_TRUE(CommandLineNamesDisk("/home/user/disks/x.d64"));
  EXPECT_FALSE(CommandLineNamesDisk("x.d64"));
  EXPECT_FALSE(CommandLineNamesDisk("Game.d6"));
  EXPECT_FALSE(CommandLineNamesDisk("game.prg"));
  EXPECT_FALSE(CommandLineNamesDisk("game.d64.prg"));
  EXPECT_FALSE(CommandLineNamesDisk("(null)"));
}

TEST(FileDialogs, TheChosenFilesFolderBecomesTheCurrentDirectory) {
  ScratchFolder folder;
  const std::string name = EnterFolderOf((folder.Path() / "game.prg").string());
  EXPECT_EQ(name, "game.prg");
  EXPECT_EQ(std::filesystem::current_path(), std::filesystem::canonical(folder.Path()));
}

TEST(FileDialogs, ABareNameLeavesTheCurrentDirectory) {
  const auto before = std::filesystem::current_path();
  EXPECT_EQ(EnterFolderOf("disk.d64"), "disk.d64");
  EXPECT_EQ(std::filesystem::current_path(), before);
}

TEST(ProgramLoading, AMissingFileShowsItsBoxAndTypesNothing) {
  LoadTestRoms();
  RecordMessageBoxes();
  EXPECT_FALSE(LoadAndStartProgram("missing.prg"));
  ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
  EXPECT_EQ(RecordedMessageBoxes()[0].text, "File not found: missing.prg");
  EXPECT_EQ(RecordedMessageBoxes()[0].title, "Error");
  for (const auto& row : C64.input.keyMatrix) EXPECT_EQ(row.load(), 0xFF);
}

TEST(ProgramLoading, ALoadedProgramRunsWhileTheMachineRunsOnAnotherThread) {
  BootToBasic();
  RecordMessageBoxes();
  C64.throttle.speedLimitOn.store(0);
  ScratchFolder folder;
  const std::string path = WriteTestFile(folder.Path(), "sum.prg", kSumProgram);

  BackgroundMachine machine;
  const bool loaded = LoadAndStartProgram(EnterFolderOf(path));
  // Let BASIC run the program after the typed RETURN.
  machine.WaitForFrames(25);
  machine.Stop();

  EXPECT_TRUE(loaded);
  ExpectTheSumProgramRan();
}

// At the machine's own speed its start-up reaches BASIC's prompt after some 1.6 s (2.2 s
// in the accurate machine), later than the one-second pause before a command-line
// program; BASIC's cold start would clear a program loaded earlier.
TEST(ProgramLoading, ACommandLineProgramWaitsForBasicsPromptInBothModels) {
  // A pass is eight frames in the classic machine and one in the accurate one: the
  // pause after each gives fifty frames a second.
  const struct {
    MachineModel model;
    std::chrono::milliseconds pauseAfterPass;
  } kModels[] = {{MachineModel::kClassic, std::chrono::milliseconds(160)},
                 {MachineModel::kAccurate, std::chrono::milliseconds(20)}};
  for (const auto& row : kModels) {
    SCOPED_TRACE(row.model == MachineModel::kAccurate ? "accurate" : "classic");
    C64.model = row.model;
    PowerOnTestMachine();
    RecordMessageBoxes();
    C64.throttle.speedLimitOn.store(0);
    ScratchFolder folder;
    const std::string path = WriteTestFile(folder.Path(), "sum.prg", kSumProgram);

    BackgroundMachine machine(row.pauseAfterPass);
    const bool started = StartCommandLineProgram(path);
    machine.WaitForFrames(25);
    machine.Stop();

    EXPECT_TRUE(started);
    ExpectTheSumProgramRan();
  }
  C64.model = MachineModel::kClassic;
}

// c64emu game.d64: the disk is mounted and LOAD"*",8,1 and RUN are typed at the prompt.
TEST(ProgramLoading, ACommandLineDiskIsMountedAndItsFirstProgramStarted) {
  PowerOnTestMachine();
  RecordMessageBoxes();
  C64.throttle.speedLimitOn.store(0);
  ScratchFolder folder;
  const std::vector<std::uint8_t> image = MakeD64Image("", {{"SUM", kSumProgram, ""}});
  ASSERT_FALSE(image.empty());
  const std::string path = WriteTestFile(folder.Path(), "sum.d64", image);

  BackgroundMachine machine(std::chrono::milliseconds(20));
  const bool started = StartCommandLineProgram(path);
  machine.WaitForFrames(25);
  machine.Stop();

  EXPECT_TRUE(started);
  ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
  EXPECT_EQ(RecordedMessageBoxes()[0].title, "Info");
  RecordedMessageBoxes().clear();
  const std::string screen = ScreenText();
  EXPECT_NE(screen.find("\nLOAD\"*\",8,1 "), std::string::npos) << screen;
  ExpectTheSumProgramRan();
}

TEST(ThreadPriority, LowestRaisesTheThreadsNiceValueAndFailuresAreQuiet) {
  std::atomic<int> id{0};
  std::atomic<bool> done{false};
  std::thread worker([&] {
    id.store(CurrentThreadId());
    while (!done.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  });
  while (id.load() == 0) std::this_thread::yield();
  const int before = ThreadNiceValue(id.load());
  SetThreadPriorityOf(id.load(), ThreadPriority::kLowest);
  EXPECT_EQ(ThreadNiceValue(id.load()), kLowestNiceValue);
  SetThreadPriorityOf(id.load(), ThreadPriority::kNormal);
  // Back to normal needs the right to raise a priority; without it the call stays quiet.
  if (geteuid() == 0) {
    EXPECT_EQ(ThreadNiceValue(id.load()), 0);
  }
  SetThreadPriorityOf(0, ThreadPriority::kLowest);
  SetThreadPriorityOf(-5, ThreadPriority::kNormal);
  done.store(true);
  worker.join();
  EXPECT_EQ(ThreadNiceValue(CurrentThreadId()), before);
}
