// The field-by-field form of machine state in a snapshot: every value is written
// explicitly, little-endian, never as a raw copy of a struct (padding and compiler
// changes would break it). State comes in tagged sections with their length, so that a
// section can grow at its end and an older reader skips what it does not know.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace core {

class StateWriter {
 public:
  void PutU8(std::uint8_t value);
  void PutU16(std::uint16_t value);
  void PutU32(std::uint32_t value);
  void PutU64(std::uint64_t value);
  void PutBool(bool value) { PutU8(value ? 1 : 0); }
  void PutBytes(std::span<const std::uint8_t> bytes);

  // A section: a four-letter tag and the length of what follows, set by EndSection.
  // Sections do not nest.
  void BeginSection(const char (&tag)[5]);
  void EndSection();

  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t sectionStart_ = 0;
  bool inSection_ = false;
};

// Reads what a StateWriter wrote. Every read past the end of the input, or past the end
// of the open section, returns 0 and marks the reader failed; a failed reader stays
// failed, so a caller checks Ok() once after reading everything it needs.
class StateReader {
 public:
  explicit StateReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::uint8_t U8();
  std::uint16_t U16();
  std::uint32_t U32();
  std::uint64_t U64();
  bool Boolean() { return U8() != 0; }  // not Bool: X11 defines that name
  // Fills `out` whole, or fails and leaves it unchanged.
  void Bytes(std::span<std::uint8_t> out);

  // Opens the next section, which must carry `tag`; EndSection skips whatever the
  // section holds beyond what was read (written by a newer version).
  void BeginSection(const char (&tag)[5]);
  void EndSection();
  // Whether the open section holds more than was read: fields a section gained at its end
  // are read only when the file has them, so that files from before still load.
  bool SectionHasMore() const { return ok_ && limit_ != 0 && position_ < limit_; }

  void Fail() { ok_ = false; }
  bool Ok() const { return ok_; }
  bool AtEnd() const { return position_ == bytes_.size(); }

 private:
  bool Take(std::size_t count);

  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
  std::size_t limit_ = 0;  // end of the open section; 0 while none is open
  bool ok_ = true;
};

}  // namespace core
