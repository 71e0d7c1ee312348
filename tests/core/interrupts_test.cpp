// The interrupt entry, CIA 1's timer A and time of day, and the throttle's adaptation.
#include <gtest/gtest.h>

#include "core/chips/cia1.h"
#include "core/frame_pacing.h"
#include "core/interrupts.h"
#include "core/machine.h"
#include "core/memory_map.h"
#include "tests/support/test_machine.h"

using namespace core;

namespace {

class InterruptsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ZeroWholeMachine();
    for (int n = 0; n < 8; ++n) C64.cpu.flagMasks[n] = static_cast<std::uint8_t>(1u << n);
    C64.memory.ram[0x0000] = 0x2F;
    C64.memory.romMap[0xFFFE] = 0x48;
    C64.memory.romMap[0xFFFF] = 0xFF;
    C64.memory.ram[0xFFFE] = 0x00;
    C64.memory.ram[0xFFFF] = 0x20;
  }
};

TEST_F(InterruptsTest, EntryPushesReturnStateAndTakesTheVectorByThePort) {
  C64.memory.ram[0x0001] = 0x37;  // HIRAM set: the KERNAL's vector
  C64.cpu.PC = 0x1234;
  C64.cpu.SP = 0xFF;
  C64.cpu.P = 0x20;
  C64.vic.irq = 1;
  TakeInterrupt();
  EXPECT_EQ(C64.cpu.PC, 0xFF48);
  EXPECT_EQ(C64.memory.ram[0x01FF], 0x12);
  EXPECT_EQ(C64.memory.ram[0x01FE], 0x34);
  EXPECT_EQ(C64.memory.ram[0x01FD], 0x20);   // pushed with B clear
  EXPECT_EQ(C64.cpu.P, 0x20 | 0x10 | 0x04);  // B stays set in P, I set
  EXPECT_EQ(C64.cpu.SP, 0xFC);
  EXPECT_EQ(C64.vic.irq, 1);  // only an acknowledge clears it

  C64.memory.ram[0x0001] = 0x35;  // HIRAM clear: the vector in RAM
  TakeInterrupt();
  EXPECT_EQ(C64.cpu.PC, 0x2000);
}

TEST_F(InterruptsTest, StackPointerWrapsInsidePageOne) {
  C64.memory.ram[0x0001] = 0x37;
  C64.cpu.PC = 0xABCD;
  C64.cpu.SP = 0x01;
  C64.cpu.P = 0x24;
  TakeInterrupt();
  EXPECT_EQ(C64.memory.ram[0x0101], 0xAB);
  EXPECT_EQ(C64.memory.ram[0x0100], 0xCD);
  EXPECT_EQ(C64.memory.ram[0x01FF], 0x24);
  EXPECT_EQ(C64.cpu.SP, 0xFE);
}

TEST_F(InterruptsTest, TimerUnderflowWithIoVisibleTakesTheRequestAway) {
  C64.memory.ram[0x0001] = 0x37;
  C64.memory.ioImage[0xDC0E] = 0x01;  // timer running
  C64.memory.ioImage[0xDC04] = 0x03;
  C64.memory.ioImage[0xDC05] = 0x00;
  C64.cpu.instructionCount = 2;
  C64.classicCia1.timerACounter = 1;
  C64.vic.irq = 1;
  Cia1Advance(1);
  EXPECT_EQ(C64.classicCia1.timerACounter, 0);
  EXPECT_EQ(C64.vic.irq, 1);
  Cia1Advance(1);  // underflow: reload from the latch
  EXPECT_EQ(C64.classicCia1.timerACounter, 3);
  EXPECT_EQ(C64.vic.irq, 0);

  // With the I/O area banked out the timer still runs from its own registers, whatever
  // RAM or the character ROM hold at $DC04-$DC0E, and the request survives.
  for (const std::uint8_t port : {0x33, 0x34, 0x30}) {
    C64.memory.ram[0x0001] = port;
    C64.memory.ram[0xDC0E] = C64.memory.romMap[0xDC0E] = 0x00;
    C64.memory.ram[0xDC04] = C64.memory.romMap[0xDC04] = 0x05;
    C64.classicCia1.timerACounter = 0;
    C64.vic.irq = 1;
    Cia1Advance(1);
    EXPECT_EQ(C64.classicCia1.timerACounter, 3) << "port " << int{port};
    EXPECT_EQ(C64.vic.irq, 1) << "port " << int{port};
  }
}

TEST_F(InterruptsTest, StoppedTimerStillCountsAndNeverReloads) {
  C64.memory.ram[0x0001] = 0x37;
  C64.memory.ioImage[0xDC0E] = 0x00;
  C64.classicCia1.timerACounter = 0;
  C64.cpu.instructionCount = 5;
  Cia1Advance(1);
  EXPECT_EQ(C64.classicCia1.timerACounter, 0xFFFF);
  EXPECT_EQ(C64.classicCia1.timerARunning, 0);
}

TEST_F(InterruptsTest, TimeOfDayHoldsPlainNumbersInTheIoImageWhateverThePort) {
  C64.classicCia1.powerOnLocalTime.tm_sec = 45;
  C64.classicCia1.powerOnLocalTime.tm_min = 7;
  C64.classicCia1.powerOnLocalTime.tm_hour = 13;
  C64.memory.ram[0x0001] = 0x37;
  Cia1Advance(1);
  EXPECT_EQ(C64.memory.ioImage[0xDC09], 0x2D);  // 45, not BCD $45
  EXPECT_EQ(C64.memory.ioImage[0xDC0A], 7);
  EXPECT_EQ(C64.memory.ioImage[0xDC0B], 13);
  EXPECT_EQ(C64.memory.ioImage[0xDC08], 1);  // the tenths advanced once
  Cia1Advance(1);
  EXPECT_EQ(C64.memory.ioImage[0xDC08], 1);  // and wait for a tick count that never comes
  // Banked out, the clock keeps its registers; the RAM beneath keeps the program's bytes.
  C64.memory.ram[0x0001] = 0x30;
  C64.memory.ram[0xDC09] = 0x5A;
  C64.memory.ioImage[0xDC09] = 0;
  Cia1Advance(1);
  EXPECT_EQ(C64.memory.ioImage[0xDC09], 0x2D);
  EXPECT_EQ(C64.memory.ram[0xDC09], 0x5A);
}

// The speed limit's frame times: 20 ms apart from the first paced frame on, absolute (a
// late wake-up does not move the next frame), and afresh after a long stop.
TEST_F(InterruptsTest, PacedFramesFollowAbsoluteTwentyMillisecondSteps) {
  constexpr std::int64_t kMs = 1'000'000;
  const struct {
    const char* what;
    std::int64_t due;
    std::int64_t now;
    std::int64_t next;
  } cases[] = {
      {"first paced frame: 20 ms from now", 0, 7 * kMs, 27 * kMs},
      {"on time", 100 * kMs, 100 * kMs, 120 * kMs},
      {"woke 3 ms late: the next stays on the grid", 100 * kMs, 103 * kMs, 120 * kMs},
      {"behind by nine frames: catches up", 100 * kMs, 280 * kMs, 120 * kMs},
      {"behind by more than ten frames: afresh", 100 * kMs, 301 * kMs, 321 * kMs},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(NextFrameTime(c.due, c.now), c.next);
  }
}

TEST_F(InterruptsTest, FramesPerSecondWindowOpensAtTheFirstEntry) {
  C64.throttle.speedLimitOn = 0;
  C64.throttle.fpsCounter = 70;
  CountFramesPerSecond();  // the first entry closes the initial (empty) window
  EXPECT_EQ(C64.throttle.framesPerSecond, 70);
  EXPECT_EQ(C64.throttle.fpsCounter, 0);
  CountFramesPerSecond();
  EXPECT_EQ(C64.throttle.fpsCounter, 1);

  C64.throttle.speedLimitOn = 1;
  C64.throttle.fpsDeadline = C64.throttle.fpsLastSample;  // close the window
  C64.throttle.fpsCounter = 48;
  CountFramesPerSecond();
  EXPECT_EQ(C64.throttle.framesPerSecond, 48);

  // A window open across the millisecond clock's sign change still counts.
  C64.throttle.speedLimitOn = 0;
  C64.throttle.fpsLastSample = 2147483000;
  C64.throttle.fpsDeadline = static_cast<std::int32_t>(2147483000u + 1000u);
  C64.throttle.fpsCounter = 5;
  CountFramesPerSecond();
  EXPECT_EQ(C64.throttle.fpsCounter, 6);
}

}  // namespace
