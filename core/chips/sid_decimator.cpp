// The polyphase FIR's coefficient table (a Blackman-windowed sinc) and the output sample.
#include "core/chips/sid_decimator.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace core {

namespace {

constexpr double kInputRate = 985248.0 / 4.0;
constexpr double kCutoffHz = 20500.0;
// The DC blocker's pole: a 10 Hz first-order high-pass at 48 kHz, as the output's
// coupling capacitor would give.
constexpr float kDcPole = 0.99869f;

// Row q holds the taps for an output lying q / kPhases of an input interval before the
// newest input; tap k multiplies the k-th oldest of the last kTaps inputs. Each row sums
// to 1 so that every phase passes DC unchanged.
std::vector<float> MakeCoefficients() {
  constexpr int kTaps = SidResampler::kTaps;
  constexpr int kPhases = SidResampler::kPhases;
  const double cutoff = kCutoffHz / kInputRate;  // cycles per input sample
  const double centre = (kTaps - 1) / 2.0;
  std::vector<float> table(static_cast<std::size_t>(kTaps) * kPhases);
  for (int q = 0; q < kPhases; ++q) {
    std::vector<double> row(kTaps);
    double sum = 0.0;
    for (int k = 0; k < kTaps; ++k) {
      const double age = (kTaps - 1 - k) - static_cast<double>(q) / kPhases;
      const double t = age - centre;
      const double u = t / kTaps + 0.5;  // position in the window, 0..1
      double value = 0.0;
      if (u > 0.0 && u < 1.0) {
        const double window = 0.42 - 0.5 * std::cos(2.0 * std::numbers::pi * u) +
                              0.08 * std::cos(4.0 * std::numbers::pi * u);
        const double x = 2.0 * std::numbers::pi * cutoff * t;
        const double sinc = t == 0.0 ? 1.0 : std::sin(x) / x;
        value = window * 2.0 * cutoff * sinc;
      }
      row[k] = value;
      sum += value;
    }
    for (int k = 0; k < kTaps; ++k) {
      table[static_cast<std::size_t>(q) * kTaps + k] = static_cast<float>(row[k] / sum);
    }
  }
  return table;
}

const float* Coefficients() {
  static const std::vector<float> table = MakeCoefficients();
  return table.data();
}

}  // namespace

SidResampler::SidResampler() : coefficients_(Coefficients()) {}

void SidResampler::Clear() {
  history_.fill(0.0f);
  position_ = 0;
  untilOutput_ = kInputStep;
  dcInput_ = 0.0f;
  dcOutput_ = 0.0f;
}

void SidResampler::SetHistory(int age, float x) {
  const int index = (position_ + kTaps - 1 - age) % kTaps;
  history_[index] = x;
  history_[index + kTaps] = x;
}

bool SidResampler::Restore(std::int32_t untilOutput, float dcInput, float dcOutput) {
  if (untilOutput <= 0 || untilOutput > kOutputStep) return false;
  if (!std::isfinite(dcInput) || !std::isfinite(dcOutput)) return false;
  untilOutput_ = untilOutput;
  dcInput_ = dcInput;
  dcOutput_ = dcOutput;
  return true;
}

std::int16_t SidResampler::Emit() {
  const std::int32_t back = -untilOutput_;  // 0 .. kInputStep - 1, see untilOutput_
  const int phase = static_cast<int>(static_cast<std::int64_t>(back) * kPhases / kInputStep);
  const float* taps = coefficients_ + static_cast<std::size_t>(phase) * kTaps;
  const float* inputs = history_.data() + position_;
  // Eight partial sums, so that the compiler may keep them in vector registers.
  std::array<float, 8> partial{};
  for (int k = 0; k < kTaps; k += 8) {
    for (int j = 0; j < 8; ++j) partial[j] += taps[k + j] * inputs[k + j];
  }
  float sum = 0.0f;
  for (float value : partial) sum += value;
  const float blocked = sum - dcInput_ + kDcPole * dcOutput_;
  dcInput_ = sum;
  dcOutput_ = blocked;
  const float clamped = std::clamp(blocked, -32768.0f, 32767.0f);
  return static_cast<std::int16_t>(std::lrint(clamped));
}

}  // namespace core
