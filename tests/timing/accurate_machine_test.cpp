// The accurate machine's interrupts and clocks as programs see them: a raster interrupt
// acknowledged through $D019, bit 8 of the raster line in $D011, CIA 2's timer as an NMI
// at its rate, the KERNAL's jiffy clock at 60 a second, and RUN/STOP+RESTORE.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "apps/headless_runner.h"
#include "core/machine.h"
#include "core/run_control.h"
#include "tests/support/test_machine.h"

using namespace core;

namespace {

class AccurateMachineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadTestRoms();
    RecordMessageBoxes();
  }

  // Boots the accurate machine, types `text` and runs `frames` frames after it; with a
  // program, loads and starts it first.
  static void Run(const std::string& program, const std::string& text, int frames) {
    apps::HeadlessOptions options;
    options.model = MachineModel::kAccurate;
    if (!program.empty()) options.program = std::string(TIMING_PROGRAM_DIR) + "/" + program;
    options.typeText = text;
    options.frames = frames;
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(apps::RunHeadless(options, out, err), 0) << err.str();
  }

  static unsigned Word(std::uint16_t address) {
    return C64.memory.ram[address] | C64.memory.ram[address + 1] << 8;
  }
};

TEST_F(AccurateMachineTest, ARasterInterruptAcknowledgedThroughD019ComesOncePerFrameAtItsLine) {
  Run("raster_irq.prg", "", 10);
  const unsigned before = Word(0xC000);
  RunFrames(100);
  EXPECT_EQ(Word(0xC000) - before, 100u) << "one entry per frame, never re-entered";
  EXPECT_EQ(C64.memory.ram[0xC002], 100) << "the handler runs in the compare line";
}

TEST_F(AccurateMachineTest, RasterBit8InD011IsSeenBothWays) {
  Run("raster_bit8.prg", "", 30);
  ASSERT_EQ(C64.memory.ram[0x02], 0xA5) << "the watch did not end";
  EXPECT_EQ(C64.memory.ram[0xC000], 20) << "bit 8 set once a frame";
  EXPECT_GE(C64.memory.ram[0xC001], 19) << "and cleared once a frame";
  // Lines 256-311 have the bit set: their low bytes run from 0 to $37.
  EXPECT_EQ(C64.memory.ram[0xC002], 0x37);
}

TEST_F(AccurateMachineTest, Cia2TimerUnderflowsAreNmisAtTheTimersRate) {
  Run("nmi_rate.prg", "", 10);
  const unsigned before = Word(0xC000);
  RunFrames(500);
  // 500 frames of 312 lines of 63 cycles, one NMI every 9,852 cycles: 997.6.
  const unsigned nmis = Word(0xC000) - before;
  EXPECT_GE(nmis, 997u);
  EXPECT_LE(nmis, 998u);
}

TEST_F(AccurateMachineTest, TheJiffyClockCountsSixtyASecond) {
  Run("", "", 0);
  const auto jiffies = [] {
    return C64.memory.ram[0xA0] << 16 | C64.memory.ram[0xA1] << 8 | C64.memory.ram[0xA2];
  };
  const int before = jiffies();
  RunFrames(2500);  // 49.9 seconds of the PAL clock
  EXPECT_NEAR(jiffies() - before, 3000, 30);
}

TEST_F(AccurateMachineTest, RunStopWithRestoreBringsBasicBackToReadyWithTheProgramKept) {
  Run("", "10 goto 10\nrun\n{RUNSTOP+RESTORE}", 50);
  // The warm start clears the screen and says READY. below an empty line; the program is
  // still there.
  EXPECT_EQ(ScreenLines()[1].find("READY."), 0u) << ScreenText();
  for (const char key : std::string("list\r")) {
    ASSERT_TRUE(apps::PressHostCharacter(static_cast<unsigned char>(key)));
    RunFrames(3);
    apps::ReleaseHostCharacter(static_cast<unsigned char>(key));
    RunFrames(3);
  }
  RunFrames(10);
  EXPECT_NE(ScreenText().find("\n10 GOTO 10"), std::string::npos) << ScreenText();
}

}  // namespace
