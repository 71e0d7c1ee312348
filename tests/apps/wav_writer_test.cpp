// The WAV writer read back field by field as the RIFF/WAVE layout defines it, with the
// sound chip's output going through it and measured again on the file's samples.
#include "apps/wav_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>

#include <unistd.h>

#include "core/chips/sid.h"
#include "tests/core/sid_sound_measure.h"

namespace {

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::uint16_t Le16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}
bool TagAt(const std::vector<std::uint8_t>& b, std::size_t at, const char* tag) {
  return at + 4 <= b.size() && std::equal(tag, tag + 4, b.begin() + static_cast<long>(at));
}

struct ParsedWav {
  std::uint16_t format = 0;
  std::uint16_t channels = 0;
  std::uint32_t sampleRate = 0;
  std::uint32_t byteRate = 0;
  std::uint16_t blockAlign = 0;
  std::uint16_t bits = 0;
  std::vector<std::int16_t> samples;
};

// Walks the chunks after "RIFF" size "WAVE"; nullopt if the layout is broken.
std::optional<ParsedWav> ParseWav(const std::vector<std::uint8_t>& b) {
  if (!TagAt(b, 0, "RIFF") || !TagAt(b, 8, "WAVE") || Le32(b, 4) != b.size() - 8) return {};
  ParsedWav wav;
  bool data = false;
  for (std::size_t at = 12; at + 8 <= b.size();) {
    const std::uint32_t size = Le32(b, at + 4);
    if (at + 8 + size > b.size()) return {};
    if (TagAt(b, at, "fmt ")) {
      wav.format = Le16(b, at + 8);
      wav.channels = Le16(b, at + 10);
      wav.sampleRate = Le32(b, at + 12);
      wav.byteRate = Le32(b, at + 16);
      wav.blockAlign = Le16(b, at + 20);
      wav.bits = Le16(b, at + 22);
    } else if (TagAt(b, at, "data")) {
      for (std::uint32_t i = 0; i + 1 < size; i += 2) {
        wav.samples.push_back(static_cast<std::int16_t>(Le16(b, at + 8 + i)));
      }
      data = true;
    }
    at += 8 + size + (size & 1);
  }
  if (!data) return {};
  return wav;
}

TEST(WavWriter, WritesSixteenBitMonoPcmAtFortyEightKilohertz) {
  const std::vector<std::int16_t> samples = {0, 1, -1, 32767, -32768, 1234, -4321};
  std::vector<std::uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(apps::EncodeWav(samples, bytes, error)) << error;
  const std::optional<ParsedWav> wav = ParseWav(bytes);
  ASSERT_TRUE(wav.has_value());
  EXPECT_EQ(wav->format, 1);  // PCM
  EXPECT_EQ(wav->channels, 1);
  EXPECT_EQ(wav->sampleRate, 48000u);
  EXPECT_EQ(wav->byteRate, 96000u);
  EXPECT_EQ(wav->blockAlign, 2);
  EXPECT_EQ(wav->bits, 16);
  EXPECT_EQ(wav->samples, samples);
}

TEST(WavWriter, FileHoldsTheEncodedBytesOrStaysAsItWas) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("wav_writer_test_" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::string path = (folder / "out.wav").string();
  const std::vector<std::int16_t> samples(4800, 100);
  std::string error;
  ASSERT_TRUE(apps::WriteWavFile(path, samples, error)) << error;
  std::ifstream in(path, std::ios::binary);
  const std::vector<std::uint8_t> written((std::istreambuf_iterator<char>(in)), {});
  std::vector<std::uint8_t> encoded;
  ASSERT_TRUE(apps::EncodeWav(samples, encoded, error));
  EXPECT_EQ(written, encoded);

  EXPECT_FALSE(apps::WriteWavFile((folder / "missing" / "out.wav").string(), samples, error));
  EXPECT_FALSE(error.empty());
  std::filesystem::remove_all(folder);
}

TEST(WavWriter, SoundChipPitchSurvivesTheFile) {
  auto sid = std::make_unique<core::Sid>();
  sid->SetAudioEnabled(true);
  sid->Write(0x18, 0x0F);
  sid->Write(0x00, 0x45);  // 0x1D45: 440.0 Hz on PAL
  sid->Write(0x01, 0x1D);
  sid->Write(0x06, 0xF0);
  sid->Write(0x04, 0x21);  // sawtooth, gate on
  for (int i = 0; i < 985248 / 4; ++i) sid->Advance(4);
  std::vector<std::int16_t> samples(sid->SamplesAvailable());
  samples.resize(sid->TakeSamples(samples));
  std::vector<std::uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(apps::EncodeWav(samples, bytes, error)) << error;
  const std::optional<ParsedWav> wav = ParseWav(bytes);
  ASSERT_TRUE(wav.has_value());
  ASSERT_EQ(wav->samples.size(), samples.size());
  const std::span<const std::int16_t> settled = std::span(wav->samples).subspan(4800);
  EXPECT_NEAR(sound_measure::ZeroCrossingHz(settled, 48000.0), 440.03, 440.03 * 0.005);
}

}  // namespace
