// Breakpoints in the booted machine, in both models: the stop before the instruction,
// the log line, stepping and running on from there; and the addresses the debug window
// and --break accept.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/breakpoints.h"
#include "core/debug_log.h"
#include "core/machine.h"
#include "core/power_on.h"
#include "core/run_control.h"
#include "tests/support/test_machine.h"

using namespace core;

namespace {

TEST(BreakpointAddress, HexadecimalInThreeSpellings) {
  const struct {
    const char* text;
    std::optional<std::uint16_t> address;
  } cases[] = {
      {"C000", 0xC000},  {"$C000", 0xC000},  {"0xC000", 0xC000}, {"0XffD2", 0xFFD2},
      {"$c000", 0xC000}, {" ea31 ", 0xEA31}, {"0", 0x0000},      {"$FFFF", 0xFFFF},
      {"", {}},          {"$", {}},          {"0x", {}},         {"G000", {}},
      {"10000", {}},     {"C000x", {}},      {"-1", {}},         {"$ C000", {}},
      {"49152d", {}},    {"$$C000", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseBreakpointAddress(c.text), c.address) << c.text;
  EXPECT_EQ(FormatBreakpointAddress(0x0801), "$0801");
}

class BreakpointRun : public testing::TestWithParam<MachineModel> {
 protected:
  void SetUp() override {
    LoadTestRoms();
    C64.model = GetParam();
    PowerOn(true);
  }
  void TearDown() override { ZeroWholeMachine(); }
};

// The KERNAL's interrupt handler at $EA31 runs in every frame once BASIC waits for keys
// (the classic model's frame interrupt, the accurate model's CIA timer).
constexpr std::uint16_t kIrqHandler = 0xEA31;

TEST_P(BreakpointRun, StopsBeforeTheInstructionStepsOverItAndStopsThereAgain) {
  RunFrames(200);
  AddBreakpoint(kIrqHandler);
  EnableBreakpoints(true);
  ClearDebugLog();
  RunFrames(10);
  EXPECT_EQ(C64.cpu.PC, kIrqHandler);
  EXPECT_EQ(C64.run.emulationRunning.load(), 0);
  EXPECT_EQ(C64.breakpoints.stopAddress, kIrqHandler);
  EXPECT_NE(DebugLogText().find("> Breakpoint at $EA31"), std::string::npos) << DebugLogText();
  const std::int64_t count = C64.cpu.instructionCount;

  // Held: further passes run nothing.
  RunPass();
  EXPECT_EQ(C64.cpu.instructionCount, count);

  // One step executes the instruction at the breakpoint and leaves the machine stopped.
  StepMachine(1);
  EXPECT_EQ(C64.cpu.instructionCount, count + 1);
  EXPECT_NE(C64.cpu.PC, kIrqHandler);
  EXPECT_EQ(C64.run.emulationRunning.load(), 0);

  // Run: the machine goes on until the next interrupt reaches the handler.
  const std::uint64_t frame = C64.run.frameCounter.load();
  RunMachine();
  RunFrames(5);
  EXPECT_EQ(C64.cpu.PC, kIrqHandler);
  EXPECT_EQ(C64.run.emulationRunning.load(), 0);
  EXPECT_LE(C64.run.frameCounter.load(), frame + 2);

  // Disabled (the debug window closed), the same breakpoint stops nothing.
  EnableBreakpoints(false);
  RunMachine();
  RunFrames(5);
  EXPECT_EQ(C64.run.emulationRunning.load(), 1);
}

INSTANTIATE_TEST_SUITE_P(BothModels, BreakpointRun,
                         testing::Values(MachineModel::kClassic, MachineModel::kAccurate),
                         [](const auto& info) {
                           return info.param == MachineModel::kAccurate ? "Accurate" : "Classic";
                         });

}  // namespace
