// One SID voice's tone generator: the 24-bit phase accumulator, the 23-bit noise shift
// register and the 12-bit waveform selected by its control register (combined waveforms
// are approximated by the AND of the selected ones).
#pragma once

#include <cstdint>

namespace core {

struct SidVoice {
  // Control register bits.
  static constexpr std::uint8_t kGate = 0x01;
  static constexpr std::uint8_t kSync = 0x02;
  static constexpr std::uint8_t kRing = 0x04;
  static constexpr std::uint8_t kTest = 0x08;
  static constexpr std::uint8_t kTriangle = 0x10;
  static constexpr std::uint8_t kSawtooth = 0x20;
  static constexpr std::uint8_t kPulse = 0x40;
  static constexpr std::uint8_t kNoise = 0x80;

  static constexpr std::uint32_t kAccumulatorMask = 0xFFFFFF;
  static constexpr std::uint32_t kAccumulatorMsb = 0x800000;
  static constexpr std::uint32_t kNoiseClockBit = 0x080000;  // bit 19 clocks the noise
  static constexpr std::uint32_t kNoiseMask = 0x7FFFFF;
  static constexpr std::uint32_t kNoiseSeed = 0x7FFFF8;  // the register's power-on value

  // One chip cycle of the accumulator. Returns true when its top bit went from 0 to 1
  // (what hard-syncs the partner voice). The test bit holds the accumulator at 0. The
  // noise register is clocked apart, by NoiseClockRose, once any sync has been applied.
  bool Clock() {
    const std::uint32_t before = accumulator;
    if (control & kTest) {
      accumulator = 0;
      return false;
    }
    accumulator = (before + frequency) & kAccumulatorMask;
    return (~before & accumulator & kAccumulatorMsb) != 0;
  }

  // Whether the noise register shifts between two successive accumulator values.
  static bool NoiseClockRose(std::uint32_t before, std::uint32_t after) {
    return (~before & after & kNoiseClockBit) != 0;
  }

  // The shift register moves one place; bit 22 XOR bit 17 enters at bit 0.
  void ClockNoise() {
    const std::uint32_t bit = ((noise >> 22) ^ (noise >> 17)) & 1;
    noise = ((noise << 1) | bit) & kNoiseMask;
  }

  // `cycles` cycles at once, for when no voice is hard-synced: the same accumulator and
  // noise register as that many calls of Clock(), each followed by a shift when
  // NoiseClockRose says so.
  void ClockMany(std::uint64_t cycles) {
    if (control & kTest) {
      accumulator = 0;
      return;
    }
    const std::uint64_t start = accumulator;
    const std::uint64_t end = start + static_cast<std::uint64_t>(frequency) * cycles;
    // Bit 19 rises each time the unwrapped count passes k * 2^20 + 2^19; a step is under
    // 2^19, so no rise is ever skipped or counted twice.
    std::uint64_t rises = ((end + (1u << 19)) >> 20) - ((start + (1u << 19)) >> 20);
    // The register repeats after 2^23 - 1 steps.
    rises %= kNoiseMask;
    while (rises-- > 0) ClockNoise();
    accumulator = static_cast<std::uint32_t>(end) & kAccumulatorMask;
  }

  // The 12-bit waveform output; `ringSource` is the accumulator of the voice that ring
  // modulates this one (its top bit inverts the triangle when the ring bit is set).
  std::uint32_t Output(std::uint32_t ringSource) const {
    return OutputAt(accumulator, ringSource, NoiseOutput());
  }

  // The same for the accumulator value `acc` and the noise waveform `noiseOutput`
  // (NoiseOutput(), which the sound loop keeps between shifts).
  std::uint32_t OutputAt(std::uint32_t acc, std::uint32_t ringSource,
                         std::uint32_t noiseOutput) const {
    const std::uint8_t waves = control & 0xF0;
    if (waves == 0) return 0;
    std::uint32_t out = 0xFFF;
    if (waves & kTriangle) {
      std::uint32_t msb = acc & kAccumulatorMsb;
      if (control & kRing) msb ^= ringSource & kAccumulatorMsb;
      out &= ((msb ? ~acc : acc) >> 11) & 0xFFF;
    }
    if (waves & kSawtooth) out &= acc >> 12;
    if (waves & kPulse) {
      if (!(control & kTest) && (acc >> 12) < pulseWidth) out = 0;
    }
    if (waves & kNoise) out &= noiseOutput;
    return out;
  }

  // Eight bits of the shift register (20, 18, 14, 11, 9, 5, 2, 0) as the waveform's top
  // eight bits.
  std::uint32_t NoiseOutput() const {
    const std::uint32_t n = noise;
    return (((n >> 20) & 1) << 11) | (((n >> 18) & 1) << 10) | (((n >> 14) & 1) << 9) |
           (((n >> 11) & 1) << 8) | (((n >> 9) & 1) << 7) | (((n >> 5) & 1) << 6) |
           (((n >> 2) & 1) << 5) | ((n & 1) << 4);
  }

  std::uint32_t accumulator = 0;
  std::uint32_t noise = kNoiseSeed;
  std::uint16_t frequency = 0;
  std::uint16_t pulseWidth = 0;  // 12 bits
  std::uint8_t control = 0;
};

}  // namespace core
