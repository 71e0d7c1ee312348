// The SID's registers, its cycle loop with and without sound, the mix into the filter
// and volume stage, and its saved state.
#include "core/chips/sid.h"

#include <algorithm>

namespace core {

namespace {

// Each voice's partner: the voice that hard-syncs and ring-modulates it (voice 1 from
// voice 3, 2 from 1, 3 from 2).
constexpr std::array<int, 3> kSource = {2, 0, 1};

// A voice at full amplitude is one unit from here on: a 12-bit waveform centred on
// 0x800 times an 8-bit envelope, times the CIC decimator's gain.
constexpr float kVoiceScale = 1.0f / (2048.0f * 255.0f * CicDecimator::kGain);
// The 6581's mixer sits at a DC level that the master volume scales like the voices, so
// that a write to the volume register alone moves the output: the way samples are played.
constexpr float kMixerOffset = 1.0f;
// Output units at volume 15: three voices plus the offset reach full scale.
constexpr float kOutputGain = 32767.0f / 4.0f;

constexpr double kFilterRate = static_cast<double>(Sid::kClockHz) / CicDecimator::kFactor;

}  // namespace

Sid::Sid() {
  Reset();
}

void Sid::Reset() {
  registers_.fill(0);
  bus_ = 0;
  voices_ = {};
  envelopes_ = {};
  filter_ = {};
  filterPath_ = {};
  directPath_ = {};
  subCycle_ = 0;
  resampler_.Clear();
  samples_.Clear();
  pending_ = 0;
  DeriveFromRegisters();
}

void Sid::SetAudioEnabled(bool enabled) {
  CatchUp();
  audioEnabled_ = enabled;
  catchUpAt_ = enabled ? kAudioBatch : kQuietBatch;
}

void Sid::SetPaddles(std::uint8_t x, std::uint8_t y) {
  paddleX_ = x;
  paddleY_ = y;
}

std::uint8_t Sid::Read(std::uint8_t reg) {
  switch (reg & 0x1F) {
    case 0x19: return paddleX_;
    case 0x1A: return paddleY_;
    case 0x1B:
      CatchUp();
      return static_cast<std::uint8_t>(voices_[2].Output(voices_[1].accumulator) >> 4);
    case 0x1C: CatchUp(); return envelopes_[2].level;
    default: return bus_;
  }
}

void Sid::Write(std::uint8_t reg, std::uint8_t value) {
  reg &= 0x1F;
  bus_ = value;
  if (reg >= registers_.size()) return;  // the read-only registers and three unused ones
  CatchUp();
  registers_[reg] = value;
  ApplyWrite(reg, value);
}

void Sid::ApplyWrite(std::uint8_t reg, std::uint8_t value) {
  if (reg < 21) {
    SidVoice& voice = voices_[reg / 7];
    SidEnvelope& envelope = envelopes_[reg / 7];
    switch (reg % 7) {
      case 0:
        voice.frequency = static_cast<std::uint16_t>((voice.frequency & 0xFF00) | value);
        break;
      case 1:
        voice.frequency = static_cast<std::uint16_t>((voice.frequency & 0x00FF) | (value << 8));
        break;
      case 2:
        voice.pulseWidth = static_cast<std::uint16_t>((voice.pulseWidth & 0x0F00) | value);
        break;
      case 3:
        voice.pulseWidth =
            static_cast<std::uint16_t>((voice.pulseWidth & 0x00FF) | ((value & 0x0F) << 8));
        break;
      case 4:
        voice.control = value;
        if (value & SidVoice::kTest) voice.accumulator = 0;
        envelope.SetGate(value & SidVoice::kGate);
        anySync_ =
            ((voices_[0].control | voices_[1].control | voices_[2].control) & SidVoice::kSync) != 0;
        break;
      case 5: envelope.SetAttackDecay(value); break;
      case 6: envelope.SetSustainRelease(value); break;
    }
    return;
  }
  switch (reg) {
    case 0x15:
    case 0x16:
      filter_.SetCutoff(
          static_cast<std::uint16_t>((registers_[0x16] << 3) | (registers_[0x15] & 0x07)),
          kFilterRate);
      break;
    case 0x17:
      filter_.SetResonance(value >> 4);
      routing_ = value & 0x07;
      break;
    case 0x18:
      mode_ = value & 0x70;
      voice3Off_ = (value & 0x80) != 0;
      volumeGain_ = static_cast<float>(value & 0x0F) / 15.0f * kOutputGain;
      break;
  }
}

void Sid::DeriveFromRegisters() {
  for (int v = 0; v < 3; ++v) {
    const std::uint8_t* r = &registers_[v * 7];
    voices_[v].frequency = static_cast<std::uint16_t>(r[0] | (r[1] << 8));
    voices_[v].pulseWidth = static_cast<std::uint16_t>(r[2] | ((r[3] & 0x0F) << 8));
    voices_[v].control = r[4];
    envelopes_[v].SetAttackDecay(r[5]);
    envelopes_[v].SetSustainRelease(r[6]);
  }
  anySync_ = ((registers_[4] | registers_[11] | registers_[18]) & SidVoice::kSync) != 0;
  for (std::uint8_t reg = 0x15; reg <= 0x18; ++reg) ApplyWrite(reg, registers_[reg]);
}

void Sid::CatchUp() {
  if (pending_ == 0) return;
  if (audioEnabled_) {
    RunAudio(pending_);
  } else {
    RunRegistersOnly(pending_);
  }
  pending_ = 0;
}

// The accumulators for one cycle, hard sync included.
void Sid::ClockAccumulators() {
  std::array<bool, 3> rose{};
  for (int v = 0; v < 3; ++v) rose[v] = voices_[v].Clock();
  if (!anySync_) return;
  for (int v = 0; v < 3; ++v) {
    if ((voices_[v].control & SidVoice::kSync) && rose[kSource[v]]) voices_[v].accumulator = 0;
  }
}

// One cycle of the accumulators and then of the noise registers, which shift when bit
// 19 of the accumulator rose from the last cycle to this one.
void Sid::ClockOscillators() {
  std::array<std::uint32_t, 3> before{};
  for (int v = 0; v < 3; ++v) before[v] = voices_[v].accumulator;
  ClockAccumulators();
  for (int v = 0; v < 3; ++v) {
    if (SidVoice::NoiseClockRose(before[v], voices_[v].accumulator)) voices_[v].ClockNoise();
  }
}

void Sid::RunRegistersOnly(std::uint64_t cycles) {
  if (anySync_) {
    for (std::uint64_t i = 0; i < cycles; ++i) ClockOscillators();
  } else {
    for (SidVoice& voice : voices_) voice.ClockMany(cycles);
  }
  for (SidEnvelope& envelope : envelopes_) envelope.ClockMany(cycles);
}

void Sid::RunAudio(std::uint64_t cycles) {
  while (cycles > 0) {
    const int block = static_cast<int>(std::min<std::uint64_t>(cycles, kBlock));
    RunAudioBlock(block);
    cycles -= static_cast<std::uint64_t>(block);
  }
}

// A block of cycles a stage at a time, each stage's state in locals so that the
// compiler keeps it in registers: the accumulators, then each voice's noise, waveform
// and envelope, then the two decimators and, every fourth cycle, the filter and volume.
void Sid::RunAudioBlock(int cycles) {
  std::array<std::array<std::uint32_t, kBlock>, 3> accumulators;
  std::array<std::uint32_t, 3> start{};
  for (int v = 0; v < 3; ++v) start[v] = voices_[v].accumulator;
  if (anySync_) {
    for (int i = 0; i < cycles; ++i) {
      ClockAccumulators();
      for (int v = 0; v < 3; ++v) accumulators[v][i] = voices_[v].accumulator;
    }
  } else {
    for (int v = 0; v < 3; ++v) {
      const SidVoice voice = voices_[v];
      std::uint32_t acc = voice.accumulator;
      const std::uint32_t step = (voice.control & SidVoice::kTest) ? 0 : voice.frequency;
      if (voice.control & SidVoice::kTest) acc = 0;
      for (int i = 0; i < cycles; ++i) {
        acc = (acc + step) & SidVoice::kAccumulatorMask;
        accumulators[v][i] = acc;
      }
      voices_[v].accumulator = acc;
    }
  }

  std::array<std::int32_t, kBlock> filtered{};
  std::array<std::int32_t, kBlock> direct{};
  for (int v = 0; v < 3; ++v) {
    SidVoice voice = voices_[v];
    SidEnvelope envelope = envelopes_[v];
    const std::uint32_t* acc = accumulators[v].data();
    const std::uint32_t* source = accumulators[kSource[v]].data();
    std::int32_t* out = nullptr;
    if (routing_ & (1 << v)) {
      out = filtered.data();
    } else if (v != 2 || !voice3Off_) {
      out = direct.data();
    }
    std::uint32_t before = start[v];
    std::uint32_t noiseOutput = voice.NoiseOutput();
    for (int i = 0; i < cycles; ++i) {
      if (SidVoice::NoiseClockRose(before, acc[i])) {
        voice.ClockNoise();
        noiseOutput = voice.NoiseOutput();
      }
      before = acc[i];
      envelope.Clock();
      if (out && envelope.level != 0) {
        const std::int32_t wave =
            static_cast<std::int32_t>(voice.OutputAt(acc[i], source[i], noiseOutput));
        out[i] += (wave - 0x800) * envelope.level;
      }
    }
    voices_[v].noise = voice.noise;
    envelopes_[v] = envelope;
  }

  CicDecimator filterPath = filterPath_;
  CicDecimator directPath = directPath_;
  int subCycle = subCycle_;
  for (int i = 0; i < cycles; ++i) {
    filterPath.Add(filtered[i]);
    directPath.Add(direct[i]);
    if (++subCycle == CicDecimator::kFactor) {
      subCycle = 0;
      MixSubSample(filterPath.Take(), directPath.Take());
    }
  }
  filterPath_ = filterPath;
  directPath_ = directPath;
  subCycle_ = subCycle;
}

void Sid::MixSubSample(std::int64_t filterIn, std::int64_t direct) {
  // Three voices make at most 3 units; the bounds only matter after loading a decimator
  // state that no chip could reach, which must not drive the filter to infinity.
  const float filterInput = std::clamp(static_cast<float>(filterIn) * kVoiceScale, -4.0f, 4.0f);
  const float directInput = std::clamp(static_cast<float>(direct) * kVoiceScale, -4.0f, 4.0f);
  const float mixed = (filter_.Run(filterInput, mode_) + directInput + kMixerOffset) * volumeGain_;
  std::int16_t out;
  if (resampler_.Push(mixed, out)) samples_.Push(out);
}

std::size_t Sid::TakeSamples(std::span<std::int16_t> out) {
  CatchUp();
  return samples_.Take(out);
}

std::size_t Sid::SamplesAvailable() {
  CatchUp();
  return samples_.Size();
}

}  // namespace core
