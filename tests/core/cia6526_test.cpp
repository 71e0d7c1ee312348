// The 6526 CIA on its own: timers and their start delay, interrupt control, time of day,
// ports, the serial flag, split runs against cycle-by-cycle runs, and the snapshot.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <tuple>
#include <vector>

#include "core/chips/cia6526.h"

using namespace core;
using C = Cia6526;

namespace {

// A chip after reset, with the accesses the tests repeat.
struct Cia : C {
  Cia() { Reset(); }
  void Latch(std::uint8_t low, std::uint16_t value) {
    Write(low, value), Write(low + 1, value >> 8);
  }
  int Counter(std::uint8_t low) { return Read(low) | Read(low + 1) << 8; }
  // Hours, minutes, seconds, tenths in one number, read hours first as a program does.
  std::uint32_t Time() {
    return std::uint32_t{Read(11)} << 24 | Read(10) << 16 | Read(9) << 8 | Read(8);
  }
  std::vector<std::uint8_t> Saved() const {
    StateWriter out;
    Save(out, "CIA1");
    return out.Bytes();
  }
};

constexpr std::uint32_t kSecond = C::kClockHz;  // 50 ticks of 985,248 / 50 cycles
constexpr std::uint32_t kTenth = 98525;         // 5 ticks at 50 Hz: 98,524.8 cycles

// Latch 100 written while stopped (so also in the counter), then the control register. The
// counter holds two cycles after the start and counts from the third; a period is L+1.
TEST(Cia6526, TimersCountUnderflowReloadAndStopInOneShot) {
  const std::tuple<int, int, int, bool, int> rows[] = {
      {0x01, 2, 100, false, 0x01},   {0x01, 3, 99, false, 0x01},   {0x01, 102, 0, false, 0x01},
      {0x01, 103, 100, true, 0x01},  {0x09, 103, 100, true, 0x08}, {0x09, 5000, 100, true, 0x08},
      {0x21, 5000, 100, false, 0x21}};  // CNT input (A) or CNT edges (B): idle, no count
  for (const auto& [control, cycles, counter, flag, after] : rows) {
    for (const auto& [low, cr, bit] : {std::tuple{4, C::kCra, 1}, std::tuple{6, C::kCrb, 2}}) {
      Cia chip;
      chip.Latch(low, 100);
      chip.Write(cr, control);
      chip.Advance(cycles);
      EXPECT_EQ(chip.Counter(low), counter) << control << " " << cycles;
      EXPECT_EQ(chip.Read(C::kIcr), flag ? bit : 0) << control << " " << cycles;
      EXPECT_EQ(chip.Read(cr), after);
    }
  }
}

TEST(Cia6526, ContinuousTimerUnderflowsEveryLatchPlusOneCyclesAndCountsCyclesExactly) {
  for (int latch : {0, 1, 5, 1000}) {
    Cia chip;
    chip.Latch(4, latch);
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
  Cia chip;  // a program reading twice sees the cycles between; a stop still counts twice
  chip.Latch(4, 5000);
  chip.Write(C::kCra, 0x01);
  chip.Advance(2);
  for (std::uint32_t cycles : {1u, 2u, 4u, 7u, 300u, 0u}) {
    const int before = chip.Counter(4);
    if (cycles == 0) chip.Write(C::kCra, 0x00);
    chip.Advance(cycles == 0 ? 50 : cycles);
    EXPECT_EQ(before - chip.Counter(4), cycles == 0 ? 2 : int(cycles));
  }
  chip.Write(C::kTaLow, 0x34);  // stopped: the high byte loads the counter too
  chip.Write(C::kTaHigh, 0x12);
  EXPECT_EQ(chip.Counter(4), 0x1234);
  chip.Write(C::kCra, 0x01);
  chip.Advance(12);
  chip.Write(C::kTaHigh, 0x20);  // running: the latch only
  EXPECT_EQ(chip.Counter(4), 0x1234 - 10);
  chip.Write(C::kCra, 0x11);  // force load
  EXPECT_EQ(chip.Counter(4), 0x2034);
  EXPECT_EQ(chip.Read(C::kCra), 0x01);  // the strobe reads 0
}

// A: latch 9, underflows in cycles 12, 22, 32, 42; B: latch 3 underflows on the fourth.
TEST(Cia6526, TimerBCountsTimerAUnderflows) {
  const std::tuple<int, int, int, int> rows[] = {
      {0x41, 41, 0, 0x01}, {0x41, 42, 3, 0x03}, {0x61, 42, 3, 0x03}, {0x21, 1000, 3, 0x01}};
  for (const auto& [crb, cycles, counter, icr] : rows) {
    Cia chip;
    chip.Latch(4, 9);
    chip.Latch(6, 3);
    chip.Write(C::kCrb, crb);
    chip.Write(C::kCra, 0x01);
    chip.Advance(cycles);
    EXPECT_EQ(chip.Counter(6), counter) << crb << " " << cycles;
    EXPECT_EQ(chip.Read(C::kIcr), icr) << crb << " " << cycles;
  }
}

// Masks written before (or after) the FLAG input's edge; then what the ICR read returns.
TEST(Cia6526, InterruptControlMasksFlagsAndReadClears) {
  const std::tuple<int, int, bool, bool, int> rows[] = {
      {0x90, 0, false, true, 0x90},     {0, 0, false, false, 0x10},
      {0x90, 0x10, false, false, 0x10}, {0x82, 0, false, false, 0x10},
      {0x9F, 0x0F, false, true, 0x90},  {0x90, 0, true, true, 0x90}};
  for (const auto& [first, second, maskAfterFlag, interrupt, icr] : rows) {
    Cia chip;
    if (maskAfterFlag) chip.SignalFlag();
    chip.Write(C::kIcr, first);
    chip.Write(C::kIcr, second);
    if (!maskAfterFlag) chip.SignalFlag();
    EXPECT_EQ(chip.interrupt, interrupt) << first << " " << second;
    EXPECT_EQ(chip.Read(C::kIcr), icr);
    EXPECT_FALSE(chip.interrupt);
    EXPECT_EQ(chip.Read(C::kIcr), 0);
  }
}

TEST(Cia6526, TimeOfDayCountsBcdAndRollsOverTwelveHours) {
  const std::pair<std::uint32_t, std::uint32_t> rows[] = {
      {0x01000000, 0x01000001}, {0x01000009, 0x01000100}, {0x01005909, 0x01010000},
      {0x09595909, 0x10000000}, {0x11595909, 0x92000000}, {0x91595909, 0x12000000},
      {0x12595909, 0x01000000}, {0x92595909, 0x81000000}};
  for (const auto& [from, to] : rows) {
    Cia chip;
    chip.Write(C::kCra, 0x80);
    chip.SetTimeOfDay(from >> 24, from >> 16, from >> 8, from);
    chip.Advance(kTenth);
    EXPECT_EQ(chip.Time(), to) << std::hex << from;
  }
  // Five seconds of 50 Hz are 250 ticks: 50 tenths at 5 per tenth, 41 at 6 per tenth.
  for (const auto& [cra, time] : {std::pair{0x80, 0x01000500u}, {0x00, 0x01000401u}}) {
    Cia chip;
    chip.Write(C::kCra, cra);
    chip.Advance(5 * kSecond);
    EXPECT_EQ(chip.Time(), time);
  }
}

TEST(Cia6526, TimeOfDayReadLatchWriteStopAndAlarm) {
  Cia chip;  // 01:00:00.0 at reset
  chip.Write(C::kCra, 0x80);
  EXPECT_EQ(chip.Read(C::kTodHours), 0x01);  // latched from here...
  chip.Advance(2 * kSecond);
  EXPECT_EQ(chip.Read(C::kTodSeconds), 0x00);
  EXPECT_EQ(chip.Read(C::kTodTenths), 0);  // ...to here
  EXPECT_EQ(chip.Read(C::kTodSeconds), 0x02);
  chip.Write(C::kTodHours, 0x83);  // stops the clock...
  chip.Advance(3 * kSecond);
  EXPECT_EQ(chip.Time(), 0x83000200u);
  chip.Write(C::kTodTenths, 5);  // ...until the tenths are written
  chip.Write(C::kCrb, 0x80);     // alarm at 03:00:04.0 PM
  for (int reg = 11; reg >= 8; --reg) chip.Write(reg, reg == 11 ? 0x83 : reg == 9 ? 0x04 : 0);
  chip.Write(C::kCrb, 0x00);
  chip.Write(C::kIcr, 0x84);
  chip.Advance(14 * kTenth);
  EXPECT_EQ(chip.Time(), 0x83000309u);
  EXPECT_FALSE(chip.interrupt);
  chip.Advance(kTenth);
  EXPECT_TRUE(chip.interrupt);
  EXPECT_EQ(chip.Read(C::kIcr), 0x84);
}

TEST(Cia6526, PortsReadLatchWhereOutputAndPinsWhereInput) {
  const std::array<std::uint8_t, 5> rows[] = {{0x00, 0x55, 0xAA, 0xAA, 0xFF},
                                              {0xFF, 0x55, 0xAA, 0x55, 0x55},
                                              {0xF0, 0x3C, 0xA5, 0x35, 0x3F}};
  for (const auto& [ddr, latch, pins, read, output] : rows) {
    Cia chip;
    chip.Write(C::kDdra, ddr), chip.Write(C::kPra, latch), chip.portAPins = pins;
    chip.Write(C::kDdrb, ddr), chip.Write(C::kPrb, latch), chip.portBPins = pins;
    EXPECT_EQ(chip.Read(C::kPra), read);
    EXPECT_EQ(chip.Read(C::kPrb), read);
    EXPECT_EQ(chip.PortAOutput(), output);
    EXPECT_EQ(chip.PortBOutput(), output);
  }
}

// Timer A latch 3: underflows in cycles 6, 10, ...; the sixteenth in 66, the 32nd in 130.
TEST(Cia6526, SerialOutputRaisesItsFlagAfterSixteenTimerAUnderflowsAByteWaitsItsTurn) {
  const std::tuple<int, int, std::vector<int>> rows[] = {
      {0x41, 1, {66}}, {0x41, 2, {66, 130}}, {0x01, 1, {}}};  // the last in input mode
  for (const auto& [cra, bytes, expected] : rows) {
    Cia chip;
    chip.Latch(4, 3);
    chip.Write(C::kCra, cra);
    for (int n = 1; n <= bytes; ++n) chip.Write(C::kSdr, n);
    std::vector<int> flags;
    for (int cycle = 1; cycle <= 200; ++cycle) {
      chip.Advance(1);
      if (chip.Read(C::kIcr) & 0x08) flags.push_back(cycle);
    }
    EXPECT_EQ(flags, expected) << cra << " " << bytes;
    EXPECT_EQ(chip.Read(C::kSdr), bytes);
  }
}

TEST(Cia6526, CyclesUntilEventCountsToTheNextUnderflowOrMainsTick) {
  Cia chip;
  EXPECT_EQ(chip.CyclesUntilEvent(), 19704u);  // a tick when 50 * cycles reaches 985,248
  chip.Latch(6, 100);
  chip.Write(C::kCrb, 0x01);
  EXPECT_EQ(chip.CyclesUntilEvent(), 102u);  // two cycles' delay, 100 counts, then the underflow
  chip.Advance(102);
  EXPECT_EQ(chip.Read(C::kIcr), 0);
  chip.Advance(1);
  EXPECT_EQ(chip.Read(C::kIcr), 0x02);
}

// Random register writes and reads between runs; one chip steps cycle by cycle, the other
// takes each run in random pieces. Their snapshots agree after every run, and load back.
TEST(Cia6526, AnySplitOfARunGivesTheSameState) {
  std::mt19937 random(6526);
  auto below = [&](std::uint32_t n) { return static_cast<std::uint32_t>(random() % n); };
  Cia single, split;
  for (int run = 0; run < 3000; ++run) {
    const std::uint8_t reg = static_cast<std::uint8_t>(4 + below(12));
    std::uint8_t value = static_cast<std::uint8_t>(random());
    if (reg == C::kTaHigh || reg == C::kTbHigh) value &= 0x01;  // short periods, many events
    if (below(3) == 0) {
      EXPECT_EQ(single.Read(reg), split.Read(reg));
    } else {
      single.Write(reg, value), split.Write(reg, value);
    }
    Cia quiet = single;  // nothing but decrements in the cycles CyclesUntilEvent gives
    quiet.Advance(quiet.CyclesUntilEvent());
    EXPECT_EQ(quiet.Read(C::kIcr) & 0x1F, Cia(single).Read(C::kIcr) & 0x1F);
    std::uint32_t cycles = below(4) == 0 ? below(30000) : below(600);
    for (std::uint32_t n = 0; n < cycles; ++n) single.Advance(1);
    for (std::uint32_t piece; cycles != 0; cycles -= piece) {
      piece = below(4) == 0 ? cycles : 1 + below(std::min(cycles, 700u));
      split.Advance(piece);
    }
    const std::vector<std::uint8_t> bytes = single.Saved();
    ASSERT_EQ(bytes, split.Saved()) << "run " << run;
    ASSERT_EQ(single.interrupt, split.interrupt);
    StateReader in(bytes);
    Cia().Load(in, "CIA1");
    ASSERT_TRUE(in.Ok()) << "run " << run;
  }
}

TEST(Cia6526, SnapshotRoundTripsAndARejectedOneLeavesTheChipAlone) {
  Cia chip;
  chip.Latch(4, 0x0123);
  chip.Write(C::kCra, 0xC1), chip.Write(C::kSdr, 0x5A), chip.Write(C::kIcr, 0x83);
  chip.Read(C::kTodHours);
  chip.Advance(123457);
  const std::vector<std::uint8_t> bytes = chip.Saved();
  Cia copy;
  StateReader in(bytes);
  copy.Load(in, "CIA1");
  EXPECT_TRUE(in.Ok() && in.AtEnd());
  EXPECT_EQ(copy.Saved(), bytes);
  EXPECT_TRUE(copy.interrupt && chip.interrupt);

  std::vector<std::vector<std::uint8_t>> rejected = {bytes};
  rejected[0][45] = 0xFF;  // the 50 Hz phase (bytes 42..45) past 985,247
  for (std::size_t size = 0; size < bytes.size(); ++size) {
    rejected.emplace_back(bytes.begin(), bytes.begin() + size);
  }
  for (std::size_t n = 0; n <= rejected.size(); ++n) {
    Cia target;
    StateReader reader(n < rejected.size() ? rejected[n] : bytes);
    if (n < rejected.size()) target.Load(reader, "CIA1");
    if (n == rejected.size()) target.Load(reader, "CIA2");  // another chip's section
    EXPECT_FALSE(reader.Ok()) << n;
    EXPECT_EQ(target.Saved(), Cia().Saved());
  }
}

}  // namespace
