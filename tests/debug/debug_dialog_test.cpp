// The real "Debug Info" window on the offscreen platform, without running the processor:
// its controls and layout, the log box, the refresh with the memory dump, and every
// button's effect on machine state and captions.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTimer>
#include <memory>
#include <set>
#include <string>

#include "core/debug_log.h"
#include "core/host_hooks.h"
#include "core/machine.h"
#include "shell/debug/debug_dialog.h"
#include "shell/debug/debug_fields.h"
#include "shell/debug/dialog_template.h"
#include "tests/debug/dialog_driver.h"
#include "tests/support/test_machine.h"
#include "video/vic_state.h"

using namespace core;
using namespace video;
using namespace shell;

namespace {

using namespace debug_dialog;

void StoreFlagMasks() {
  for (int i = 0; i < 8; ++i) C64.cpu.flagMasks[i] = static_cast<std::uint8_t>(1 << i);
}

std::size_t CountOccurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

class DebugDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    ZeroWholeMachine();
    StoreFlagMasks();
    SetDebugStepCountText("1");
    dialog_ = std::make_unique<CDebugDialog>();
    dialog_->show();
  }
  void TearDown() override {
    dialog_.reset();
    ZeroWholeMachine();
  }
  CDebugDialog& dialog() { return *dialog_; }

  std::unique_ptr<CDebugDialog> dialog_;
};

TEST_F(DebugDialogTest, BuildsEveryControlOfTheTemplateWithItsCaption) {
  EXPECT_EQ(dialog().windowTitle(), "Debug Info");
  std::set<QString> groupTitles;
  for (QGroupBox* group : dialog().findChildren<QGroupBox*>()) groupTitles.insert(group->title());
  std::set<QString> expectedGroups;
  for (const ControlTemplate& entry : kControls) {
    if (entry.kind == ControlKind::kGroupBox) expectedGroups.insert(entry.caption);
    if (entry.id == kNoId) continue;
    QWidget* widget = dialog().Control(entry.id);
    ASSERT_NE(widget, nullptr) << entry.id;
    EXPECT_EQ(widget->objectName(), QString::number(entry.id));
    EXPECT_EQ(widget->geometry(), CDebugDialog::DialogUnitsToPixels(
                                      dialog().font(), entry.x, entry.y, entry.width, entry.height))
        << entry.id;
    switch (entry.kind) {
      case ControlKind::kReadOnlyBox:
        ASSERT_NE(qobject_cast<QLineEdit*>(widget), nullptr) << entry.id;
        EXPECT_TRUE(qobject_cast<QLineEdit*>(widget)->isReadOnly()) << entry.id;
        break;
      case ControlKind::kEditableBox:
        ASSERT_NE(qobject_cast<QLineEdit*>(widget), nullptr) << entry.id;
        EXPECT_FALSE(qobject_cast<QLineEdit*>(widget)->isReadOnly()) << entry.id;
        break;
      case ControlKind::kMultiLineBox:
        ASSERT_NE(qobject_cast<QPlainTextEdit*>(widget), nullptr) << entry.id;
        EXPECT_TRUE(qobject_cast<QPlainTextEdit*>(widget)->isReadOnly()) << entry.id;
        EXPECT_EQ(qobject_cast<QPlainTextEdit*>(widget)->verticalScrollBarPolicy(),
                  Qt::ScrollBarAlwaysOn);
        break;
      case ControlKind::kPushButton:
      case ControlKind::kCheckBox:
        EXPECT_TRUE(widget->isVisible()) << entry.id;
        EXPECT_EQ(TextOf(dialog(), entry.id), entry.caption) << entry.id;
        break;
      case ControlKind::kHiddenDefaultButton:
        EXPECT_FALSE(widget->isVisible());
        EXPECT_TRUE(qobject_cast<QPushButton*>(widget)->isDefault());
        break;
      case ControlKind::kListBox:
      case ControlKind::kGroupBox:
      case ControlKind::kStaticText: break;
    }
  }
  EXPECT_EQ(groupTitles, expectedGroups);
  EXPECT_TRUE(groupTitles.count("Prorgamm Counter"));
  EXPECT_TRUE(groupTitles.count("Scr.-Mem."));
  EXPECT_EQ(dialog().findChild<QLabel*>()->text(), "0x1FF");
  EXPECT_EQ(dialog().size(),
            CDebugDialog::DialogUnitsToPixels(dialog().font(), 0, 0, 486, 351).size());
}

TEST(DialogUnits, FollowTheFontsAverageWidthAndHeight) {
  QFont font = QApplication::font();
  const QFontMetrics metrics(font);
  const QRect rect = CDebugDialog::DialogUnitsToPixels(font, 4, 8, 40, 16);
  const double average =
      metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 52.0;
  EXPECT_NEAR(rect.x(), average, 1.0);
  EXPECT_NEAR(rect.width(), average * 10, 10 * 0.5 + 1);
  EXPECT_EQ(rect.y(), metrics.height());
  EXPECT_EQ(rect.height(), 2 * metrics.height());
  // A bigger font makes a bigger window.
  QFont big = font;
  big.setPointSize(font.pointSize() * 2);
  EXPECT_GT(CDebugDialog::DialogUnitsToPixels(big, 0, 0, 333, 351).width(), rect.width() * 8);
}

TEST_F(DebugDialogTest, OpensWithEmptyBoxesAndTheCurrentSwitchStates) {
  AppendDebugLog("before opening");  // refreshes the open window of this fixture
  dialog_.reset();
  C64.run.emulationRunning = 0;
  C64.throttle.speedLimitOn = 1;
  ForceBitmap = 1;
  SetDebugStepCountText("12");
  dialog_ = std::make_unique<CDebugDialog>();
  // Nothing refreshes the window when it opens.
  for (int id : {kLogBox, kDumpBox, kProgramCounterBox, kRegXBox, kStackBox, kFramesPerSecondBox,
                 kBankBox}) {
    EXPECT_EQ(TextOf(dialog(), id), "") << id;
  }
  EXPECT_EQ(TextOf(dialog(), kStepCountBox), "12");
  EXPECT_EQ(TextOf(dialog(), kStopRunButton), "Run");
  EXPECT_TRUE(qobject_cast<QCheckBox*>(dialog().Control(kSpeedLimitBox))->isChecked());
  EXPECT_EQ(TextOf(dialog(), kForceTextButton), "Force!");
  EXPECT_EQ(TextOf(dialog(), kForceBitmapButton), "active..");
  EXPECT_EQ(TextOf(dialog(), kForceMulticolourButton), "Force!");
  RefreshDebugWindow();
  EXPECT_EQ(TextOf(dialog(), kLogBox), "> before opening\r\n");
}

TEST_F(DebugDialogTest, RegistersAsTheMachinesViewOnlyWhileOpen) {
  EXPECT_TRUE(DebugWindowIsOpen());
  SetDebugWindowField(DebugField::kFramesPerSecond, "50");
  SetDebugWindowField(DebugField::kTextMode, "yes");
  SetDebugWindowField(DebugField::kBitmapMode, "no");
  SetDebugWindowField(DebugField::kMulticolourMode, "no");
  SetDebugWindowField(DebugField::kVicBank, "0x0");
  SetDebugWindowField(DebugField::kBaseAddress, "0x1000");
  SetDebugWindowField(DebugField::kScreenMemory, "0x400");
  EXPECT_EQ(TextOf(dialog(), kFramesPerSecondBox), "50");
  EXPECT_EQ(TextOf(dialog(), kTextModeBox), "yes");
  EXPECT_EQ(TextOf(dialog(), kBitmapModeBox), "no");
  EXPECT_EQ(TextOf(dialog(), kMulticolourModeBox), "no");
  EXPECT_EQ(TextOf(dialog(), kBankBox), "0x0");
  EXPECT_EQ(TextOf(dialog(), kCharBaseBox), "0x1000");
  EXPECT_EQ(TextOf(dialog(), kScreenBox), "0x400");
  dialog_.reset();
  EXPECT_FALSE(DebugWindowIsOpen());
  SetDebugWindowField(DebugField::kFramesPerSecond, "49");  // no window: nothing happens
  RefreshDebugWindow();
}

TEST_F(DebugDialogTest, LogShowsNewestFirstWithWindowsText) {
  AppendDebugLog("A");
  AppendDebugLog("B");
  AppendDebugLog("C");
  EXPECT_EQ(TextOf(dialog(), kLogBox), "> C\r\n> B\r\n> A\r\n");
  AppendDebugLog(
      "Gr\xFC\xDF"
      "e \x80");
  EXPECT_EQ(dialog().ControlText(kLogBox), QString::fromUtf8("> Grüße €\r\n> C\r\n> B\r\n> A\r\n"));
}

TEST_F(DebugDialogTest, LogBoxTakesNewLinesInFrontWithoutRebuilding) {
  auto* box = qobject_cast<QPlainTextEdit*>(dialog().Control(kLogBox));
  for (int i = 0; i < 100; ++i) AppendDebugLog("line " + std::to_string(i));
  // Mark the block of the oldest line: a rebuilt text would lose the mark.
  QTextBlock oldest = box->document()->findBlockByNumber(99);
  ASSERT_EQ(oldest.text(), "> line 0");
  oldest.setUserState(4711);
  AppendDebugLog("newest");
  EXPECT_EQ(box->document()->findBlockByNumber(100).userState(), 4711);
  EXPECT_EQ(box->document()->firstBlock().text(), "> newest");
  EXPECT_EQ(dialog().ControlText(kLogBox).toStdString(), DebugLogText());

  // An emptied log is shown afresh.
  ClearDebugLog();
  AppendDebugLog("after clearing");
  EXPECT_EQ(TextOf(dialog(), kLogBox), "> after clearing\r\n");
}

TEST_F(DebugDialogTest, StopBuildsTheMemoryDumpAndTheFields) {
  C64.cpu.SetRegisters(
      CpuRegisters{.A = 0x3, .X = 0x0, .Y = 0x1, .SP = 0xF6, .PC = 0x080D, .P = 0x02 | 0x01});
  C64.memory.ram[0x0001] = 0x37;
  C64.memory.ram[0x080D] = 0xA9;
  for (int i = 0; i < 16; ++i) C64.memory.ram[i] = static_cast<std::uint8_t>(0x10 + i);
  C64.memory.ram[0x01FF] = 0x7;
  C64.memory.ioImage[0xD020] = 0xFE;
  ScreenOffset = 0x400;
  C64.run.emulationRunning = 1;

  Click(dialog(), kStopRunButton);
  EXPECT_EQ(C64.run.emulationRunning.load(), 0);
  EXPECT_EQ(TextOf(dialog(), kStopRunButton), "Run");

  const std::string dump = TextOf(dialog(), kDumpBox);
  EXPECT_EQ(dump.size(), MemoryDumpLength());
  EXPECT_EQ(
      dump.rfind("- RAM - \r\n\r\n\r\n0x0000:  10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F\r\n"
                 "0x0010:  00 ",
                 0),
      0u);
  EXPECT_EQ(CountOccurrences(dump, "\r\n0x"), 8192u);
  EXPECT_EQ(CountOccurrences(dump, "- I/O - "), 1u);
  const std::size_t io = dump.find("- I/O - ");
  EXPECT_EQ(CountOccurrences(dump.substr(0, io), "\r\n0x"), 4096u);
  EXPECT_NE(dump.find("\r\n0xD020:  FE 00", io), std::string::npos);

  EXPECT_EQ(TextOf(dialog(), kProgramCounterBox), "0x80D (0xA9)");
  EXPECT_EQ(TextOf(dialog(), kRegXBox), "0x0");
  EXPECT_EQ(TextOf(dialog(), kRegYBox), "0x1");
  EXPECT_EQ(TextOf(dialog(), kRegABox), "0x3");
  EXPECT_EQ(TextOf(dialog(), kStackPointerBox), "0xF6");
  EXPECT_EQ(TextOf(dialog(), kFlagNBox), "0");
  EXPECT_EQ(TextOf(dialog(), kFlagZBox), "1");
  EXPECT_EQ(TextOf(dialog(), kFlagVBox), "0");
  EXPECT_EQ(TextOf(dialog(), kFlagCBox), "1");
  EXPECT_EQ(TextOf(dialog(), kFlagIBox), "0");
  EXPECT_EQ(TextOf(dialog(), kBankBox), "0x0");
  EXPECT_EQ(TextOf(dialog(), kCharBaseBox), "0x0");
  EXPECT_EQ(TextOf(dialog(), kScreenBox), "0x400");
  EXPECT_EQ(TextOf(dialog(), kStackBox).substr(0, 9), " 0x7 0x0 ");
  // The refresh leaves the fields the video side writes alone.
  EXPECT_EQ(TextOf(dialog(), kFramesPerSecondBox), "");
  EXPECT_EQ(TextOf(dialog(), kTextModeBox), "");
}

TEST_F(DebugDialogTest, WhileRunningRefreshesKeepTheLastDump) {
  C64.run.emulationRunning = 1;
  Click(dialog(), kStopRunButton);
  const std::string dump = TextOf(dialog(), kDumpBox);
  ASSERT_FALSE(dump.empty());
  C64.run.emulationRunning = 1;  // as the Run button leaves it
  C64.memory.ram[0x0000] = 0xAB;
  C64.cpu.X = 0x42;
  AppendDebugLog("a log line refreshes");
  EXPECT_EQ(TextOf(dialog(), kRegXBox), "0x42");
  EXPECT_EQ(TextOf(dialog(), kDumpBox), dump);
}

TEST_F(DebugDialogTest, StepWhileStoppedExecutesTheStepAndStaysStoppedThenRunResumes) {
  C64.run.emulationRunning = 0;
  const std::size_t lines = DebugLogLineCount();
  Click(dialog(), kStepButton);
  EXPECT_EQ(TextOf(dialog(), kStopRunButton), "Run");
  EXPECT_EQ(C64.cpu.instructionCount, 1);
  EXPECT_EQ(DebugLogLineCount(), lines + 1);
  EXPECT_EQ(C64.run.stepBudget.load(), 0);
  EXPECT_EQ(C64.run.emulationRunning.load(), 0);
  Click(dialog(), kStopRunButton);
  EXPECT_EQ(C64.run.emulationRunning.load(), 1);
  EXPECT_EQ(C64.run.stepBudget.load(), -1);
  EXPECT_EQ(TextOf(dialog(), kStopRunButton), "Stop");
}

TEST_F(DebugDialogTest, StepCountIsReadLikeAtoiAndKept) {
  C64.run.emulationRunning = 0;  // stopped: only the steps given run
  TypeStepCount(dialog(), "abc");
  Click(dialog(), kStepButton);
  EXPECT_EQ(C64.run.stepBudget.load(), 0);
  EXPECT_EQ(DebugStepCountText(), "abc");
  EXPECT_EQ(C64.cpu.instructionCount, 0);
  TypeStepCount(dialog(), " 5x");
  Click(dialog(), kStepButton);
  EXPECT_EQ(C64.cpu.instructionCount, 5);
  EXPECT_EQ(C64.run.stepBudget.load(), 0);
  TypeStepCount(dialog(), "-1");
  Click(dialog(), kStepButton);
  EXPECT_EQ(C64.run.stepBudget.load(), -1);
  TypeStepCount(dialog(), "-30");
  Click(dialog(), kStepButton);
  EXPECT_EQ(C64.run.stepBudget.load(), -1);
  EXPECT_EQ(C64.cpu.instructionCount, 5);  // stopped: -1 runs nothing
}

TEST_F(DebugDialogTest, SpeedLimitBoxRoundTrip) {
  C64.throttle.speedLimitOn = 1;
  auto* box = qobject_cast<QCheckBox*>(dialog().Control(kSpeedLimitBox));
  box->setChecked(true);
  Click(dialog(), kSpeedLimitBox);
  EXPECT_FALSE(box->isChecked());
  EXPECT_EQ(C64.throttle.speedLimitOn.load(), 0);
  Click(dialog(), kSpeedLimitBox);
  EXPECT_TRUE(box->isChecked());
  EXPECT_EQ(C64.throttle.speedLimitOn.load(), 1);

  // The box follows the limit, not its own toggle: unchecked while the limit is on,
  // a click still turns the limit off.
  box->setChecked(false);
  Click(dialog(), kSpeedLimitBox);
  EXPECT_FALSE(box->isChecked());
  EXPECT_EQ(C64.throttle.speedLimitOn.load(), 0);
}

TEST_F(DebugDialogTest, PointerButtonsStepFollowAndDoNotRefresh) {
  VicBank = 0x0000;
  Click(dialog(), kBankDownButton);
  EXPECT_EQ(VicBank.load(), 0xC000);
  EXPECT_EQ(BankOverride.load(), 0xC000);
  EXPECT_EQ(TextOf(dialog(), kBankBox), "");  // shown at the next refresh
  Click(dialog(), kBankUpButton);
  EXPECT_EQ(VicBank.load(), 0x0000);
  Click(dialog(), kBankFollowButton);
  EXPECT_EQ(BankOverride.load(), FollowRegister);
  EXPECT_EQ(VicBank.load(), 0x0000);

  CharBaseOffset = 0x1000;
  Click(dialog(), kCharBaseUpButton);
  Click(dialog(), kCharBaseUpButton);
  EXPECT_EQ(CharBaseOverride.load(), 0x2000);
  Click(dialog(), kCharBaseDownButton);
  EXPECT_EQ(CharBaseOffset.load(), 0x1800);
  Click(dialog(), kCharBaseFollowButton);
  EXPECT_EQ(CharBaseOverride.load(), FollowRegister);

  ScreenOffset = 0x0000;
  Click(dialog(), kScreenDownButton);
  EXPECT_EQ(ScreenOffset.load(), 0x3C00);
  EXPECT_EQ(ScreenOverride.load(), 0x3C00);
  Click(dialog(), kScreenUpButton);
  EXPECT_EQ(ScreenOverride.load(), 0x0000);
  Click(dialog(), kScreenFollowButton);
  EXPECT_EQ(ScreenOverride.load(), FollowRegister);
  EXPECT_EQ(BankOverride.load(), FollowRegister);

  RefreshDebugWindow();
  EXPECT_EQ(TextOf(dialog(), kBankBox), "0x0");
  EXPECT_EQ(TextOf(dialog(), kCharBaseBox), "0x1800");
}

TEST_F(DebugDialogTest, ForceButtonsSwitchFlagsAndCaptions) {
  Click(dialog(), kForceBitmapButton);
  EXPECT_EQ(ForceBitmap.load(), 1);
  EXPECT_EQ(TextOf(dialog(), kForceBitmapButton), "active..");
  Click(dialog(), kForceMulticolourButton);
  EXPECT_EQ(ForceMulticolour.load(), 1);
  EXPECT_EQ(TextOf(dialog(), kForceMulticolourButton), "active..");

  Click(dialog(), kForceTextButton);  // text while bitmap is forced
  EXPECT_EQ(ForceText.load(), 1);
  EXPECT_EQ(ForceBitmap.load(), 0);
  EXPECT_EQ(TextOf(dialog(), kForceTextButton), "active..");
  EXPECT_EQ(TextOf(dialog(), kForceBitmapButton), "Force!");
  EXPECT_EQ(TextOf(dialog(), kForceMulticolourButton), "active..");

  Click(dialog(), kForceTextButton);
  EXPECT_EQ(ForceText.load(), 0);
  EXPECT_EQ(TextOf(dialog(), kForceTextButton), "Force!");
  Click(dialog(), kForceMulticolourButton);
  EXPECT_EQ(ForceMulticolour.load(), 0);
  EXPECT_EQ(TextOf(dialog(), kForceMulticolourButton), "Force!");
}

TEST_F(DebugDialogTest, BreakpointListAddsHexAddressesAndRemovesThem) {
  auto* address = qobject_cast<QLineEdit*>(dialog().Control(kBreakpointAddressBox));
  ASSERT_NE(address, nullptr);
  const struct {
    const char* typed;
    const char* list;  // afterwards
  } adds[] = {
      {"c000", "$C000\r\n"},
      {"$0801", "$0801\r\n$C000\r\n"},
      {"0xC000", "$0801\r\n$C000\r\n"},  // already there
      {"xyz", "$0801\r\n$C000\r\n"},     // refused, logged
      {"12345", "$0801\r\n$C000\r\n"},
  };
  for (const auto& add : adds) {
    address->setText(add.typed);
    Click(dialog(), kAddBreakpointButton);
    EXPECT_EQ(TextOf(dialog(), kBreakpointList), add.list) << add.typed;
  }
  EXPECT_EQ(C64.breakpoints.at[0xC000], 1);
  EXPECT_EQ(C64.breakpoints.active, 1);  // in force while the window is open
  const std::string log = TextOf(dialog(), kLogBox);
  EXPECT_NE(log.find("> No breakpoint set: 'xyz' is not a hexadecimal address"), std::string::npos)
      << log;
  EXPECT_NE(log.find("'12345'"), std::string::npos);

  // Remove: the selected line, else the typed address.
  auto* list = qobject_cast<QListWidget*>(dialog().Control(kBreakpointList));
  list->setCurrentRow(1);
  Click(dialog(), kRemoveBreakpointButton);
  EXPECT_EQ(TextOf(dialog(), kBreakpointList), "$0801\r\n");
  list->setCurrentRow(-1);
  address->setText("801");
  Click(dialog(), kRemoveBreakpointButton);
  EXPECT_EQ(TextOf(dialog(), kBreakpointList), "");
  EXPECT_EQ(C64.breakpoints.count, 0u);

  // Closed, the window leaves its breakpoints listed but out of force.
  address->setText("E000");
  Click(dialog(), kAddBreakpointButton);
  dialog_.reset();
  EXPECT_EQ(C64.breakpoints.active, 0);
  EXPECT_EQ(C64.breakpoints.at[0xE000], 1);
}

TEST_F(DebugDialogTest, ResizingGrowsTheLogAndDumpBoxesAndMovesTheRightColumn) {
  const QRect log = dialog().Control(kLogBox)->geometry();
  const QRect dump = dialog().Control(kDumpBox)->geometry();
  const QRect list = dialog().Control(kBreakpointList)->geometry();
  const QRect fields = dialog().Control(kRegXBox)->geometry();
  dialog().resize(dialog().width() + 200, dialog().height() + 100);
  EXPECT_EQ(dialog().Control(kLogBox)->geometry(), log.adjusted(0, 0, 200, 50));
  EXPECT_EQ(dialog().Control(kDumpBox)->geometry(), dump.adjusted(0, 50, 200, 100));
  EXPECT_EQ(dialog().Control(kBreakpointList)->geometry(), list.adjusted(200, 0, 200, 100));
  EXPECT_EQ(dialog().Control(kRegXBox)->geometry(), fields);
  // Never smaller than the template.
  dialog().resize(100, 100);
  EXPECT_EQ(dialog().Control(kLogBox)->geometry(), log);
}

// RunDebugDialog shows a fresh modal window each time and returns when it is closed.
TEST(RunDebugDialogTest, OpensModallyAndFreshEachTime) {
  ZeroWholeMachine();
  SetDebugStepCountText("1");
  int openings = 0;
  auto closeWhenShown = [&openings](auto&& inside) {
    QTimer::singleShot(0, [&openings, inside] {
      auto* dialog = qobject_cast<CDebugDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      ++openings;
      EXPECT_TRUE(DebugWindowIsOpen());
      inside(*dialog);
      dialog->reject();
    });
  };
  closeWhenShown([](CDebugDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Debug Info");
    EXPECT_EQ(TextOf(dialog, kStepCountBox), "1");
    AppendDebugLog("shown in the first window");
    TypeStepCount(dialog, "7");
    C64.run.emulationRunning = 0;
    Click(dialog, kStepButton);
  });
  RunDebugDialog(nullptr);
  EXPECT_FALSE(DebugWindowIsOpen());
  // Closed while stopped: the machine runs again, and the log says why.
  EXPECT_EQ(C64.run.emulationRunning.load(), 1);
  EXPECT_EQ(C64.run.stepBudget.load(), -1);
  EXPECT_NE(DebugLogText().find("> Debug window closed: the machine runs again\r\n"),
            std::string::npos);

  closeWhenShown([](CDebugDialog& dialog) {
    EXPECT_EQ(TextOf(dialog, kStepCountBox), "7");  // kept from the last opening
    EXPECT_EQ(TextOf(dialog, kLogBox), "");         // a fresh window
    EXPECT_EQ(TextOf(dialog, kStopRunButton), "Stop");
    ClearDebugLog();
  });
  RunDebugDialog(nullptr);
  EXPECT_EQ(openings, 2);
  // Closed while running: nothing to say.
  EXPECT_EQ(DebugLogLineCount(), 0u);
  ZeroWholeMachine();
}

}  // namespace
