// Files and text given to the desktop program: files dropped on the main window (through
// Qt's own drag-and-drop events), the clipboard's text typed into the machine with the
// characters no key types counted, the menu entries for both, and the screenshot saver
// the desktop program installs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QUrl>
#include <filesystem>
#include <string>
#include <vector>

#include "core/debug_log.h"
#include "core/machine.h"
#include "input/key_matrix.h"
#include "media/d64_image.h"
#include "shell/desktop/dropped_file.h"
#include "shell/desktop/main_dialog.h"
#include "shell/desktop/pasted_text.h"
#include "shell/desktop/screenshot_saver.h"
#include "shell/snapshot_file.h"
#include "tests/support/test_machine.h"

using namespace core;
using namespace shell;

namespace {

namespace fs = std::filesystem;

// Bit row * 8 + column of the C64's keyboard matrix.
constexpr std::uint64_t Key(int row, int column) {
  return std::uint64_t{1} << (row * 8 + column);
}
constexpr std::uint64_t kA = Key(1, 2);
constexpr std::uint64_t kReturnKey = Key(0, 1);
constexpr std::uint64_t kRightShift = Key(6, 4);
constexpr std::uint64_t kSeven = Key(3, 0);

TEST(PastedText, EachCharacterIsAPressAndAReleaseOfItsKeys) {
  const struct {
    std::u32string text;
    std::vector<std::uint64_t> keys;  // one per typed character
    std::size_t skipped;
  } cases[] = {
      {U"A'", {kA | kRightShift, kSeven | kRightShift}, 0},  // as --type: SHIFT+A
      {U"a\r\na\r", {kA, kReturnKey, kA, kReturnKey}, 0},    // one RETURN for the pair
      {U"a|~`{}\u00e9\u20ac\U0001F600a", {kA, kA}, 8},
  };
  for (const auto& c : cases) {
    const PastedKeys keys = KeysForPastedText(c.text);
    EXPECT_EQ(keys.typed, c.keys.size());
    EXPECT_EQ(keys.skipped, c.skipped);
    ASSERT_EQ(keys.events.size(), 2 * c.keys.size());
    for (std::size_t i = 0; i < c.keys.size(); ++i) {
      EXPECT_EQ(keys.events[2 * i].press, c.keys[i]) << i;
      EXPECT_EQ(keys.events[2 * i].release, 0u);
      EXPECT_EQ(keys.events[2 * i + 1].release, c.keys[i]);
      EXPECT_EQ(keys.events[2 * i + 1].press, 0u);
    }
  }
}

QMenu* MenuTitled(CMainDialog& dialog, const QString& title) {
  for (QAction* action : dialog.findChild<QMenuBar*>()->actions()) {
    if (action->text() == title) return action->menu();
  }
  return nullptr;
}

QAction* ItemOf(QMenu* menu, const QString& caption) {
  if (menu == nullptr) return nullptr;
  for (QAction* action : menu->actions()) {
    if (action->text() == caption) return action;
  }
  return nullptr;
}

TEST(PastedText, EditPasteTextTypesTheClipboardIntoBasic) {
  BootToBasic();
  ClearDebugLog();
  QGuiApplication::clipboard()->setText("print 6*7|\r\n");
  CMainDialog dialog;
  QAction* paste = ItemOf(MenuTitled(dialog, "Edit"), "Paste Text");
  ASSERT_NE(paste, nullptr);
  paste->trigger();
  EXPECT_NE(DebugLogText().find("> Paste Text: 10 characters typed, 1 skipped"), std::string::npos)
      << DebugLogText();
  // The feeding timer's work, frame by frame, until every key has been scanned.
  for (int frame = 0;
       frame < 300 && (FeedPastedKeys() || input::CurrentKeysInFlight().queuedCount > 0); ++frame) {
    RunFrames(1);
  }
  RunFrames(20);
  const std::string screen = ScreenText();
  EXPECT_NE(screen.find("\nPRINT 6*7"), std::string::npos) << screen;
  EXPECT_NE(screen.find("\n 42 "), std::string::npos) << screen;
  ZeroWholeMachine();
}

TEST(PastedText, TooMuchTextIsRefusedWhole) {
  ZeroWholeMachine();
  RecordMessageBoxes();
  PasteText(std::u32string(kMaxPastedCharacters + 1, U'a'));
  ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
  EXPECT_EQ(RecordedMessageBoxes()[0].title, "Paste Text");
  EXPECT_FALSE(FeedPastedKeys());
  EXPECT_EQ(input::CurrentKeysInFlight().queuedCount, 0);
}

// Drags `paths` onto the window as a file manager would; returns whether the window took
// the drag (the drop follows only then, as Qt delivers it).
bool DropOn(CMainDialog& dialog, const std::vector<std::string>& paths) {
  QMimeData data;
  QList<QUrl> urls;
  for (const std::string& path : paths) urls << QUrl::fromLocalFile(QString::fromStdString(path));
  data.setUrls(urls);
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&dialog, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&dialog, &drop);
  return drop.isAccepted();
}

class DroppedFileTest : public testing::Test {
 protected:
  void SetUp() override {
    LoadTestRoms();
    C64.run.emulationRunning.store(0);  // no machine runs here
    RecordMessageBoxes();
    ClearDebugLog();
  }
  void TearDown() override { ZeroWholeMachine(); }
  WorkingFolder folder_{"dropped"};
};

TEST_F(DroppedFileTest, ProgramLoadsAtItsAddress) {
  const std::string path =
      WriteTestFile(folder_.Path(), "code.prg", {0x00, 0xC0, 0xA9, 0x01, 0x60});
  CMainDialog dialog;
  EXPECT_TRUE(DropOn(dialog, {path}));
  EXPECT_EQ(C64.memory.ram[0xC000], 0xA9);
  EXPECT_EQ(C64.memory.ram[0xC002], 0x60);
  EXPECT_NE(DebugLogText().find("Loaded $C000-$C002"), std::string::npos);
  EXPECT_TRUE(RecordedMessageBoxes().empty());
}

TEST_F(DroppedFileTest, DiskImageIsMounted) {
  std::vector<std::uint8_t> image(media::kD64ImageSize, 0);
  image[media::kD64DiskNameOffset] = 'G';
  const std::string path = WriteTestFile(folder_.Path(), "games.D64", image);
  CMainDialog dialog;
  EXPECT_TRUE(DropOn(dialog, {path}));
  ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
  EXPECT_EQ(RecordedMessageBoxes()[0].text, "0x47");
  EXPECT_EQ(media::D64Image[media::kD64DiskNameOffset], 'G');
}

TEST_F(DroppedFileTest, SnapshotBringsTheMachineBackAndABrokenOneChangesNothing) {
  C64.memory.ram[0x2000] = 0x5A;
  const std::string path = (folder_.Path() / "state.c64snap").string();
  std::string error;
  ASSERT_TRUE(SaveSnapshotFile(path, error)) << error;
  C64.memory.ram[0x2000] = 0x00;
  CMainDialog dialog;
  EXPECT_TRUE(DropOn(dialog, {path}));
  EXPECT_EQ(C64.memory.ram[0x2000], 0x5A);
  EXPECT_TRUE(RecordedMessageBoxes().empty());

  const std::string broken = WriteTestFile(folder_.Path(), "broken.c64snap", {'C', '6', '4'});
  C64.memory.ram[0x2000] = 0x11;
  EXPECT_TRUE(DropOn(dialog, {broken}));
  EXPECT_EQ(C64.memory.ram[0x2000], 0x11);
  ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
  EXPECT_EQ(RecordedMessageBoxes()[0].title, "Error");
  EXPECT_NE(RecordedMessageBoxes()[0].text.find("broken.c64snap"), std::string::npos);
}

TEST_F(DroppedFileTest, OtherFilesAndSeveralAtOnceAreRefusedAtTheDrag) {
  const std::string text = WriteTestFile(folder_.Path(), "notes.txt", {'h', 'i'});
  const std::string program =
      WriteTestFile(folder_.Path(), "code.prg", {0x00, 0xC0, 0xA9, 0x01, 0x60});
  CMainDialog dialog;
  EXPECT_FALSE(DropOn(dialog, {text}));
  EXPECT_FALSE(DropOn(dialog, {program, program}));
  EXPECT_EQ(C64.memory.ram[0xC000], 0x00);
  EXPECT_TRUE(RecordedMessageBoxes().empty());
}

}  // namespace
