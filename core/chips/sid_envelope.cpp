// The envelope generator's rate table, its phase changes and its catch-up over many
// cycles at once.
#include "core/chips/sid_envelope.h"

#include <array>

namespace core {

namespace {

// Chip cycles per envelope step for each 4-bit rate. An attack takes 256 steps: 9 cycles
// give the data sheet's 2 ms at its nominal 1 MHz clock, 31251 its 8 s. A decay or
// release takes about three times as long through the exponential steps below.
constexpr std::array<std::uint16_t, 16> kRatePeriods = {
    9, 32, 63, 95, 149, 220, 267, 313, 392, 977, 1954, 3126, 3907, 11720, 19532, 31251};

// In decay and release the level falls one step every this many rate steps: the fall
// slows at levels 93, 54, 26, 14 and 6, approximating an exponential curve.
std::uint8_t ExponentPeriod(std::uint8_t level) {
  if (level > 93) return 1;
  if (level > 54) return 2;
  if (level > 26) return 4;
  if (level > 14) return 8;
  if (level > 6) return 16;
  return 30;
}

}  // namespace

void SidEnvelope::SetGate(bool on) {
  const Phase next = on ? Phase::kAttack : Phase::kRelease;
  if ((phase == Phase::kRelease) == on) {
    phase = next;
    exponentCounter = 0;
    UpdatePeriod();
  }
}

void SidEnvelope::SetAttackDecay(std::uint8_t value) {
  attackDecay = value;
  UpdatePeriod();
}

void SidEnvelope::SetSustainRelease(std::uint8_t value) {
  sustainRelease = value;
  sustainLevel = static_cast<std::uint8_t>((value >> 4) * 0x11);
  UpdatePeriod();
}

void SidEnvelope::UpdatePeriod() {
  switch (phase) {
    case Phase::kAttack: period = kRatePeriods[attackDecay >> 4]; break;
    case Phase::kDecaySustain: period = kRatePeriods[attackDecay & 0x0F]; break;
    case Phase::kRelease: period = kRatePeriods[sustainRelease & 0x0F]; break;
  }
}

void SidEnvelope::Step() {
  if (phase == Phase::kAttack) {
    if (level < 0xFF) ++level;
    if (level == 0xFF) {
      phase = Phase::kDecaySustain;
      exponentCounter = 0;
      UpdatePeriod();
    }
    return;
  }
  if (Frozen()) return;
  if (++exponentCounter >= ExponentPeriod(level)) {
    exponentCounter = 0;
    --level;
  }
}

void SidEnvelope::ClockMany(std::uint64_t cycles) {
  while (cycles > 0) {
    const std::uint32_t untilStep = ((period - counter - 1u) & 0x7FFFu) + 1u;
    if (cycles < untilStep) {
      counter = static_cast<std::uint16_t>((counter + cycles) & 0x7FFF);
      return;
    }
    cycles -= untilStep;
    counter = 0;
    Step();
    // A frozen envelope's steps change nothing: only where the counter ends matters.
    if (Frozen()) {
      counter = static_cast<std::uint16_t>(cycles % period);
      return;
    }
  }
}

}  // namespace core
