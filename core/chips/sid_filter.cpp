// The filter's coefficients from the cutoff and resonance registers.
#include "core/chips/sid_filter.h"

#include <cmath>
#include <numbers>

namespace core {

double SidFilter::CutoffHz(std::uint16_t value) {
  return 220.0 * std::exp2(6.0 * static_cast<double>(value & 0x7FF) / 2047.0);
}

void SidFilter::SetCutoff(std::uint16_t value, double sampleRate) {
  frequency = static_cast<float>(2.0 * std::sin(std::numbers::pi * CutoffHz(value) / sampleRate));
}

void SidFilter::SetResonance(std::uint8_t value) {
  const double q = 0.7071 + (4.0 - 0.7071) * static_cast<double>(value & 0x0F) / 15.0;
  damping = static_cast<float>(1.0 / q);
}

}  // namespace core
