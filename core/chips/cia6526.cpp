// The 6526's registers, timers, time-of-day clock and interrupt control, and its snapshot.
// Advance runs whole stretches without an event as plain subtraction and steps single
// cycles only where something happens (a pipeline settling, an underflow).
#include "core/chips/cia6526.h"

#include <algorithm>

namespace core {

namespace {

constexpr std::uint8_t kStart = 0x01;
constexpr std::uint8_t kOneShot = 0x08;
constexpr std::uint8_t kForceLoad = 0x10;
constexpr std::uint8_t kCraCnt = 0x20;  // timer A counts CNT edges
constexpr std::uint8_t kCraSerialOut = 0x40;
constexpr std::uint8_t kCrbInputs = 0x60;  // timer B's input: %00 clock, %01 CNT, %1x A
constexpr std::uint8_t kCrbAlarm = 0x80;   // time-of-day writes set the alarm

// Sixteen CNT half-periods, one per timer A underflow, send the eight bits of a byte.
constexpr std::uint8_t kShiftUnderflows = 16;

// One count of a BCD digit pair: the low digit goes 9 -> 0 with a carry into the high one;
// reaching `wrap` gives 0. Values that are no BCD count on without a fault.
std::uint8_t BcdStep(std::uint8_t value, std::uint8_t wrap, bool& carry) {
  std::uint8_t next = (value & 0x0F) == 9 ? static_cast<std::uint8_t>((value & 0xF0) + 0x10)
                                          : static_cast<std::uint8_t>(value + 1);
  carry = next == wrap;
  return carry ? 0 : next;
}

// The cycle in which a timer counts for the m-th time (m >= 1) from now, 0 if never:
// the pipeline decides the next two cycles, the start bit every later one.
std::uint64_t CountCycle(std::uint8_t pipe, bool started, std::uint64_t m) {
  for (std::uint64_t cycle = 1; cycle <= 2; ++cycle) {
    if (pipe & 1) {
      if (--m == 0) return cycle;
    }
    pipe >>= 1;
  }
  return started ? 2 + m : 0;
}

}  // namespace

void Cia6526::Reset() {
  *this = Cia6526{};
}

void Cia6526::SetTimeOfDay(std::uint8_t hours, std::uint8_t minutes, std::uint8_t seconds,
                           std::uint8_t tenths) {
  clock_ =
      Clock{static_cast<std::uint8_t>(tenths & 0x0F), static_cast<std::uint8_t>(seconds & 0x7F),
            static_cast<std::uint8_t>(minutes & 0x7F), static_cast<std::uint8_t>(hours & 0x9F)};
  clockStopped_ = false;
  mainsTicks_ = 0;
}

std::uint8_t Cia6526::Read(std::uint8_t reg) {
  switch (reg & 0x0F) {
    case kPra: return static_cast<std::uint8_t>((pra_ & ddra_) | (portAPins & ~ddra_));
    case kPrb: return static_cast<std::uint8_t>((prb_ & ddrb_) | (portBPins & ~ddrb_));
    case kDdra: return ddra_;
    case kDdrb: return ddrb_;
    case kTaLow: return static_cast<std::uint8_t>(timerA_.counter);
    case kTaHigh: return static_cast<std::uint8_t>(timerA_.counter >> 8);
    case kTbLow: return static_cast<std::uint8_t>(timerB_.counter);
    case kTbHigh: return static_cast<std::uint8_t>(timerB_.counter >> 8);
    case kTodTenths: {
      const std::uint8_t tenths = readLatched_ ? readLatch_.tenths : clock_.tenths;
      readLatched_ = false;
      return tenths;
    }
    case kTodSeconds: return readLatched_ ? readLatch_.seconds : clock_.seconds;
    case kTodMinutes: return readLatched_ ? readLatch_.minutes : clock_.minutes;
    case kTodHours:
      if (!readLatched_) {
        readLatch_ = clock_;
        readLatched_ = true;
      }
      return readLatch_.hours;
    case kSdr: return sdr_;
    case kIcr: {
      const std::uint8_t value = static_cast<std::uint8_t>(icrFlags_ | (interrupt ? 0x80 : 0));
      icrFlags_ = 0;
      interrupt = false;
      return value;
    }
    case kCra: return timerA_.control;
    default: return timerB_.control;
  }
}

void Cia6526::Write(std::uint8_t reg, std::uint8_t value) {
  Clock& tod = (timerB_.control & kCrbAlarm) ? alarm_ : clock_;
  switch (reg & 0x0F) {
    case kPra: pra_ = value; break;
    case kPrb: prb_ = value; break;
    case kDdra: ddra_ = value; break;
    case kDdrb: ddrb_ = value; break;
    case kTaLow:
      timerA_.latch = static_cast<std::uint16_t>((timerA_.latch & 0xFF00) | value);
      break;
    case kTbLow:
      timerB_.latch = static_cast<std::uint16_t>((timerB_.latch & 0xFF00) | value);
      break;
    case kTaHigh:
    case kTbHigh: {
      Timer& timer = (reg & 0x0F) == kTaHigh ? timerA_ : timerB_;
      timer.latch = static_cast<std::uint16_t>(value << 8 | (timer.latch & 0x00FF));
      if (!(timer.control & kStart)) timer.counter = timer.latch;
      break;
    }
    case kTodTenths:
      tod.tenths = value & 0x0F;
      if (&tod == &clock_ && clockStopped_) {
        clockStopped_ = false;
        mainsTicks_ = 0;  // the divider starts afresh with the clock
      }
      break;
    case kTodSeconds: tod.seconds = value & 0x7F; break;
    case kTodMinutes: tod.minutes = value & 0x7F; break;
    case kTodHours:
      tod.hours = value & 0x9F;
      if (&tod == &clock_) clockStopped_ = true;
      break;
    case kSdr:
      sdr_ = value;
      if (timerA_.control & kCraSerialOut) {
        if (shiftLeft_ == 0) {
          shiftLeft_ = kShiftUnderflows;
        } else {
          shiftQueued_ = true;
        }
      }
      break;
    case kIcr:
      if (value & 0x80) {
        icrMask_ |= value & 0x1F;
      } else {
        icrMask_ &= static_cast<std::uint8_t>(~value & 0x1F);
      }
      interrupt = (icrFlags_ & icrMask_) != 0;
      break;
    case kCra:
      if (!(value & kCraSerialOut)) {
        shiftLeft_ = 0;  // input mode drops a byte still going out
        shiftQueued_ = false;
      }
      WriteControl(timerA_, value);
      // Keep the divider's count below the period it now has.
      if (mainsTicks_ >= TodPeriod()) mainsTicks_ = 0;
      break;
    default: WriteControl(timerB_, value); break;
  }
}

void Cia6526::WriteControl(Timer& timer, std::uint8_t value) {
  if (value & kForceLoad) timer.counter = timer.latch;
  timer.control = value & static_cast<std::uint8_t>(~kForceLoad);
}

void Cia6526::SignalFlag() {
  SetFlags(kIcrFlag);
}

void Cia6526::SetFlags(std::uint8_t flags) {
  icrFlags_ |= flags;
  if (icrFlags_ & icrMask_) interrupt = true;
}

// One count of a timer; true on an underflow.
bool Cia6526::CountTimer(Timer& timer) {
  if (timer.counter != 0) {
    --timer.counter;
    return false;
  }
  timer.counter = timer.latch;
  if (timer.control & kOneShot) {
    timer.control &= static_cast<std::uint8_t>(~kStart);
    timer.pipe = 0;
  }
  return true;
}

void Cia6526::StepCycle() {
  const bool aMayCount = timerA_.pipe & 1;
  const bool bMayCount = timerB_.pipe & 1;
  timerA_.pipe = static_cast<std::uint8_t>(timerA_.pipe >> 1 | (timerA_.control & kStart) << 1);
  timerB_.pipe = static_cast<std::uint8_t>(timerB_.pipe >> 1 | (timerB_.control & kStart) << 1);

  const bool aUnderflow = aMayCount && !(timerA_.control & kCraCnt) && CountTimer(timerA_);
  const std::uint8_t bInput = timerB_.control & kCrbInputs;
  const bool bCounts = bInput == 0x00 || ((bInput & 0x40) && aUnderflow);
  const bool bUnderflow = bMayCount && bCounts && CountTimer(timerB_);

  std::uint8_t flags = 0;
  if (aUnderflow) {
    flags |= kIcrTimerA;
    if (shiftLeft_ != 0 && --shiftLeft_ == 0) {
      flags |= kIcrSerial;
      if (shiftQueued_) {
        shiftQueued_ = false;
        shiftLeft_ = kShiftUnderflows;
      }
    }
  }
  if (bUnderflow) flags |= kIcrTimerB;
  if (flags) SetFlags(flags);
}

void Cia6526::Advance(std::uint32_t cycles) {
  AdvanceTimeOfDay(cycles);
  while (cycles != 0) {
    const bool aSettled = timerA_.pipe == ((timerA_.control & kStart) ? 3 : 0);
    const bool bSettled = timerB_.pipe == ((timerB_.control & kStart) ? 3 : 0);
    if (!aSettled || !bSettled) {
      StepCycle();
      --cycles;
      continue;
    }
    // Both pipelines follow their start bits: until the next underflow each running timer
    // counts once a cycle (timer B counting A's underflows has none to count).
    const bool aCounts = (timerA_.control & (kStart | kCraCnt)) == kStart;
    const bool bCounts = (timerB_.control & kStart) && (timerB_.control & kCrbInputs) == 0;
    std::uint32_t plain = cycles;
    if (aCounts) plain = std::min<std::uint32_t>(plain, timerA_.counter);
    if (bCounts) plain = std::min<std::uint32_t>(plain, timerB_.counter);
    if (plain == 0) {
      StepCycle();
      --cycles;
      continue;
    }
    if (aCounts) timerA_.counter = static_cast<std::uint16_t>(timerA_.counter - plain);
    if (bCounts) timerB_.counter = static_cast<std::uint16_t>(timerB_.counter - plain);
    cycles -= plain;
  }
}

std::uint32_t Cia6526::CyclesUntilEvent() const {
  // The next 50 Hz tick falls in the first cycle that brings the phase to kClockHz.
  std::uint64_t event = (kClockHz - mainsPhase_ + kMainsHz - 1) / kMainsHz;
  if (!(timerA_.control & kCraCnt)) {
    const std::uint64_t a =
        CountCycle(timerA_.pipe, timerA_.control & kStart, std::uint64_t{timerA_.counter} + 1);
    if (a != 0) event = std::min(event, a);
  }
  if ((timerB_.control & kCrbInputs) == 0) {
    const std::uint64_t b =
        CountCycle(timerB_.pipe, timerB_.control & kStart, std::uint64_t{timerB_.counter} + 1);
    if (b != 0) event = std::min(event, b);
  }
  return static_cast<std::uint32_t>(event - 1);
}

void Cia6526::AdvanceTimeOfDay(std::uint32_t cycles) {
  const std::uint64_t phase = mainsPhase_ + std::uint64_t{cycles} * kMainsHz;
  const std::uint64_t ticks = phase / kClockHz;
  mainsPhase_ = static_cast<std::uint32_t>(phase % kClockHz);
  if (ticks == 0 || clockStopped_) return;
  const std::uint64_t count = mainsTicks_ + ticks;
  mainsTicks_ = static_cast<std::uint8_t>(count % TodPeriod());
  for (std::uint64_t n = count / TodPeriod(); n != 0; --n) StepTenths();
}

// One tenth of a second on the clock, with the 12-hour rollovers: 11:59:59.9 AM goes to
// 12:00:00.0 PM, 12:59:59.9 to 01:00:00.0 with the half of the day kept.
void Cia6526::StepTenths() {
  bool carry = false;
  clock_.tenths = BcdStep(clock_.tenths, 0x10, carry);
  if (carry) {
    clock_.seconds = BcdStep(clock_.seconds, 0x60, carry) & 0x7F;
    if (carry) {
      clock_.minutes = BcdStep(clock_.minutes, 0x60, carry) & 0x7F;
      if (carry) {
        const std::uint8_t pm = clock_.hours & 0x80;
        const std::uint8_t hour = clock_.hours & 0x1F;
        if (hour == 0x11) {
          clock_.hours = static_cast<std::uint8_t>(0x12 | (pm ^ 0x80));
        } else if (hour == 0x12) {
          clock_.hours = static_cast<std::uint8_t>(0x01 | pm);
        } else {
          clock_.hours = static_cast<std::uint8_t>((BcdStep(hour, 0x20, carry) & 0x1F) | pm);
        }
      }
    }
  }
  if (clock_.tenths == alarm_.tenths && clock_.seconds == alarm_.seconds &&
      clock_.minutes == alarm_.minutes && clock_.hours == alarm_.hours) {
    SetFlags(kIcrAlarm);
  }
}

void Cia6526::Save(StateWriter& out, const char (&tag)[5]) const {
  out.BeginSection(tag);
  for (std::uint8_t value : {pra_, prb_, ddra_, ddrb_, portAPins, portBPins}) out.PutU8(value);
  for (const Timer* timer : {&timerA_, &timerB_}) {
    out.PutU16(timer->counter);
    out.PutU16(timer->latch);
    out.PutU8(timer->control);
    out.PutU8(timer->pipe);
  }
  out.PutU8(icrFlags_);
  out.PutU8(icrMask_);
  for (const Clock* clock : {&clock_, &alarm_, &readLatch_}) {
    out.PutU8(clock->tenths);
    out.PutU8(clock->seconds);
    out.PutU8(clock->minutes);
    out.PutU8(clock->hours);
  }
  out.PutBool(readLatched_);
  out.PutBool(clockStopped_);
  out.PutU32(mainsPhase_);
  out.PutU8(mainsTicks_);
  out.PutU8(sdr_);
  out.PutU8(shiftLeft_);
  out.PutBool(shiftQueued_);
  out.EndSection();
}

void Cia6526::Load(StateReader& in, const char (&tag)[5]) {
  // Read into a copy and take it only when the whole section was there and valid.
  Cia6526 next;
  in.BeginSection(tag);
  for (std::uint8_t* value :
       {&next.pra_, &next.prb_, &next.ddra_, &next.ddrb_, &next.portAPins, &next.portBPins}) {
    *value = in.U8();
  }
  bool valid = true;
  for (Timer* timer : {&next.timerA_, &next.timerB_}) {
    timer->counter = in.U16();
    timer->latch = in.U16();
    timer->control = in.U8();
    timer->pipe = in.U8();
    valid = valid && !(timer->control & kForceLoad) && timer->pipe <= 3;
  }
  next.icrFlags_ = in.U8();
  next.icrMask_ = in.U8();
  valid = valid && next.icrFlags_ <= 0x1F && next.icrMask_ <= 0x1F;
  for (Clock* clock : {&next.clock_, &next.alarm_, &next.readLatch_}) {
    clock->tenths = in.U8();
    clock->seconds = in.U8();
    clock->minutes = in.U8();
    clock->hours = in.U8();
    valid = valid && clock->tenths <= 0x0F && clock->seconds <= 0x7F && clock->minutes <= 0x7F &&
            (clock->hours & 0x60) == 0;
  }
  next.readLatched_ = in.Boolean();
  next.clockStopped_ = in.Boolean();
  next.mainsPhase_ = in.U32();
  next.mainsTicks_ = in.U8();
  next.sdr_ = in.U8();
  next.shiftLeft_ = in.U8();
  next.shiftQueued_ = in.Boolean();
  valid = valid && next.mainsPhase_ < kClockHz && next.mainsTicks_ < next.TodPeriod() &&
          next.shiftLeft_ <= kShiftUnderflows && (next.shiftLeft_ != 0 || !next.shiftQueued_);
  in.EndSection();
  if (!valid) in.Fail();
  if (!in.Ok()) return;
  next.interrupt = (next.icrFlags_ & next.icrMask_) != 0;
  *this = next;
}

}  // namespace core
