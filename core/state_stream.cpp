// Little-endian fields and length-prefixed sections of a snapshot.
#include "core/state_stream.h"

#include <cassert>
#include <cstring>

namespace core {

void StateWriter::PutU8(std::uint8_t value) {
  bytes_.push_back(value);
}

void StateWriter::PutU16(std::uint16_t value) {
  PutU8(static_cast<std::uint8_t>(value));
  PutU8(static_cast<std::uint8_t>(value >> 8));
}

void StateWriter::PutU32(std::uint32_t value) {
  PutU16(static_cast<std::uint16_t>(value));
  PutU16(static_cast<std::uint16_t>(value >> 16));
}

void StateWriter::PutU64(std::uint64_t value) {
  PutU32(static_cast<std::uint32_t>(value));
  PutU32(static_cast<std::uint32_t>(value >> 32));
}

void StateWriter::PutBytes(std::span<const std::uint8_t> bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

void StateWriter::BeginSection(const char (&tag)[5]) {
  assert(!inSection_);
  PutBytes({reinterpret_cast<const std::uint8_t*>(tag), 4});
  sectionStart_ = bytes_.size();
  PutU32(0);
  inSection_ = true;
}

void StateWriter::EndSection() {
  assert(inSection_);
  const std::size_t length = bytes_.size() - sectionStart_ - 4;
  for (int i = 0; i < 4; ++i) {
    bytes_[sectionStart_ + i] = static_cast<std::uint8_t>(length >> (8 * i));
  }
  inSection_ = false;
}

bool StateReader::Take(std::size_t count) {
  const std::size_t end = limit_ != 0 ? limit_ : bytes_.size();
  if (!ok_ || count > end - position_) {
    ok_ = false;
    return false;
  }
  return true;
}

std::uint8_t StateReader::U8() {
  if (!Take(1)) return 0;
  return bytes_[position_++];
}

std::uint16_t StateReader::U16() {
  const std::uint8_t low = U8();
  return static_cast<std::uint16_t>(U8() << 8 | low);
}

std::uint32_t StateReader::U32() {
  const std::uint16_t low = U16();
  return static_cast<std::uint32_t>(U16()) << 16 | low;
}

std::uint64_t StateReader::U64() {
  const std::uint32_t low = U32();
  return static_cast<std::uint64_t>(U32()) << 32 | low;
}

void StateReader::Bytes(std::span<std::uint8_t> out) {
  if (!Take(out.size()) || out.empty()) return;
  std::memcpy(out.data(), bytes_.data() + position_, out.size());
  position_ += out.size();
}

void StateReader::BeginSection(const char (&tag)[5]) {
  if (limit_ != 0) {
    ok_ = false;  // sections do not nest
    return;
  }
  if (!Take(8)) return;
  if (std::memcmp(bytes_.data() + position_, tag, 4) != 0) {
    ok_ = false;
    return;
  }
  position_ += 4;
  const std::uint32_t length = U32();
  if (length > bytes_.size() - position_) {
    ok_ = false;
    return;
  }
  limit_ = position_ + length;
}

void StateReader::EndSection() {
  if (!ok_ || limit_ == 0) {
    ok_ = false;
    return;
  }
  position_ = limit_;
  limit_ = 0;
}

}  // namespace core
