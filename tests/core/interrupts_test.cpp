// The interrupt entry, CIA 1's timer A and time of day, and the throttle's adaptation.
#include <gtest/gtest.h>

#include "core/cia_step.h"
#include "core/interrupts.h"
#include "core/machine_state.h"
#include "core/memory_map.h"
#include "tests/support/test_machine.h"

using namespace core;

namespace {

class InterruptsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ZeroWholeMachine();
    for (int n = 0; n < 8; ++n) StatusFlagMasks[n] = static_cast<std::uint8_t>(1u << n);
    Ram[0x0000] = 0x2F;
    RomMap[0xFFFE] = 0x48;
    RomMap[0xFFFF] = 0xFF;
    Ram[0xFFFE] = 0x00;
    Ram[0xFFFF] = 0x20;
  }
};

TEST_F(InterruptsTest, EntryPushesReturnStateAndTakesTheVectorByThePort) {
  Ram[0x0001] = 0x37;  // HIRAM set: the KERNAL's vector
  Cpu.PC = 0x1234;
  Cpu.SP = 0xFF;
  Cpu.P = 0x20;
  IrqPending = 1;
  TakeInterrupt();
  EXPECT_EQ(Cpu.PC, 0xFF48);
  EXPECT_EQ(Ram[0x01FF], 0x12);
  EXPECT_EQ(Ram[0x01FE], 0x34);
  EXPECT_EQ(Ram[0x01FD], 0x20);          // pushed with B clear
  EXPECT_EQ(Cpu.P, 0x20 | 0x10 | 0x04);  // B stays set in P, I set
  EXPECT_EQ(Cpu.SP, 0xFC);
  EXPECT_EQ(IrqPending, 1);  // only an acknowledge clears it

  Ram[0x0001] = 0x35;  // HIRAM clear: the vector in RAM
  TakeInterrupt();
  EXPECT_EQ(Cpu.PC, 0x2000);
}

TEST_F(InterruptsTest, StackPointerWrapsInsidePageOne) {
  Ram[0x0001] = 0x37;
  Cpu.PC = 0xABCD;
  Cpu.SP = 0x01;
  Cpu.P = 0x24;
  TakeInterrupt();
  EXPECT_EQ(Ram[0x0101], 0xAB);
  EXPECT_EQ(Ram[0x0100], 0xCD);
  EXPECT_EQ(Ram[0x01FF], 0x24);
  EXPECT_EQ(Cpu.SP, 0xFE);
}

TEST_F(InterruptsTest, TimerUnderflowWithIoVisibleTakesTheRequestAway) {
  Ram[0x0001] = 0x37;
  IoImage[0xDC0E] = 0x01;  // timer running
  IoImage[0xDC04] = 0x03;
  IoImage[0xDC05] = 0x00;
  InstructionCount = 2;
  TimerACounter = 1;
  IrqPending = 1;
  CiaStep();
  EXPECT_EQ(TimerACounter, 0);
  EXPECT_EQ(IrqPending, 1);
  CiaStep();  // underflow: reload from the latch
  EXPECT_EQ(TimerACounter, 3);
  EXPECT_EQ(IrqPending, 0);

  // With the I/O area banked out the timer still runs from its own registers, whatever
  // RAM or the character ROM hold at $DC04-$DC0E, and the request survives.
  for (const std::uint8_t port : {0x33, 0x34, 0x30}) {
    Ram[0x0001] = port;
    Ram[0xDC0E] = RomMap[0xDC0E] = 0x00;
    Ram[0xDC04] = RomMap[0xDC04] = 0x05;
    TimerACounter = 0;
    IrqPending = 1;
    CiaStep();
    EXPECT_EQ(TimerACounter, 3) << "port " << int{port};
    EXPECT_EQ(IrqPending, 1) << "port " << int{port};
  }
}

TEST_F(InterruptsTest, StoppedTimerStillCountsAndNeverReloads) {
  Ram[0x0001] = 0x37;
  IoImage[0xDC0E] = 0x00;
  TimerACounter = 0;
  InstructionCount = 5;
  CiaStep();
  EXPECT_EQ(TimerACounter, 0xFFFF);
  EXPECT_EQ(TimerARunning, 0);
}

TEST_F(InterruptsTest, TimeOfDayHoldsPlainNumbersInTheIoImageWhateverThePort) {
  PowerOnLocalTime.tm_sec = 45;
  PowerOnLocalTime.tm_min = 7;
  PowerOnLocalTime.tm_hour = 13;
  Ram[0x0001] = 0x37;
  CiaStep();
  EXPECT_EQ(IoImage[0xDC09], 0x2D);  // 45, not BCD $45
  EXPECT_EQ(IoImage[0xDC0A], 7);
  EXPECT_EQ(IoImage[0xDC0B], 13);
  EXPECT_EQ(IoImage[0xDC08], 1);  // the tenths advanced once
  CiaStep();
  EXPECT_EQ(IoImage[0xDC08], 1);  // and wait for a tick count that never comes
  // Banked out, the clock keeps its registers; the RAM beneath keeps the program's bytes.
  Ram[0x0001] = 0x30;
  Ram[0xDC09] = 0x5A;
  IoImage[0xDC09] = 0;
  CiaStep();
  EXPECT_EQ(IoImage[0xDC09], 0x2D);
  EXPECT_EQ(Ram[0xDC09], 0x5A);
}

TEST_F(InterruptsTest, ThrottleAdaptsTowardsFiftyFramesPerSecond) {
  ThrottleDelay = 0.0f;
  AdaptThrottle(61);
  EXPECT_EQ(ThrottleDelay, 10.0f);
  AdaptThrottle(60);
  EXPECT_EQ(ThrottleDelay, 11.0f);
  AdaptThrottle(50);
  EXPECT_EQ(ThrottleDelay, 11.0f);
  ThrottleDelay = 1.0f;
  AdaptThrottle(49);
  EXPECT_EQ(ThrottleDelay, -1.0f);
  AdaptThrottle(10);
  EXPECT_EQ(ThrottleDelay, -1.0f);  // nothing below 0
  ThrottleDelay = 0.0f;
  AdaptThrottle(49);
  EXPECT_EQ(ThrottleDelay, 0.0f);
}

TEST_F(InterruptsTest, FramesPerSecondWindowOpensAtTheFirstEntryAndAdaptsOnlyWithTheLimit) {
  SpeedLimitOn = 0;
  FpsCounter = 70;
  CountFramesPerSecond();  // the first entry closes the initial (empty) window
  EXPECT_EQ(FramesPerSecond, 70);
  EXPECT_EQ(FpsCounter, 0);
  EXPECT_EQ(ThrottleDelay, 0.0f);
  CountFramesPerSecond();
  EXPECT_EQ(FpsCounter, 1);

  SpeedLimitOn = 1;
  FpsDeadline = FpsLastSample;  // close the window
  FpsCounter = 70;
  CountFramesPerSecond();
  EXPECT_EQ(ThrottleDelay, 10.0f);

  // A window open across the millisecond clock's sign change still counts.
  SpeedLimitOn = 0;
  FpsLastSample = 2147483000;
  FpsDeadline = static_cast<std::int32_t>(2147483000u + 1000u);
  FpsCounter = 5;
  CountFramesPerSecond();
  EXPECT_EQ(FpsCounter, 6);
}

}  // namespace
