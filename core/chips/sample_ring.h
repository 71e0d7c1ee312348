// A fixed ring of 16-bit audio samples between the sound chip, which adds them as it
// runs, and the host, which takes them; it never allocates. When the host falls behind by
// more than its capacity the oldest samples are dropped, so that what it plays is recent.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace core {

class SampleRing {
 public:
  static constexpr std::size_t kCapacity = 1 << 16;  // 1.36 s at 48 kHz

  void Push(std::int16_t sample) {
    samples_[written_ % kCapacity] = sample;
    ++written_;
    if (written_ - read_ > kCapacity) {
      ++read_;
      ++dropped_;
    }
  }

  std::size_t Take(std::span<std::int16_t> out) {
    const std::size_t count = std::min<std::size_t>(out.size(), Size());
    for (std::size_t i = 0; i < count; ++i) out[i] = samples_[(read_ + i) % kCapacity];
    read_ += count;
    return count;
  }

  std::size_t Size() const { return static_cast<std::size_t>(written_ - read_); }
  std::uint64_t Dropped() const { return dropped_; }
  void Clear() { read_ = written_ = dropped_ = 0; }

 private:
  std::array<std::int16_t, kCapacity> samples_{};
  std::uint64_t written_ = 0;
  std::uint64_t read_ = 0;
  std::uint64_t dropped_ = 0;
};

}  // namespace core
