// Counts that grow with emulated time never wrap: the instruction count started near and
// beyond 2^31 and 2^32 shows its true value in the trace line, the LAS warning, the
// halt line and the runner's statistics.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "apps/headless_runner.h"
#include "core/cpu_operations.h"
#include "core/debug_log.h"
#include "core/interrupts.h"
#include "core/machine_state.h"
#include "core/run_control.h"
#include "core/run_loop.h"
#include "platform/host_services.h"
#include "tests/support/test_machine.h"

using namespace core;

namespace {

class InstructionCountTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ZeroWholeMachine();
    for (int n = 0; n < 8; ++n) StatusFlagMasks[n] = static_cast<std::uint8_t>(1u << n);
    Ram[0x0000] = 0x2F;
    Ram[0x0001] = 0x30;  // all RAM
    // $1000: INX; JMP $1000
    const std::uint8_t loop[] = {0xE8, 0x4C, 0x00, 0x10};
    std::copy(std::begin(loop), std::end(loop), Ram + 0x1000);
    Cpu.PC = 0x1000;
    Cpu.SP = 0xFF;
    Cpu.P = 0x24;  // interrupts off
  }
};

TEST_F(InstructionCountTest, TrueCountsPastTwoToTheThirtyOneAndThirtyTwo) {
  const struct {
    std::int64_t start;
    std::string text;  // "%d" of the start
  } cases[] = {
      {2147483646, "2147483646"},        // 2^31 - 2: the next two pass the signed limit
      {4294967295, "4294967295"},        // 2^32 - 1
      {4294967301, "4294967301"},        // 2^32 + 5
      {3000000000000, "3000000000000"},  // a year and more of emulated time
  };
  for (const auto& test : cases) {
    ClearDebugLog();
    InstructionCount = test.start;
    StepMachine(3);  // three instructions with a trace line each
    const std::string log = DebugLogText();
    EXPECT_NE(log.find("> " + test.text + ":...0x1000: $E8 - - - SP:0xFF"), std::string::npos)
        << log;
    EXPECT_EQ(InstructionCount, test.start + 3);
    // The rest of the pass (some 55,000 instructions) counts on without wrapping.
    StepMachine(-1);
    EXPECT_GT(InstructionCount, test.start + 10000);

    ClearDebugLog();
    InstructionCount = test.start;
    op::Las(0xFF, 3);
    EXPECT_EQ(DebugLogText(), "> " + test.text + "> Opcode with Errors: LAE/LAS/LAR\r\n");

    EXPECT_EQ(apps::StatsLine(258000, test.start, 2.0),
              "stats: frames=258000 instructions=" + test.text + " seconds=2.000 fps=129000.0");

    Ram[0x1000] = 0x02;  // a halting opcode
    Cpu.PC = 0x1000;
    InstructionCount = test.start;
    platform::SetMessageBoxHandler(nullptr);
    SetDebugLogEcho(stderr);
    EXPECT_EXIT(RunFrames(1), ::testing::ExitedWithCode(0),
                std::to_string(test.start + 1) + "> JAM - emulation halted\nError: JAM!");
    SetDebugLogEcho(nullptr);
    Ram[0x1000] = 0xE8;
  }
}

// The frames-per-second window is compared across the millisecond clock's sign change.
TEST_F(InstructionCountTest, FramesPerSecondWindowSpansTheClocksSignChange) {
  SpeedLimitOn = 0;
  FpsLastSample = 2147483000;  // 648 ms before the signed clock wraps
  FpsDeadline = static_cast<std::int32_t>(2147483000u + 1000u);
  FpsCounter = 5;
  CountFramesPerSecond();
  EXPECT_EQ(FpsCounter, 6);  // still inside the window, not a closed one
}

}  // namespace
