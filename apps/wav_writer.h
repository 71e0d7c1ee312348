// 16-bit mono sound as the bytes of a WAV file, encoded in memory through libsndfile, and
// written whole through the platform's writer (the old file or the new one, never a part).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace apps {

inline constexpr int kWavSampleRate = 48000;  // the sound chip's output rate

// Replaces `wav` with a RIFF/WAVE file of 16-bit PCM mono samples at `sampleRate`.
// Returns false (with `error` set and `wav` empty) if libsndfile cannot encode it.
bool EncodeWav(std::span<const std::int16_t> samples, std::vector<std::uint8_t>& wav,
               std::string& error, int sampleRate = kWavSampleRate);

// Encodes and writes the file at `path`; on failure `error` says why and the file at
// `path` is as it was.
bool WriteWavFile(const std::string& path, std::span<const std::int16_t> samples,
                  std::string& error, int sampleRate = kWavSampleRate);

}  // namespace apps
