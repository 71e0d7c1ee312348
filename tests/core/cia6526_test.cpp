// The 6526 CIA on its own: timers and their start delay, interrupt control, time of day,
// ports, the serial flag, split runs against cycle-by-cycle runs, and the snapshot.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/chips/cia6526.h"

using namespace core;
using C = Cia6526;

namespace {

C Chip() {
  C chip;
  chip.Reset();
  return chip;
}
void SetLatch(C& chip, std::uint8_t low, std::uint16_t value) {
  chip.Write(low, value & 0xFF);
  chip.Write(low + 1, value >> 8);
}
std::uint16_t Counter(C& chip, std::uint8_t low) {
  return static_cast<std::uint16_t>(chip.Read(low) | chip.Read(low + 1) << 8);
}
std::vector<std::uint8_t> Saved(const C& chip) {
  StateWriter out;
  chip.Save(out, "CIA1");
  return out.Bytes();
}

// Latch 100 written while stopped (so also in the counter), then the control register; the
// counter holds two cycles after the start and counts from the third; a period is L+1.
TEST(Cia6526, TimersCountUnderflowReloadAndStopInOneShot) {
  struct Row {
    std::uint8_t control;
    std::uint32_t cycles;
    std::uint16_t counter;
    bool flag;
    std::uint8_t controlAfter;
  };
  const Row rows[] = {
      {0x01, 2, 100, false, 0x01},    {0x01, 3, 99, false, 0x01},   {0x01, 102, 0, false, 0x01},
      {0x01, 103, 100, true, 0x01},   {0x09, 103, 100, true, 0x08}, {0x09, 5000, 100, true, 0x08},
      {0x21, 5000, 100, false, 0x21},  // CNT input (A) or CNT edges (B): idle, no count
  };
  for (const Row& row : rows) {
    for (const auto& [low, control, flag] :
         {std::tuple{4, C::kCra, 1}, std::tuple{6, C::kCrb, 2}}) {
      C chip = Chip();
      SetLatch(chip, low, 100);
      chip.Write(control, row.control);
      chip.Advance(row.cycles);
      EXPECT_EQ(Counter(chip, low), row.counter) << int(row.control) << " " << row.cycles;
      EXPECT_EQ(chip.Read(C::kIcr), row.flag ? flag : 0) << int(row.control) << " " << row.cycles;
      EXPECT_EQ(chip.Read(control), row.controlAfter);
    }
  }
}

TEST(Cia6526, ContinuousTimerUnderflowsEveryLatchPlusOneCyclesAndCountsCyclesExactly) {
  for (std::uint16_t latch : {0, 1, 5, 1000}) {
    C chip = Chip();
    SetLatch(chip, 4, latch);
    chip.Write(C::kCra, 0x01);
    std::vector<int> underflows;
    for (int cycle = 1; underflows.size() < 4 && cycle < 5 * (latch + 3); ++cycle) {
      chip.Advance(1);
      if (chip.Read(C::kIcr) & 1) underflows.push_back(cycle);
    }
    ASSERT_EQ(underflows.size(), 4u) << latch;
    EXPECT_EQ(underflows[0], 2 + latch + 1);
    for (int n = 1; n < 4; ++n) EXPECT_EQ(underflows[n] - underflows[n - 1], latch + 1);
  }
  C chip = Chip();  // a program reading twice sees the cycles in between; a stop counts twice more
  SetLatch(chip, 4, 5000);
  chip.Write(C::kCra, 0x01);
  chip.Advance(2);
  for (std::uint32_t cycles : {1u, 2u, 4u, 7u, 300u}) {
    const std::uint16_t before = Counter(chip, 4);
    chip.Advance(cycles);
    EXPECT_EQ(before - Counter(chip, 4), int(cycles));
  }
  const std::uint16_t before = Counter(chip, 4);
  chip.Write(C::kCra, 0x00);
  chip.Advance(50);
  EXPECT_EQ(before - Counter(chip, 4), 2);
}

TEST(Cia6526, TimerBCountsTimerAUnderflows) {
  struct Row {
    std::uint8_t crb;
    std::uint32_t cycles;
    std::uint16_t counter;
    std::uint8_t icr;
  };
  // A: latch 9, underflows in cycles 12, 22, 32, 42; B: latch 3 underflows on the fourth.
  const Row rows[] = {{0x41, 41, 0, 0x01},
                      {0x41, 42, 3, 0x03},
                      {0x61, 42, 3, 0x03},
                      {0x41, 82, 3, 0x03},
                      {0x21, 1000, 3, 0x01}};
  for (const Row& row : rows) {
    C chip = Chip();
    SetLatch(chip, 4, 9);
    SetLatch(chip, 6, 3);
    chip.Write(C::kCrb, row.crb);
    chip.Write(C::kCra, 0x01);
    chip.Advance(row.cycles);
    EXPECT_EQ(Counter(chip, 6), row.counter) << int(row.crb) << " " << row.cycles;
    EXPECT_EQ(chip.Read(C::kIcr), row.icr) << int(row.crb) << " " << row.cycles;
  }
}

TEST(Cia6526, LatchHighByteLoadsAStoppedCounterAndForceLoadAnyCounter) {
  C chip = Chip();
  EXPECT_EQ(Counter(chip, 4), 0);
  chip.Write(C::kTaLow, 0x34);
  EXPECT_EQ(Counter(chip, 4), 0);
  chip.Write(C::kTaHigh, 0x12);
  EXPECT_EQ(Counter(chip, 4), 0x1234);
  chip.Write(C::kCra, 0x01);
  chip.Advance(12);
  chip.Write(C::kTaHigh, 0x20);  // running: the latch only
  EXPECT_EQ(Counter(chip, 4), 0x1234 - 10);
  chip.Write(C::kCra, 0x11);
  EXPECT_EQ(Counter(chip, 4), 0x2034);
  EXPECT_EQ(chip.Read(C::kCra), 0x01);  // the strobe reads 0
}

TEST(Cia6526, InterruptControlMasksFlagsAndReadClears) {
  struct Row {
    std::uint8_t masks[2];
    bool maskAfterFlag;
    bool interrupt;
    std::uint8_t icr;
  };
  const Row rows[] = {{{0x90, 0}, false, true, 0x90},     {{0, 0}, false, false, 0x10},
                      {{0x90, 0x10}, false, false, 0x10}, {{0x82, 0}, false, false, 0x10},
                      {{0x9F, 0x0F}, false, true, 0x90},  {{0x90, 0}, true, true, 0x90}};
  for (const Row& row : rows) {
    C chip = Chip();
    if (row.maskAfterFlag) chip.SignalFlag();
    for (std::uint8_t mask : row.masks) chip.Write(C::kIcr, mask);
    if (!row.maskAfterFlag) chip.SignalFlag();
    EXPECT_EQ(chip.interrupt, row.interrupt) << int(row.masks[0]) << " " << int(row.masks[1]);
    EXPECT_EQ(chip.Read(C::kIcr), row.icr);
    EXPECT_FALSE(chip.interrupt);
    EXPECT_EQ(chip.Read(C::kIcr), 0);
  }
}

// One tenth at 50 Hz is 5 mains ticks of 985,248 / 50 cycles: 98,524.8, so 98,525 from phase 0.
TEST(Cia6526, TimeOfDayCountsBcdAndRollsOverTwelveHours) {
  struct Row {
    std::uint8_t from[4], to[4];
  };  // hours, minutes, seconds, tenths
  const Row rows[] = {{{0x01, 0x00, 0x00, 0}, {0x01, 0x00, 0x00, 1}},
                      {{0x01, 0x00, 0x00, 9}, {0x01, 0x00, 0x01, 0}},
                      {{0x01, 0x00, 0x59, 9}, {0x01, 0x01, 0x00, 0}},
                      {{0x09, 0x59, 0x59, 9}, {0x10, 0x00, 0x00, 0}},
                      {{0x11, 0x59, 0x59, 9}, {0x92, 0x00, 0x00, 0}},
                      {{0x91, 0x59, 0x59, 9}, {0x12, 0x00, 0x00, 0}},
                      {{0x12, 0x59, 0x59, 9}, {0x01, 0x00, 0x00, 0}},
                      {{0x92, 0x59, 0x59, 9}, {0x81, 0x00, 0x00, 0}}};
  for (const Row& row : rows) {
    C chip = Chip();
    chip.Write(C::kCra, 0x80);
    chip.SetTimeOfDay(row.from[0], row.from[1], row.from[2], row.from[3]);
    chip.Advance(98525);
    for (int n = 0; n < 4; ++n)
      EXPECT_EQ(chip.Read(0xB - n), row.to[n]) << int(row.from[0]) << " " << n;
  }
}

TEST(Cia6526, TimeOfDayReadLatchWriteStopAlarmAndDivider) {
  C chip = Chip();  // 01:00:00.0 at reset; 50 Hz divider
  chip.Write(C::kCra, 0x80);
  EXPECT_EQ(chip.Read(C::kTodHours), 0x01);  // latched from here...
  chip.Advance(2 * 985248);
  EXPECT_EQ(chip.Read(C::kTodSeconds), 0x00);
  EXPECT_EQ(chip.Read(C::kTodTenths), 0);  // ...to here
  EXPECT_EQ(chip.Read(C::kTodSeconds), 0x02);
  chip.Write(C::kTodHours, 0x83);  // stops the clock
  chip.Advance(3 * 985248);
  EXPECT_EQ(chip.Read(C::kTodSeconds), 0x02);
  chip.Write(C::kTodTenths, 5);  // runs again
  chip.Write(C::kCrb, 0x80);     // alarm at 03:00:04.0 PM
  for (const auto& [reg, value] : {std::pair{C::kTodHours, 0x83},
                                   {C::kTodMinutes, 0x00},
                                   {C::kTodSeconds, 0x04},
                                   {C::kTodTenths, 0x00}}) {
    chip.Write(reg, value);
  }
  chip.Write(C::kCrb, 0x00);
  EXPECT_EQ(chip.Read(C::kTodHours), 0x83);  // the clock, not the alarm, reads back
  EXPECT_EQ(chip.Read(C::kTodTenths), 5);
  chip.Write(C::kIcr, 0x84);
  chip.Advance(1400000);  // from 03:00:02.5, the alarm is 15 tenths of 98,524.8 cycles away
  EXPECT_EQ(chip.Read(C::kTodSeconds), 0x03);
  EXPECT_FALSE(chip.interrupt);
  chip.Advance(100000);
  EXPECT_TRUE(chip.interrupt);
  EXPECT_EQ(chip.Read(C::kIcr), 0x84);
  // Five seconds of 50 Hz are 250 ticks: 50 tenths at 5 per tenth, 41 at 6 per tenth.
  for (const auto& [cra, seconds, tenths] :
       {std::tuple{0x80, 0x05, 0}, std::tuple{0x00, 0x04, 1}}) {
    C clock = Chip();
    clock.Write(C::kCra, cra);
    clock.Advance(5 * 985248);
    EXPECT_EQ(clock.Read(C::kTodSeconds), seconds);
    EXPECT_EQ(clock.Read(C::kTodTenths), tenths);
  }
}

TEST(Cia6526, PortsReadLatchWhereOutputAndPinsWhereInput) {
  struct Row {
    std::uint8_t ddr, latch, pins, read, output;
  };
  const Row rows[] = {{0x00, 0x55, 0xAA, 0xAA, 0xFF},
                      {0xFF, 0x55, 0xAA, 0x55, 0x55},
                      {0xF0, 0x3C, 0xA5, 0x35, 0x3F}};
  for (const Row& row : rows) {
    C chip = Chip();
    chip.Write(C::kDdra, row.ddr);
    chip.Write(C::kPra, row.latch);
    chip.portAPins = row.pins;
    chip.Write(C::kDdrb, row.ddr);
    chip.Write(C::kPrb, row.latch);
    chip.portBPins = row.pins;
    EXPECT_EQ(chip.Read(C::kPra), row.read);
    EXPECT_EQ(chip.Read(C::kPrb), row.read);
    EXPECT_EQ(chip.PortAOutput(), row.output);
    EXPECT_EQ(chip.PortBOutput(), row.output);
  }
}

TEST(Cia6526, SerialOutputRaisesItsFlagAfterSixteenTimerAUnderflows) {
  for (const auto& [cra, flagged] : {std::pair{0x41, true}, std::pair{0x01, false}}) {
    C chip = Chip();
    SetLatch(chip, 4, 3);  // underflows in cycles 6, 10, ... the sixteenth in cycle 66
    chip.Write(C::kCra, cra);
    chip.Write(C::kSdr, 0xA7);
    chip.Advance(65);
    EXPECT_EQ(chip.Read(C::kIcr) & 0x08, 0);
    chip.Advance(1);
    EXPECT_EQ(chip.Read(C::kIcr) & 0x08, flagged ? 0x08 : 0);
    EXPECT_EQ(chip.Read(C::kSdr), 0xA7);
  }
  C chip = Chip();  // a byte written while one goes out follows it: 32 underflows, two flags
  SetLatch(chip, 4, 3);
  chip.Write(C::kCra, 0x41);
  chip.Write(C::kSdr, 0x01);
  chip.Write(C::kSdr, 0x02);
  chip.Advance(66);
  EXPECT_EQ(chip.Read(C::kIcr) & 0x08, 0x08);
  chip.Advance(63);
  EXPECT_EQ(chip.Read(C::kIcr) & 0x08, 0);
  chip.Advance(1);
  EXPECT_EQ(chip.Read(C::kIcr) & 0x08, 0x08);
}

TEST(Cia6526, CyclesUntilEventCountsToTheNextUnderflowOrMainsTick) {
  C chip = Chip();
  EXPECT_EQ(chip.CyclesUntilEvent(), 19704u);  // a tick when 50 * cycles reaches 985,248
  SetLatch(chip, 6, 100);
  chip.Write(C::kCrb, 0x01);
  EXPECT_EQ(chip.CyclesUntilEvent(), 102u);  // two cycles' delay, 100 counts, then the underflow
  chip.Advance(102);
  EXPECT_EQ(chip.Read(C::kIcr), 0);
  chip.Advance(1);
  EXPECT_EQ(chip.Read(C::kIcr), 0x02);
}

// Random register writes and reads between runs; one chip steps cycle by cycle, the other
// takes each run in random pieces. Their snapshots must agree after every run.
TEST(Cia6526, AnySplitOfARunGivesTheSameState) {
  std::mt19937 random(6526);
  auto below = [&](std::uint32_t n) { return static_cast<std::uint32_t>(random() % n); };
  C single = Chip(), split = Chip();
  for (int run = 0; run < 3000; ++run) {
    const std::uint8_t reg = static_cast<std::uint8_t>(4 + below(12));
    std::uint8_t value = static_cast<std::uint8_t>(random());
    if (reg == C::kTaHigh || reg == C::kTbHigh) value &= 0x01;  // short periods, many events
    if (below(3) == 0) {
      EXPECT_EQ(single.Read(reg), split.Read(reg));
    } else {
      single.Write(reg, value);
      split.Write(reg, value);
    }
    std::uint32_t cycles = below(4) == 0 ? below(30000) : below(600);
    C quiet = single;  // nothing but decrements in the cycles CyclesUntilEvent gives
    quiet.Advance(quiet.CyclesUntilEvent());
    EXPECT_EQ(quiet.Read(C::kIcr) & 0x1F, C(single).Read(C::kIcr) & 0x1F);
    for (std::uint32_t n = 0; n < cycles; ++n) single.Advance(1);
    while (cycles != 0) {
      const std::uint32_t piece = below(4) == 0 ? cycles : 1 + below(std::min(cycles, 700u));
      split.Advance(piece);
      cycles -= piece;
    }
    ASSERT_EQ(Saved(single), Saved(split)) << "run " << run;
    ASSERT_EQ(single.interrupt, split.interrupt);
    C loaded;  // and every state reached loads back
    const std::vector<std::uint8_t> bytes = Saved(single);
    StateReader in(bytes);
    loaded.Load(in, "CIA1");
    ASSERT_TRUE(in.Ok()) << "run " << run;
  }
}

TEST(Cia6526, SnapshotRoundTripsAndARejectedOneLeavesTheChipAlone) {
  C chip = Chip();
  SetLatch(chip, 4, 0x0123);
  chip.Write(C::kCra, 0xC1);
  chip.Write(C::kSdr, 0x5A);
  chip.Write(C::kIcr, 0x83);
  chip.Write(C::kDdrb, 0x0F);
  chip.Read(C::kTodHours);
  chip.Advance(123457);
  const std::vector<std::uint8_t> bytes = Saved(chip);
  C copy = Chip();
  StateReader in(bytes);
  copy.Load(in, "CIA1");
  EXPECT_TRUE(in.Ok() && in.AtEnd());
  EXPECT_EQ(Saved(copy), bytes);
  EXPECT_EQ(copy.interrupt, chip.interrupt);

  const std::vector<std::uint8_t> fresh = Saved(Chip());
  std::vector<std::uint8_t> badPhase = bytes;  // the 50 Hz phase (bytes 42..45) past 985,247
  badPhase[45] = 0xFF;
  std::vector<std::vector<std::uint8_t>> rejected = {badPhase};
  for (std::size_t size = 0; size < bytes.size(); ++size) {
    rejected.emplace_back(bytes.begin(), bytes.begin() + size);
  }
  for (const std::vector<std::uint8_t>& snapshot : rejected) {
    C target = Chip();
    StateReader reader(snapshot);
    target.Load(reader, "CIA1");
    EXPECT_FALSE(reader.Ok()) << snapshot.size();
    EXPECT_EQ(Saved(target), fresh);
  }
  C target = Chip();
  StateReader wrongTag(bytes);
  target.Load(wrongTag, "CIA2");
  EXPECT_FALSE(wrongTag.Ok());
}

}  // namespace
