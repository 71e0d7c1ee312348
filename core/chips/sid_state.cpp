// The SID's saved state: registers, oscillators, envelopes, filter and the output
// stage's filters, field by field; a load checks every value before it takes any.
#include <bit>
#include <cmath>

#include "core/chips/sid.h"

namespace core {

namespace {

struct SavedEnvelope {
  std::uint8_t phase;
  std::uint8_t level;
  std::uint16_t counter;
  std::uint8_t exponentCounter;
};

bool Plausible(float value) {
  return std::isfinite(value) && std::fabs(value) < 1.0e9f;
}

}  // namespace

void Sid::Save(StateWriter& writer) const {
  writer.BeginSection("SID ");
  writer.PutBytes(registers_);
  writer.PutU8(bus_);
  writer.PutU8(paddleX_);
  writer.PutU8(paddleY_);
  for (int v = 0; v < 3; ++v) {
    writer.PutU32(voices_[v].accumulator);
    writer.PutU32(voices_[v].noise);
    const SidEnvelope& envelope = envelopes_[v];
    writer.PutU8(static_cast<std::uint8_t>(envelope.phase));
    writer.PutU8(envelope.level);
    writer.PutU16(envelope.counter);
    writer.PutU8(envelope.exponentCounter);
  }
  writer.PutU64(pending_);
  writer.PutU32(std::bit_cast<std::uint32_t>(filter_.low));
  writer.PutU32(std::bit_cast<std::uint32_t>(filter_.band));
  for (const CicDecimator* path : {&filterPath_, &directPath_}) {
    for (std::uint64_t value : path->integrators) writer.PutU64(value);
    for (std::uint64_t value : path->delays) writer.PutU64(value);
  }
  writer.PutU8(static_cast<std::uint8_t>(subCycle_));
  for (int age = SidResampler::kTaps - 1; age >= 0; --age) {
    writer.PutU32(std::bit_cast<std::uint32_t>(resampler_.History(age)));
  }
  writer.PutU32(static_cast<std::uint32_t>(resampler_.untilOutput()));
  writer.PutU32(std::bit_cast<std::uint32_t>(resampler_.dcInput()));
  writer.PutU32(std::bit_cast<std::uint32_t>(resampler_.dcOutput()));
  writer.EndSection();
}

void Sid::Load(StateReader& reader) {
  reader.BeginSection("SID ");
  std::array<std::uint8_t, 0x19> registers{};
  reader.Bytes(registers);
  const std::uint8_t bus = reader.U8();
  const std::uint8_t paddleX = reader.U8();
  const std::uint8_t paddleY = reader.U8();
  std::array<std::uint32_t, 3> accumulators{};
  std::array<std::uint32_t, 3> noises{};
  std::array<SavedEnvelope, 3> savedEnvelopes{};
  bool valid = true;
  for (int v = 0; v < 3; ++v) {
    accumulators[v] = reader.U32();
    noises[v] = reader.U32();
    SavedEnvelope& e = savedEnvelopes[v];
    e.phase = reader.U8();
    e.level = reader.U8();
    e.counter = reader.U16();
    e.exponentCounter = reader.U8();
    valid = valid && accumulators[v] <= SidVoice::kAccumulatorMask &&
            noises[v] <= SidVoice::kNoiseMask && e.phase <= 2 && e.counter <= 0x7FFF &&
            e.exponentCounter < 30;
  }
  const std::uint64_t pending = reader.U64();
  const float low = std::bit_cast<float>(reader.U32());
  const float band = std::bit_cast<float>(reader.U32());
  CicDecimator filterPath;
  CicDecimator directPath;
  for (CicDecimator* path : {&filterPath, &directPath}) {
    for (std::uint64_t& value : path->integrators) value = reader.U64();
    for (std::uint64_t& value : path->delays) value = reader.U64();
  }
  const std::uint8_t subCycle = reader.U8();
  std::array<float, SidResampler::kTaps> history{};
  for (float& value : history) {
    value = std::bit_cast<float>(reader.U32());
    valid = valid && Plausible(value);
  }
  const auto untilOutput = static_cast<std::int32_t>(reader.U32());
  const float dcInput = std::bit_cast<float>(reader.U32());
  const float dcOutput = std::bit_cast<float>(reader.U32());
  reader.EndSection();

  valid = valid && reader.Ok() && pending < kQuietBatch && Plausible(low) && Plausible(band) &&
          subCycle < CicDecimator::kFactor;
  SidResampler resampler = resampler_;
  valid = valid && resampler.Restore(untilOutput, dcInput, dcOutput);
  if (!valid) {
    reader.Fail();
    return;
  }

  registers_ = registers;
  bus_ = bus;
  paddleX_ = paddleX;
  paddleY_ = paddleY;
  for (int v = 0; v < 3; ++v) {
    voices_[v].accumulator = accumulators[v];
    voices_[v].noise = noises[v];
    SidEnvelope& envelope = envelopes_[v];
    envelope.phase = static_cast<SidEnvelope::Phase>(savedEnvelopes[v].phase);
    envelope.level = savedEnvelopes[v].level;
    envelope.counter = savedEnvelopes[v].counter;
    envelope.exponentCounter = savedEnvelopes[v].exponentCounter;
  }
  DeriveFromRegisters();
  pending_ = pending;
  filter_.low = low;
  filter_.band = band;
  filterPath_ = filterPath;
  directPath_ = directPath;
  subCycle_ = subCycle;
  for (int i = 0; i < SidResampler::kTaps; ++i) {
    resampler.SetHistory(SidResampler::kTaps - 1 - i, history[i]);
  }
  resampler_ = resampler;
}

}  // namespace core
