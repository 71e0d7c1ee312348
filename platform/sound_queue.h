// The queue between the emulator thread, which adds the sound chip's 48 kHz samples a
// frame at a time, and the sound card's callback, which takes them a buffer at a time.
// One producer, one consumer, no lock and no allocation: each side owns one counter.
// The consumer reads at a rate steered by how full the queue is, so that small
// differences between emulated time and the card's clock neither empty nor fill it.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>

namespace platform {

class SoundQueue {
 public:
  static constexpr std::size_t kCapacity = 1 << 13;  // 171 ms at 48 kHz
  // The steered rate departs from 1 by at most this much (a sixth of a semitone).
  static constexpr double kMaxRateChange = 0.01;

  // `targetFill` samples are kept queued on average: enough to cover the longest pause
  // between two of the producer's pushes.
  explicit SoundQueue(std::size_t targetFill);

  // Producer: appends what fits and returns how many samples were taken.
  std::size_t Push(std::span<const std::int16_t> samples);

  // Consumer: fills `out`. With `shouldPlay` false (sound off, the machine stopped or
  // running without its speed limit) it fades to silence and drops what is queued. After
  // silence or an underrun it waits, silent, until the queue holds half its target.
  void Fill(std::span<std::int16_t> out, bool shouldPlay);

  // Either side may move the target (the producer, when it knows it will pause longer).
  void SetTargetFill(std::size_t targetFill);
  std::size_t TargetFill() const { return targetFill_.load(std::memory_order_relaxed); }

  // Times the consumer found the queue empty while it was playing.
  std::uint64_t Underruns() const { return underruns_.load(std::memory_order_relaxed); }
  // Samples queued now (either side may ask).
  std::size_t Size() const;
  // The consumer's present reading rate: queued samples per output sample.
  double Rate() const { return rate_.load(std::memory_order_relaxed); }
  // The fill as the consumer's steering sees it, averaged over about half a second.
  double AverageFill() const { return sharedAverage_.load(std::memory_order_relaxed); }

 private:
  std::int16_t At(std::uint64_t index) const { return ring_[index % kCapacity]; }
  void SteerRate(std::size_t fill);
  // From the last output towards 0, a step per sample: silence without a click.
  void FadeOut(std::span<std::int16_t> out);

  std::array<std::int16_t, kCapacity> ring_{};
  std::atomic<std::uint64_t> written_{0};  // the producer's
  std::atomic<std::uint64_t> read_{0};     // the consumer's
  std::atomic<std::uint64_t> underruns_{0};
  std::atomic<double> rate_{1.0};
  std::atomic<double> sharedAverage_{0.0};

  // The consumer's own.
  std::atomic<std::size_t> targetFill_;
  bool playing_ = false;
  double phase_ = 0.0;  // position between the samples at read_ and read_ + 1, 0 <= phase_ < 1
  double averageFill_ = 0.0;
  std::size_t previousFill_ = 0;
  double rateOffset_ = 0.0;  // the integral part of the rate's steering, in kMaxRateChange
  float lastOut_ = 0.0f;     // faded to 0 after an underrun, so that the gap does not click
};

}  // namespace platform
