// Program files split into load address and data, refused where the data would not fit
// below $10000.
#include "media/program_file.h"

#include <algorithm>
#include <cstdio>

namespace media {

namespace {
constexpr std::uint32_t kMemoryEnd = 0x10000;
}

ProgramFile ParseProgramFile(std::span<const std::uint8_t> file,
                             std::optional<std::uint16_t> loadAt) {
  ProgramFile program;
  if (file.size() < 2) {
    program.error =
        file.empty() ? "empty file, no load address" : "one byte, too short for a load address";
    return program;
  }
  program.fileAddress = static_cast<std::uint16_t>(file[0] | file[1] << 8);
  program.loadAddress = loadAt.value_or(program.fileAddress);
  const std::size_t dataBytes = file.size() - 2;
  if (dataBytes > kMemoryEnd - program.loadAddress) {
    char text[96];
    std::snprintf(text, sizeof text, "%zu bytes from $%04X run past $FFFF", dataBytes,
                  static_cast<unsigned>(program.loadAddress));
    program.error = text;
    return program;
  }
  program.data = file.subspan(2);
  return program;
}

bool PlaceProgram(const ProgramFile& program, std::span<std::uint8_t, 0x10000> memory,
                  bool verify) {
  // The parser accepted only data that ends at $FFFF or before.
  const auto at = memory.begin() + program.loadAddress;
  if (verify) return std::equal(program.data.begin(), program.data.end(), at);
  std::copy(program.data.begin(), program.data.end(), at);
  return true;
}

}  // namespace media
