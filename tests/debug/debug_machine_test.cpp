// The debug window driving the real machine booted to BASIC: Step with its trace lines,
// free running, Reset, and the dump of the booted memory, also over a long log.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "core/debug_log.h"
#include "core/machine.h"
#include "core/power_on.h"
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
    while (C64.run.stepBudget.load() > 0 && C64.run.emulationRunning.load() != 0) RunPassIfIdle();
  }

  // The booted machine, restored before every case so that each starts alike.
  struct Snapshot {
    Snapshot()
        : cpu(C64.cpu.Registers()),
          instructions(C64.cpu.instructionCount),
          stall(C64.cpu.stallCycles) {
      std::copy(std::begin(C64.memory.ram), std::end(C64.memory.ram), ram.begin());
      std::copy(std::begin(C64.memory.ioImage), std::end(C64.memory.ioImage), io.begin());
      lineCycles = C64.vic.lineCyclesLeft;
      raster = C64.vic.rasterLine;
      frames = C64.run.framesLeft;
      irq = C64.vic.irq;
    }
    void Restore() const {
      std::copy(ram.begin(), ram.end(), std::begin(C64.memory.ram));
      std::copy(io.begin(), io.end(), std::begin(C64.memory.ioImage));
      C64.cpu.SetRegisters(cpu);
      C64.cpu.instructionCount = instructions;
      C64.cpu.stallCycles = stall;
      C64.vic.lineCyclesLeft = lineCycles;
      C64.vic.rasterLine = raster;
      C64.run.framesLeft = frames;
      C64.vic.irq = irq;
      C64.run.emulationRunning = 1;
      C64.run.stepBudget = -1;
      C64.run.runFlag = 0;
      C64.throttle.speedLimitOn = 0;
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
  const std::int64_t before = C64.cpu.instructionCount;
  TypeStepCount(dialog(), "5");
  Click(dialog(), kStepButton);
  FinishSteps();
  EXPECT_EQ(C64.cpu.instructionCount, before + 5);
  EXPECT_EQ(C64.run.stepBudget.load(), 0);
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
  // The box shows them newest first, and the fields show the machine after the last step:
  // PC at the next instruction, marked in the disassembly.
  EXPECT_EQ(TextOf(dialog(), kLogBox), DebugLogText());
  char pc[8];
  std::snprintf(pc, sizeof pc, "%X", C64.cpu.PC);
  EXPECT_EQ(TextOf(dialog(), kProgramCounterBox).rfind("0x" + std::string(pc) + " (0x", 0), 0u);
  std::snprintf(pc, sizeof pc, "%04X", C64.cpu.PC);
  EXPECT_NE(TextOf(dialog(), kDisassemblyBox).find("> " + std::string(pc) + "  "),
            std::string::npos)
      << TextOf(dialog(), kDisassemblyBox);
}

TEST_F(DebugMachineTest, StepWithoutDigitsExecutesNothing) {
  const std::int64_t before = C64.cpu.instructionCount;
  const CpuRegisters cpu = C64.cpu.Registers();
  TypeStepCount(dialog(), "abc");
  Click(dialog(), kStepButton);
  EXPECT_EQ(C64.cpu.instructionCount, before);
  EXPECT_EQ(C64.cpu.PC, cpu.PC);
  EXPECT_EQ(DebugLogLineCount(), 0u);
}

TEST_F(DebugMachineTest, StepMinusOneRunsFreelyWithoutTrace) {
  const std::int64_t before = C64.cpu.instructionCount;
  const std::uint64_t frames = C64.run.frameCounter.load();
  TypeStepCount(dialog(), "-1");
  Click(dialog(), kStepButton);
  EXPECT_EQ(C64.run.stepBudget.load(), -1);
  EXPECT_GE(C64.run.frameCounter.load(), frames + 7);  // a whole pass of eight frames
  EXPECT_GT(C64.cpu.instructionCount, before + 1000);
  EXPECT_EQ(DebugLogLineCount(), 0u);
}

TEST_F(DebugMachineTest, StoppedStepExecutesAndStaysStoppedThenRunResumes) {
  Click(dialog(), kStopRunButton);
  ASSERT_EQ(C64.run.emulationRunning.load(), 0);
  const std::int64_t before = C64.cpu.instructionCount;
  // The dump shows the booted machine: the port bytes and BASIC's start-up screen.
  const std::string dump = TextOf(dialog(), kDumpBox);
  EXPECT_EQ(dump.rfind("- RAM - \r\n\r\n\r\n0x0000:  2F 37 ", 0), 0u) << dump.substr(0, 80);
  EXPECT_NE(dump.find("\r\n0x0420:  20 20 20 20 20 20 20 20 20 20 20 20 2A 2A 2A 2A\r\n0x0430:  20 "
                      "03 0F 0D 0D 0F 04 0F 12 05 20 36 34 20 02 01"),
            std::string::npos);

  TypeStepCount(dialog(), "3");
  Click(dialog(), kStepButton);
  EXPECT_EQ(C64.cpu.instructionCount, before + 3);
  EXPECT_EQ(DebugLogLineCount(), 3u);
  EXPECT_EQ(C64.run.emulationRunning.load(), 0);
  EXPECT_EQ(TextOf(dialog(), kStopRunButton), "Run");
  // Held: the display's next pass runs nothing.
  RunPassIfIdle();
  EXPECT_EQ(C64.cpu.instructionCount, before + 3);

  Click(dialog(), kStopRunButton);
  EXPECT_EQ(TextOf(dialog(), kStopRunButton), "Stop");
  EXPECT_EQ(C64.run.emulationRunning.load(), 1);
  EXPECT_EQ(C64.run.stepBudget.load(), -1);
  RunPassIfIdle();  // the display window's next pass
  EXPECT_GT(C64.cpu.instructionCount, before);
}

TEST_F(DebugMachineTest, ResetPowersOnAndRunsOnePass) {
  C64.memory.ram[0x0400] = 0x01;
  Click(dialog(), kResetButton);
  // Power-on filled memory again and one pass of eight frames ran from the reset vector.
  EXPECT_LT(C64.cpu.instructionCount, 100000);
  EXPECT_GT(C64.cpu.instructionCount, 0);
  EXPECT_EQ(C64.run.stepBudget.load(), -1);
  EXPECT_EQ(C64.run.runFlag.load(), 0);
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
  BuildMemoryDump(C64.memory.ram, C64.memory.ioImage, expected);
  Click(dialog(), kStopRunButton);
  EXPECT_EQ(TextOf(dialog(), kDumpBox), expected);
}

// A breakpoint set in the window stops the machine there, in either model: the fields, the
// log, the disassembly and the button say where; ">" steps on and the machine stays
// stopped; closing the window lets it run.
class DebugBreakpointTest : public testing::TestWithParam<MachineModel> {
 protected:
  void SetUp() override {
    LoadTestRoms();
    C64.model = GetParam();
    PowerOn(true);
    RunFrames(200);
    ClearDebugLog();
    SetDebugStepCountText("1");
  }
  void TearDown() override { ZeroWholeMachine(); }
};

TEST_P(DebugBreakpointTest, StopsThereShowsWhereStepsOnAndCloseResumes) {
  CDebugDialog dialog;
  dialog.show();
  qobject_cast<QLineEdit*>(dialog.Control(kBreakpointAddressBox))->setText("$EA31");
  Click(dialog, kAddBreakpointButton);
  RunFrames(10);  // the KERNAL's interrupt handler runs every frame

  EXPECT_EQ(C64.cpu.PC, 0xEA31);
  EXPECT_EQ(C64.run.emulationRunning.load(), 0);
  EXPECT_EQ(TextOf(dialog, kStopRunButton), "Run");
  EXPECT_EQ(TextOf(dialog, kProgramCounterBox).rfind("0xEA31 (0x", 0), 0u);
  EXPECT_NE(TextOf(dialog, kLogBox).find("> Breakpoint at $EA31\r\n"), std::string::npos);
  EXPECT_NE(TextOf(dialog, kDisassemblyBox).find("> EA31  "), std::string::npos);
  EXPECT_EQ(TextOf(dialog, kDumpBox).rfind("- RAM - ", 0), 0u);

  const std::int64_t count = C64.cpu.instructionCount;
  Click(dialog, kStepButton);
  EXPECT_EQ(C64.cpu.instructionCount, count + 1);
  EXPECT_NE(C64.cpu.PC, 0xEA31);
  EXPECT_EQ(C64.run.emulationRunning.load(), 0);

  dialog.reject();  // closing the window
  EXPECT_EQ(C64.run.emulationRunning.load(), 1);
  EXPECT_EQ(C64.breakpoints.active, 0);
  const std::int64_t resumed = C64.cpu.instructionCount;
  RunFrames(10);
  EXPECT_GT(C64.cpu.instructionCount, resumed + 10000);
}

INSTANTIATE_TEST_SUITE_P(BothModels, DebugBreakpointTest,
                         testing::Values(MachineModel::kClassic, MachineModel::kAccurate),
                         [](const auto& info) {
                           return info.param == MachineModel::kAccurate ? "Accurate" : "Classic";
                         });

}  // namespace
