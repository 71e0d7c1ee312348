// Encoding WAV files with libsndfile's virtual I/O into a byte vector, then writing them
// through platform::WriteWholeFile.
#include "apps/wav_writer.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/file_writer.h"

namespace apps {

namespace {

// The file libsndfile believes it writes: a byte vector and a position in it.
struct MemoryFile {
  std::vector<std::uint8_t>* bytes;
  sf_count_t position = 0;
};

MemoryFile& FileOf(void* user) {
  return *static_cast<MemoryFile*>(user);
}

sf_count_t Length(void* user) {
  return static_cast<sf_count_t>(FileOf(user).bytes->size());
}

sf_count_t Seek(sf_count_t offset, int whence, void* user) {
  MemoryFile& file = FileOf(user);
  sf_count_t base = 0;
  if (whence == SEEK_CUR) base = file.position;
  if (whence == SEEK_END) base = Length(user);
  const sf_count_t target = base + offset;
  if (target < 0) return -1;
  file.position = target;
  return target;
}

sf_count_t Read(void* out, sf_count_t count, void* user) {
  MemoryFile& file = FileOf(user);
  const sf_count_t available = std::max<sf_count_t>(0, Length(user) - file.position);
  const sf_count_t taken = std::min(count, available);
  if (taken > 0)
    std::memcpy(out, file.bytes->data() + file.position, static_cast<std::size_t>(taken));
  file.position += taken;
  return taken;
}

sf_count_t Write(const void* in, sf_count_t count, void* user) {
  MemoryFile& file = FileOf(user);
  const auto end = static_cast<std::size_t>(file.position + count);
  if (end > file.bytes->size()) file.bytes->resize(end);  // a gap after a seek reads as zeros
  std::memcpy(file.bytes->data() + file.position, in, static_cast<std::size_t>(count));
  file.position += count;
  return count;
}

sf_count_t Tell(void* user) {
  return FileOf(user).position;
}

}  // namespace

bool EncodeWav(std::span<const std::int16_t> samples, std::vector<std::uint8_t>& wav,
               std::string& error, int sampleRate) {
  wav.clear();
  MemoryFile file{&wav};
  SF_VIRTUAL_IO io{Length, Seek, Read, Write, Tell};
  SF_INFO info{};
  info.samplerate = sampleRate;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* sound = sf_open_virtual(&io, SFM_WRITE, &info, &file);
  if (sound == nullptr) {
    error = sf_strerror(nullptr);
    wav.clear();
    return false;
  }
  const auto count = static_cast<sf_count_t>(samples.size());
  bool ok = sf_write_short(sound, samples.data(), count) == count;
  if (!ok) error = sf_strerror(sound);
  if (sf_close(sound) != 0 && ok) {
    error = "libsndfile could not finish the file";
    ok = false;
  }
  if (!ok) wav.clear();
  return ok;
}

bool WriteWavFile(const std::string& path, std::span<const std::int16_t> samples,
                  std::string& error, int sampleRate) {
  std::vector<std::uint8_t> wav;
  if (!EncodeWav(samples, wav, error, sampleRate)) return false;
  return platform::WriteWholeFile(path, wav, error);
}

}  // namespace apps
