// The SID (6581) sound chip: three voices with their envelopes, the filter and the
// volume, run at the chip clock and brought down to 48 kHz samples for the host; with
// sound off, only what the readable registers show is kept up.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/chips/sample_ring.h"
#include "core/chips/sid_decimator.h"
#include "core/chips/sid_envelope.h"
#include "core/chips/sid_filter.h"
#include "core/chips/sid_voice.h"
#include "core/state_stream.h"

namespace core {

class Sid {
 public:
  static constexpr std::uint32_t kClockHz = 985248;  // PAL
  static constexpr std::uint32_t kSampleRate = 48000;

  Sid();

  // Power-on state: every register 0, all envelopes silent. Keeps the sound switch and
  // the paddle values, which belong to the host.
  void Reset();

  // `reg` is the address folded to 0..$1F (the chip repeats every 32 bytes). Only the
  // paddles ($19, $1A), voice 3's waveform ($1B, its top 8 bits) and voice 3's envelope
  // ($1C) are readable; every other register reads as the last value written to any
  // SID register, the charge left on the data bus (0 after power-on).
  std::uint8_t Read(std::uint8_t reg);
  void Write(std::uint8_t reg, std::uint8_t value);

  // Moves the chip on by `cycles` clock cycles. The work is done lazily, when a register
  // is written or a result read, or once kAudioBatch cycles (sound on) or kQuietBatch
  // (sound off) are owed, exactly as if each cycle had been run on its own; so Advance(a)
  // then Advance(b) is Advance(a + b).
  void Advance(std::uint32_t cycles) {
    pending_ += cycles;
    if (pending_ >= catchUpAt_) CatchUp();
  }

  // With sound off (the power-on setting) no samples are made and only the oscillators
  // and envelopes are kept, as cheaply as the readable registers allow; the filter and
  // the output stage stand still until sound is switched on again.
  void SetAudioEnabled(bool enabled);
  bool AudioEnabled() const { return audioEnabled_; }

  // What the two paddle registers read ($FF until set).
  void SetPaddles(std::uint8_t x, std::uint8_t y);

  // Moves up to out.size() of the 48 kHz samples made so far into `out` and returns how
  // many. The chip keeps the newest 1.36 s; older ones are dropped if nobody takes them.
  std::size_t TakeSamples(std::span<std::int16_t> out);
  std::size_t SamplesAvailable();
  std::uint64_t DroppedSamples() const { return samples_.Dropped(); }

  // Everything that determines future output, in a section tagged "SID " (samples
  // already made and not yet taken are the host's and are not saved). Load checks every
  // value; on bad input the reader is marked failed and the chip is left as it was.
  void Save(StateWriter& writer) const;
  void Load(StateReader& reader);

 private:
  static constexpr std::uint64_t kAudioBatch = 1024;
  static constexpr std::uint64_t kQuietBatch = 1 << 20;
  static constexpr int kBlock = 64;  // cycles the sound loop handles a stage at a time

  void CatchUp();
  void RunRegistersOnly(std::uint64_t cycles);
  void RunAudio(std::uint64_t cycles);
  void RunAudioBlock(int cycles);
  void ClockAccumulators();
  void ClockOscillators();
  void MixSubSample(std::int64_t filterIn, std::int64_t direct);
  void ApplyWrite(std::uint8_t reg, std::uint8_t value);
  // Everything derived from the register values; no gate edges, no accumulator resets.
  void DeriveFromRegisters();

  // Register values as last written ($00..$18).
  std::array<std::uint8_t, 0x19> registers_{};
  std::uint8_t bus_ = 0;
  std::uint8_t paddleX_ = 0xFF;
  std::uint8_t paddleY_ = 0xFF;

  std::array<SidVoice, 3> voices_{};
  std::array<SidEnvelope, 3> envelopes_{};
  SidFilter filter_;
  CicDecimator filterPath_;  // voices routed through the filter
  CicDecimator directPath_;  // voices going straight to the volume stage
  int subCycle_ = 0;         // chip cycles into the current quarter-rate sample
  SidResampler resampler_;
  SampleRing samples_;
  std::uint64_t pending_ = 0;  // cycles advanced but not yet run, below kQuietBatch
  bool audioEnabled_ = false;
  std::uint64_t catchUpAt_ = kQuietBatch;

  // Derived from the registers.
  bool anySync_ = false;
  std::uint8_t routing_ = 0;  // voices into the filter, bit 0 = voice 1
  std::uint8_t mode_ = 0;     // filter outputs heard
  bool voice3Off_ = false;
  float volumeGain_ = 0.0f;
};

}  // namespace core
