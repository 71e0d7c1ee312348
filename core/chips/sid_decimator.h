// Brings the chip's output from its clock down to 48 kHz without aliasing: a third-order
// CIC filter reduces each cycle's mix by four (its nulls fall on the frequencies that would
// fold into the audible band), then a windowed-sinc polyphase FIR with a 20.5 kHz cutoff
// computes each 48 kHz sample at its exact instant, and a DC-blocking high-pass follows.
#pragma once

#include <array>
#include <cstdint>

namespace core {

// Third-order cascaded integrator-comb decimator by 4: integrators run at the chip
// clock, combs at a quarter of it. The gain is 4^3 = 64. Arithmetic wraps on purpose;
// the combs undo the wrap exactly.
struct CicDecimator {
  static constexpr int kFactor = 4;
  static constexpr int kGain = 64;

  void Add(std::int32_t x) {
    integrators[0] += static_cast<std::uint64_t>(static_cast<std::int64_t>(x));
    integrators[1] += integrators[0];
    integrators[2] += integrators[1];
  }

  std::int64_t Take() {
    std::uint64_t value = integrators[2];
    for (std::uint64_t& delay : delays) {
      const std::uint64_t difference = value - delay;
      delay = value;
      value = difference;
    }
    return static_cast<std::int64_t>(value);
  }

  std::array<std::uint64_t, 3> integrators{};
  std::array<std::uint64_t, 3> delays{};
};

// From the quarter-chip rate (246,312 Hz on PAL) to 48,000 Hz.
class SidResampler {
 public:
  static constexpr int kTaps = 192;    // FIR length at the quarter-chip rate
  static constexpr int kPhases = 128;  // fractional positions of an output sample
  // Time in units of 1/48000 chip cycle: one input sample, one output sample.
  static constexpr std::int32_t kInputStep = 4 * 48000;
  static constexpr std::int32_t kOutputStep = 985248;

  SidResampler();

  // One input sample. Returns true and sets `out` when an output sample falls due.
  bool Push(float x, std::int16_t& out) {
    history_[position_] = x;
    history_[position_ + kTaps] = x;
    position_ = position_ + 1 == kTaps ? 0 : position_ + 1;
    untilOutput_ -= kInputStep;
    if (untilOutput_ > 0) return false;
    out = Emit();
    untilOutput_ += kOutputStep;
    return true;
  }

  void Clear();

  // Saved state: the last kTaps inputs, oldest first, and the rest.
  float History(int age) const { return history_[position_ + kTaps - 1 - age]; }
  void SetHistory(int age, float x);
  std::int32_t untilOutput() const { return untilOutput_; }
  float dcInput() const { return dcInput_; }
  float dcOutput() const { return dcOutput_; }
  // Returns false (and changes nothing) if a value is out of range.
  bool Restore(std::int32_t untilOutput, float dcInput, float dcOutput);

 private:
  std::int16_t Emit();

  const float* coefficients_;  // kPhases rows of kTaps, shared by all instances
  // Every input is stored twice, kTaps apart, so that the last kTaps inputs always lie
  // in one run starting at position_.
  std::array<float, 2 * kTaps> history_{};
  int position_ = 0;
  // From the newest input to when the next output sample is due: 0 < untilOutput_ <=
  // kOutputStep between pushes, so that an output falls in the last input interval.
  std::int32_t untilOutput_ = kInputStep;
  float dcInput_ = 0.0f;
  float dcOutput_ = 0.0f;
};

}  // namespace core
