// Program files (.prg): a two-byte load address, low byte first, then the bytes that go
// into memory from there.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace media {

struct ProgramFile {
  std::uint16_t fileAddress = 0;       // the address in the file's first two bytes
  std::uint16_t loadAddress = 0;       // where the data goes (fileAddress unless relocated)
  std::span<const std::uint8_t> data;  // the bytes after the address, within the parsed file
  std::string error;                   // why the file was refused; empty when accepted

  bool ok() const { return error.empty(); }
  // The address after the last data byte; $10000 for data that ends at $FFFF.
  std::uint32_t endAddress() const { return loadAddress + static_cast<std::uint32_t>(data.size()); }
};

// Splits a program file. `loadAt` places the data elsewhere, as LOAD with secondary
// address 0 puts a program at BASIC's start whatever its own address. Refused: a file of
// fewer than two bytes, and data that would run past $FFFF (memory does not wrap here).
ProgramFile ParseProgramFile(std::span<const std::uint8_t> file,
                             std::optional<std::uint16_t> loadAt = std::nullopt);

// An accepted program's data stored into the 64 KB of `memory` from its load address,
// or, with `verify`, compared with what is there, changing nothing. Returns whether
// memory holds the data (always after a store).
bool PlaceProgram(const ProgramFile& program, std::span<std::uint8_t, 0x10000> memory, bool verify);

}  // namespace media
