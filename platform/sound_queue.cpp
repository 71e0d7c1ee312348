// The sound queue's two sides and the consumer's rate steering.
#include "platform/sound_queue.h"

#include <algorithm>
#include <cassert>

namespace platform {

namespace {

// The average fill follows the measured one with this weight per callback (about half a
// second at 512-sample buffers), so that the producer's frame-sized bursts do not wobble
// the rate.
constexpr double kAverageWeight = 0.02;
// A fill off its target by this many samples moves the rate by kMaxRateChange: a 20 ms
// surplus is played away about 1 % faster.
constexpr double kFullSteerSamples = 960.0;
// The integral's share per callback: it takes about four seconds to move as far as the
// proportional part does at once.
constexpr double kIntegralWeight = 1.0 / 400.0;
// Samples over which the last value fades to 0 when the queue runs dry.
constexpr float kFadeStep = 1.0f / 64.0f;

}  // namespace

SoundQueue::SoundQueue(std::size_t targetFill) : targetFill_(targetFill) {
  SetTargetFill(targetFill);
}

void SoundQueue::SetTargetFill(std::size_t targetFill) {
  assert(targetFill >= 2 && targetFill <= kCapacity * 7 / 8);
  targetFill_.store(targetFill, std::memory_order_relaxed);
}

std::size_t SoundQueue::Size() const {
  return static_cast<std::size_t>(written_.load(std::memory_order_acquire) -
                                  read_.load(std::memory_order_acquire));
}

std::size_t SoundQueue::Push(std::span<const std::int16_t> samples) {
  const std::uint64_t written = written_.load(std::memory_order_relaxed);
  const std::uint64_t read = read_.load(std::memory_order_acquire);
  assert(written - read <= kCapacity);
  const std::size_t count =
      std::min<std::size_t>(samples.size(), kCapacity - static_cast<std::size_t>(written - read));
  for (std::size_t i = 0; i < count; ++i) ring_[(written + i) % kCapacity] = samples[i];
  written_.store(written + count, std::memory_order_release);
  return count;
}

void SoundQueue::SteerRate(std::size_t fill) {
  // The producer adds a frame (two card buffers) at once: the mean of the last two
  // readings removes that sawtooth, which would otherwise beat against the card's buffers.
  const double frameMean = 0.5 * static_cast<double>(fill + previousFill_);
  previousFill_ = fill;
  averageFill_ += (frameMean - averageFill_) * kAverageWeight;
  sharedAverage_.store(averageFill_, std::memory_order_relaxed);
  const double error = (averageFill_ - static_cast<double>(TargetFill())) / kFullSteerSamples;
  // Proportional and integral: the integral settles on the speed difference itself, so
  // that the fill returns to its target instead of resting off it by that difference.
  rateOffset_ = std::clamp(rateOffset_ + kIntegralWeight * error, -1.0, 1.0);
  const double steer = std::clamp(error + rateOffset_, -1.0, 1.0);
  rate_.store(1.0 + kMaxRateChange * steer, std::memory_order_relaxed);
}

void SoundQueue::Fill(std::span<std::int16_t> out, bool shouldPlay) {
  std::uint64_t read = read_.load(std::memory_order_relaxed);
  const std::uint64_t written = written_.load(std::memory_order_acquire);
  std::size_t fill = static_cast<std::size_t>(written - read);
  if (!shouldPlay) {
    read_.store(written, std::memory_order_release);
    FadeOut(out);
    playing_ = false;
    return;
  }
  if (!playing_) {
    // Half the target, not all of it: a producer that waits while the queue is above
    // its target less half a frame might otherwise never fill it that far.
    if (fill < TargetFill() / 2) {
      FadeOut(out);
      return;
    }
    playing_ = true;
    phase_ = 0.0;
    averageFill_ = static_cast<double>(fill);
    previousFill_ = fill;
  }
  SteerRate(fill);
  const double rate = rate_.load(std::memory_order_relaxed);
  std::size_t done = 0;
  // Each output lies between two queued samples, so two must be there.
  for (; done < out.size() && written - read >= 2; ++done) {
    const float a = At(read);
    const float b = At(read + 1);
    lastOut_ = a + (b - a) * static_cast<float>(phase_);
    out[done] = static_cast<std::int16_t>(lastOut_);
    phase_ += rate;
    const double whole = static_cast<double>(static_cast<int>(phase_));
    read += static_cast<std::uint64_t>(whole);
    phase_ -= whole;
  }
  read = std::min(read, written);
  read_.store(read, std::memory_order_release);
  if (done == out.size()) return;
  // Run dry: fade out from the last sample and wait for the queue to fill again. Reading
  // faster than the producer's speed can only have made it worse: the integral, which a
  // refilled queue's surplus may have driven up, starts again from no faster than 1.
  underruns_.fetch_add(1, std::memory_order_relaxed);
  playing_ = false;
  rateOffset_ = std::min(rateOffset_, 0.0);
  FadeOut(out.subspan(done));
}

void SoundQueue::FadeOut(std::span<std::int16_t> out) {
  for (std::int16_t& sample : out) {
    lastOut_ = lastOut_ > 0.0f ? std::max(0.0f, lastOut_ - 32768.0f * kFadeStep)
                               : std::min(0.0f, lastOut_ + 32768.0f * kFadeStep);
    sample = static_cast<std::int16_t>(lastOut_);
  }
}

}  // namespace platform
