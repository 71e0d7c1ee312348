// The WAV writer's bytes read back by the RIFF/WAVE layout, with the sound chip's output
// going through it and its pitch measured again on the file's samples.
#include "apps/wav_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "core/chips/sid.h"
#include "tests/core/sid_sound_measure.h"

namespace {

std::uint32_t Le(const std::vector<std::uint8_t>& b, std::size_t at, int bytes) {
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | b.at(at + i);
  return value;
}
bool TagAt(const std::vector<std::uint8_t>& b, std::size_t at, const char* tag) {
  return at + 4 <= b.size() && std::equal(tag, tag + 4, b.begin() + static_cast<long>(at));
}

TEST(WavWriter, SoundChipOutputBecomesSixteenBitMonoPcmAtFortyEightKilohertz) {
  auto sid = std::make_unique<core::Sid>();
  sid->SetAudioEnabled(true);
  for (auto [reg, value] : {std::pair{0x18, 0x0F},
                            {0x00, 0x45},
                            {0x01, 0x1D},
                            {0x06, 0xF0},
                            {0x04, 0x21}}) {  // 0x1D45: a 440.03 Hz sawtooth on PAL
    sid->Write(static_cast<std::uint8_t>(reg), static_cast<std::uint8_t>(value));
  }
  for (int i = 0; i < 985248 / 4; ++i) sid->Advance(4);
  std::vector<std::int16_t> samples(sid->SamplesAvailable());
  samples.resize(sid->TakeSamples(samples));
  std::vector<std::uint8_t> b;
  std::string error;
  ASSERT_TRUE(apps::EncodeWav(samples, b, error)) << error;

  ASSERT_TRUE(TagAt(b, 0, "RIFF") && TagAt(b, 8, "WAVE"));
  EXPECT_EQ(Le(b, 4, 4), b.size() - 8);
  std::vector<std::int16_t> data;
  for (std::size_t at = 12; at + 8 <= b.size(); at += 8 + Le(b, at + 4, 4)) {
    if (TagAt(b, at, "fmt ")) {
      // Format 1 (PCM), 1 channel, 48000 Hz, 96000 bytes/s, 2 bytes a frame, 16 bits.
      const std::vector<std::uint32_t> expected = {1, 1, 48000, 96000, 2, 16};
      const std::vector<std::uint32_t> fields = {Le(b, at + 8, 2),  Le(b, at + 10, 2),
                                                 Le(b, at + 12, 4), Le(b, at + 16, 4),
                                                 Le(b, at + 20, 2), Le(b, at + 22, 2)};
      EXPECT_EQ(fields, expected);
    } else if (TagAt(b, at, "data")) {
      for (std::uint32_t i = 0; i < Le(b, at + 4, 4); i += 2) {
        data.push_back(static_cast<std::int16_t>(Le(b, at + 8 + i, 2)));
      }
    }
  }
  EXPECT_EQ(data, samples);
  EXPECT_NEAR(sound_measure::ZeroCrossingHz(std::span(data).subspan(4800), 48000.0), 440.03, 2.2);
}

TEST(WavWriter, FileHoldsTheEncodedBytesOrIsNotWritten) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("wav_writer_test_" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::vector<std::int16_t> samples(4800, 100);
  std::string error;
  ASSERT_TRUE(apps::WriteWavFile((folder / "out.wav").string(), samples, error)) << error;
  std::ifstream in(folder / "out.wav", std::ios::binary);
  std::vector<std::uint8_t> encoded;
  ASSERT_TRUE(apps::EncodeWav(samples, encoded, error));
  EXPECT_EQ(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {}), encoded);
  EXPECT_FALSE(apps::WriteWavFile((folder / "missing" / "out.wav").string(), samples, error));
  EXPECT_FALSE(error.empty());
  std::filesystem::remove_all(folder);
}

}  // namespace
