// The SID's registers, its cycle loop with and without sound, the mix into the filter
// and volume stage, and its saved state.
#include "core/chips/sid.h"

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

void Sid::ClockOscillators() {
  std::array<bool, 3> rose{};
  for (int v = 0; v < 3; ++v) rose[v] = voices_[v].Clock();
  if (!anySync_) return;
  for (int v = 0; v < 3; ++v) {
    if ((voices_[v].control & SidVoice::kSync) && rose[kSource[v]]) voices_[v].accumulator = 0;
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
  for (; cycles > 0; --cycles) {
    ClockOscillators();
    std::int32_t filtered = 0;
    std::int32_t direct = 0;
    for (int v = 0; v < 3; ++v) {
      SidEnvelope& envelope = envelopes_[v];
      envelope.Clock();
      const std::int32_t wave =
          static_cast<std::int32_t>(voices_[v].Output(voices_[kSource[v]].accumulator));
      const std::int32_t sample = (wave - 0x800) * envelope.level;
      if (routing_ & (1 << v)) {
        filtered += sample;
      } else if (v != 2 || !voice3Off_) {
        direct += sample;
      }
    }
    filterPath_.Add(filtered);
    directPath_.Add(direct);
    if (++subCycle_ == CicDecimator::kFactor) {
      subCycle_ = 0;
      MixSubSample();
    }
  }
}

void Sid::MixSubSample() {
  const float filterIn = static_cast<float>(filterPath_.Take()) * kVoiceScale;
  const float direct = static_cast<float>(directPath_.Take()) * kVoiceScale;
  const float mixed = (filter_.Run(filterIn, mode_) + direct + kMixerOffset) * volumeGain_;
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
