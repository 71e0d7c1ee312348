// One SID voice's envelope generator: an 8-bit level driven by a 15-bit rate counter,
// rising linearly in attack and falling in decay and release in the chip's piecewise
// exponential steps.
#pragma once

#include <cstdint>

namespace core {

struct SidEnvelope {
  enum class Phase : std::uint8_t { kAttack = 0, kDecaySustain = 1, kRelease = 2 };

  // The gate bit's edges: on starts the attack from the current level, off the release.
  void SetGate(bool on);
  void SetAttackDecay(std::uint8_t value);
  void SetSustainRelease(std::uint8_t value);
  // Sets the rate counter's period for the current phase from the registers.
  void UpdatePeriod();

  // One chip cycle. The counter is compared for equality, so a period lowered below its
  // count runs it round through 0x7FFF first, as the chip does.
  void Clock() {
    counter = (counter + 1) & 0x7FFF;
    if (counter != period) return;
    counter = 0;
    Step();
  }

  // `cycles` cycles at once; the same state as that many calls of Clock().
  void ClockMany(std::uint64_t cycles);

  // No further step can change the level until a register changes.
  bool Frozen() const {
    return level == 0 ? phase != Phase::kAttack
                      : phase == Phase::kDecaySustain && level == sustainLevel;
  }

  // Saved state.
  Phase phase = Phase::kRelease;
  std::uint8_t level = 0;
  std::uint16_t counter = 0;  // 15 bits
  std::uint8_t exponentCounter = 0;

  // Derived from the registers.
  std::uint8_t attackDecay = 0;
  std::uint8_t sustainRelease = 0;
  std::uint8_t sustainLevel = 0;
  std::uint16_t period = 9;

 private:
  void Step();
};

}  // namespace core
