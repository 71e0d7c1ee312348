// The debug window driving the real machine booted to BASIC: Step with its trace lines,
// free running, Reset, and the dump of the booted memory, also over a long log.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "core/debug_log.h"
#include "core/machine_state.h"
#include "core/run_control.h"
#include "core/run_loop.h"
#include "shell/debug/debug_dialog.h"
#include "shell/debug/debug_fields.h"
#include "shell/debug/dialog_template.h"
#include "tests/debug/dialog_driver.h"
#include "tests/support/test_machine.h"

using namespace core;
using namespace shell;

namespace {

using namespace debug_dialog;
// The newest `count` lines of the log, oldest first.
std::vector<std::string> NewestLines(std::size_t count) {
  const std::string text = DebugLogText();
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (lines.size() < count) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) break;
    lines.insert(lines.begin(), text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

class DebugMachineTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    BootToBasic();
    booted_ = std::make_unique<Snapshot>();
  }
  static void TearDownTestSuite() { booted_.reset(); }

  void SetUp() override {
    booted_->Restore();
    ClearDebugLog();
    SetDebugStepCountText("1");
    dialog_ = std::make_unique<CDebugDialog>();
    dialog_->show();
  }
  void TearDown() override { dialog_.reset(); }

  CDebugDialog& dialog() { return *dialog_; }

  // As the display window would: passes until the step budget is used up.
  static void FinishSteps() {
    while (StepBudget.load() > 0 && EmulationRunning.load() != 0) RunPassIfIdle();
  }

  // The booted machine, restored before every case so that each starts alike.
  struct Snapshot {
    Snapshot() : cpu(Cpu), instructions(InstructionCount), stall(StallCycles) {
      std::copy(std::begin(Ram), std::end(Ram), ram.begin());
      std::copy(std::begin(IoImage), std::end(IoImage), io.begin());
      lineCycles = LineCyclesLeft;
      raster = RasterLine;
      frames = FramesLeft;
      irq = IrqPending;
    }
    void Restore() const {
      std::copy(ram.begin(), ram.end(), std::begin(Ram));
      std::copy(io.begin(), io.end(), std::begin(IoImage));
      Cpu = cpu;
      InstructionCount = instructions;
      StallCycles = stall;
      LineCyclesLeft = lineCycles;
      RasterLine = raster;
      FramesLeft = frames;
      IrqPending = irq;
      EmulationRunning = 1;
      StepBudget = -1;
      RunFlag = 0;
      SpeedLimitOn = 0;
      ThrottleDelay = 0.0f;
    }
    std::array<std::uint8_t, kMemorySize> ram{}, io{};
    CpuRegisters cpu;
    std::int64_t instructions;
    std::uint8_t stall;
    std::int32_t lineCycles;
    std::uint16_t raster;
    std::uint32_t frames;
    std::uint8_t irq;
  };
  static std::unique_ptr<Snapshot> booted_;
  std::unique_ptr<CDebugDialog> dialog_;
};

std::unique_ptr<DebugMachineTest::Snapshot> DebugMachineTest::booted_;

TEST_F(DebugMachineTest, StepFiveExecutesFiveInstructionsWithTraceLines) {
  const std::int64_t before = InstructionCount;
  TypeStepCount(dialog(), "5");
  Click(dialog(), kStepButton);
  FinishSteps();
  EXPECT_EQ(InstructionCount, before + 5);
  EXPECT_EQ(StepBudget.load(), 0);
  EXPECT_EQ(DebugLogLineCount(), 5u);
  EXPECT_EQ(TextOf(dialog(), kStopRunButton), "Step");

  const std::regex trace(
      R"(> (\d+):\.\.\.0x([0-9A-F]{1,4}): \$[0-9A-F]{1,2} - - - SP:0x[0-9A-F]{1,2} - RegX:0x[0-9A-F]{1,2})"
      R"( - RegY:0x[0-9A-F]{1,2} - RegA:0x[0-9A-F]{1,2} - N:[01] - Z:[01] - V:[01] - C:[01] - I:[01])");
  const std::vector<std::string> lines = NewestLines(5);
  ASSERT_EQ(lines.size(), 5u);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(lines[i], match, trace)) << lines[i];
    EXPECT_EQ(std::stoi(match[1]), before + static_cast<int>(i));
  }
  // The box shows them newest first, and the fields show the machine as the last trace
  // line saw it (the refresh comes before each trace line and with it).
  EXPECT_EQ(TextOf(dialog(), kLogBox), DebugLogText());
  std::smatch last;
  ASSERT_TRUE(std::regex_match(lines.back(), last, trace));
  EXPECT_EQ(TextOf(dialog(), kProgramCounterBox).rfind("0x" + last[2].str() + " (0x", 0), 0u);
}

TEST_F(DebugMachineTest, StepWithoutDigitsExecutesNothing) {
  const std::int64_t before = InstructionCount;
  const CpuRegisters cpu = Cpu;
  TypeStepCount(dialog(), "abc");
  Click(dialog(), kStepButton);
  EXPECT_EQ(InstructionCount, before);
  EXPECT_EQ(Cpu.PC, cpu.PC);
  EXPECT_EQ(DebugLogLineCount(), 0u);
}

TEST_F(DebugMachineTest, StepMinusOneRunsFreelyWithoutTrace) {
  const std::int64_t before = InstructionCount;
  const std::uint64_t frames = FrameCounter.load();
  TypeStepCount(dialog(), "-1");
  Click(dialog(), kStepButton);
  EXPECT_EQ(StepBudget.load(), -1);
  EXPECT_GE(FrameCounter.load(), frames + 7);  // a whole pass of eight frames
  EXPECT_GT(InstructionCount, before + 1000);
  EXPECT_EQ(DebugLogLineCount(), 0u);
}

TEST_F(DebugMachineTest, StoppedStepDoesNothingThenRunResumes) {
  Click(dialog(), kStopRunButton);
  ASSERT_EQ(EmulationRunning.load(), 0);
  const std::int64_t before = InstructionCount;
  // The dump shows the booted machine: the port bytes and BASIC's start-up screen.
  const std::string dump = TextOf(dialog(), kDumpBox);
  EXPECT_EQ(dump.rfind("- RAM - \r\n\r\n\r\n0x0000:  2F 37 ", 0), 0u) << dump.substr(0, 80);
  EXPECT_NE(dump.find("\r\n0x0420:  20 20 20 20 20 20 20 20 20 20 20 20 2A 2A 2A 2A\r\n0x0430:  20 "
                      "03 0F 0D 0D 0F 04 0F 12 05 20 36 34 20 02 01"),
            std::string::npos);

  TypeStepCount(dialog(), "3");
  Click(dialog(), kStepButton);
  FinishSteps();
  EXPECT_EQ(InstructionCount, before);
  EXPECT_EQ(DebugLogLineCount(), 0u);
  EXPECT_EQ(TextOf(dialog(), kStopRunButton), "Step");

  Click(dialog(), kStopRunButton);
  EXPECT_EQ(TextOf(dialog(), kStopRunButton), "Stop");
  EXPECT_EQ(EmulationRunning.load(), 1);
  EXPECT_EQ(StepBudget.load(), -1);
  RunPassIfIdle();  // the display window's next pass
  EXPECT_GT(InstructionCount, before);
}

TEST_F(DebugMachineTest, ResetPowersOnAndRunsOnePass) {
  Ram[0x0400] = 0x01;
  Click(dialog(), kResetButton);
  // Power-on filled memory again and one pass of eight frames ran from the reset vector.
  EXPECT_LT(InstructionCount, 100000);
  EXPECT_GT(InstructionCount, 0);
  EXPECT_EQ(StepBudget.load(), -1);
  EXPECT_EQ(RunFlag.load(), 0);
}

// The log box takes only the new lines in front; after a thousand of them it still shows
// the whole log, newest first.
TEST_F(DebugMachineTest, AThousandSingleStepsOverALongLogKeepTheLogBoxWhole) {
  for (int i = 0; i < 20000; ++i) AppendDebugLog("a long log line number " + std::to_string(i));
  RefreshDebugWindow();  // the whole log into the box once
  TypeStepCount(dialog(), "1");

  for (int i = 0; i < 1000; ++i) {
    Click(dialog(), kStepButton);
    FinishSteps();
  }
  EXPECT_EQ(DebugLogLineCount(), 21000u);
  EXPECT_EQ(TextOf(dialog(), kLogBox), DebugLogText());
}

TEST_F(DebugMachineTest, StopShowsTheMemoryDumpOfTheBootedMachine) {
  std::string expected;
  BuildMemoryDump(Ram, IoImage, expected);
  Click(dialog(), kStopRunButton);
  EXPECT_EQ(TextOf(dialog(), kDumpBox), expected);
}

}  // namespace
