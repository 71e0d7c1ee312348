// The SID's filter as a state-variable filter run at a quarter of the chip clock: 11-bit
// cutoff, 4-bit resonance and low-, band- and high-pass outputs that are summed as selected.
#pragma once

#include <cstdint>

namespace core {

struct SidFilter {
  // Mode bits as in the volume register ($D418).
  static constexpr std::uint8_t kLowPass = 0x10;
  static constexpr std::uint8_t kBandPass = 0x20;
  static constexpr std::uint8_t kHighPass = 0x40;

  // The 6581's cutoff curve as this filter has it: 220 Hz at register value 0 rising
  // exponentially to 14.08 kHz at 2047, six octaves spread evenly over the register
  // (fc = 220 Hz * 2^(6 * value / 2047)).
  static double CutoffHz(std::uint16_t value);

  // `sampleRate` is the rate Run is called at.
  void SetCutoff(std::uint16_t value, double sampleRate);
  // Resonance 0 gives a Q of 0.707 (no peak), 15 a Q of 4.
  void SetResonance(std::uint8_t value);

  // One sample through the filter (Chamberlin's state-variable form); returns the sum of
  // the outputs `mode` selects.
  float Run(float in, std::uint8_t mode) {
    const float high = in - low - damping * band;
    band += frequency * high;
    low += frequency * band;
    float out = 0.0f;
    if (mode & kLowPass) out += low;
    if (mode & kBandPass) out += band;
    if (mode & kHighPass) out += high;
    return out;
  }

  // Saved state.
  float low = 0.0f;
  float band = 0.0f;

  // Derived from the registers.
  float frequency = 0.0f;
  float damping = 1.4142135f;
};

}  // namespace core
