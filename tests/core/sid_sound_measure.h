// Measurements on 16-bit mono sound (the sound chip's samples or a WAV file's): pitch by
// zero crossings, level in dB, the magnitude at one frequency, and when a sampled curve
// such as an envelope first crosses a threshold.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <optional>
#include <span>

namespace sound_measure {

// The frequency of a periodic signal from its upward crossings of its own mean, with
// each crossing placed between samples by linear interpolation. 0 if under two crossings.
inline double ZeroCrossingHz(std::span<const std::int16_t> samples, double sampleRate) {
  if (samples.size() < 2) return 0.0;
  double mean = 0.0;
  for (std::int16_t s : samples) mean += s;
  mean /= static_cast<double>(samples.size());
  double first = -1.0;
  double last = -1.0;
  int crossings = 0;
  for (std::size_t i = 1; i < samples.size(); ++i) {
    const double a = samples[i - 1] - mean;
    const double b = samples[i] - mean;
    if (a < 0.0 && b >= 0.0) {
      const double at = static_cast<double>(i - 1) + a / (a - b);
      if (crossings == 0) first = at;
      last = at;
      ++crossings;
    }
  }
  if (crossings < 2) return 0.0;
  return (crossings - 1) * sampleRate / (last - first);
}

// Root mean square relative to full scale (32768), in dB; -200 for silence.
inline double RmsDb(std::span<const std::int16_t> samples) {
  if (samples.empty()) return -200.0;
  double sum = 0.0;
  for (std::int16_t s : samples) sum += static_cast<double>(s) * s;
  const double rms = std::sqrt(sum / static_cast<double>(samples.size())) / 32768.0;
  return rms > 0.0 ? 20.0 * std::log10(rms) : -200.0;
}

// The amplitude (relative to full scale) of the component at `hz`, from one bin of a
// Hann-windowed discrete Fourier transform over all of `samples`.
inline double MagnitudeAt(std::span<const std::int16_t> samples, double sampleRate, double hz) {
  const double n = static_cast<double>(samples.size());
  double re = 0.0;
  double im = 0.0;
  double windowSum = 0.0;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const double window = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / n);
    const double angle = 2.0 * std::numbers::pi * hz * static_cast<double>(i) / sampleRate;
    re += window * samples[i] * std::cos(angle);
    im -= window * samples[i] * std::sin(angle);
    windowSum += window;
  }
  return 2.0 * std::hypot(re, im) / windowSum / 32768.0;
}

inline double Db(double ratio) {
  return 20.0 * std::log10(ratio);
}

// The index of the first value at or above `threshold` (rising) or at or below it.
template <typename T>
std::optional<std::size_t> FirstCrossing(std::span<const T> values, double threshold, bool rising) {
  for (std::size_t i = 0; i < values.size(); ++i) {
    const double v = static_cast<double>(values[i]);
    if (rising ? v >= threshold : v <= threshold) return i;
  }
  return std::nullopt;
}

}  // namespace sound_measure
