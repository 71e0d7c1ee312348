// libFuzzer target: any bytes as a program file, at its own address and relocated, stored
// into a machine's memory and verified against it.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>

#include "media/program_file.h"

using namespace media;

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// Stored, the data lands from its load address and the bytes around it stay; a verify
// then finds it equal, and one of memory that differs in one byte finds the difference
// and changes nothing. Memory holds a pattern outside the stored range (restored after
// each input, so that an input costs its own size, not 64 KB).
std::uint8_t Pattern(std::uint32_t address) {
  return static_cast<std::uint8_t>(address * 13 + 7);
}

void CheckPlaced(const ProgramFile& program) {
  static std::array<std::uint8_t, 0x10000> memory = [] {
    std::array<std::uint8_t, 0x10000> filled;
    for (std::uint32_t a = 0; a < filled.size(); ++a) filled[a] = Pattern(a);
    return filled;
  }();
  const std::uint32_t start = program.loadAddress;
  const std::uint32_t end = program.endAddress();
  Check(PlaceProgram(program, memory, false));
  for (std::uint32_t a = start; a < end; ++a) Check(memory[a] == program.data[a - start]);
  if (start > 0) Check(memory[start - 1] == Pattern(start - 1));
  if (end < 0x10000) Check(memory[end] == Pattern(end));
  Check(PlaceProgram(program, memory, true));
  if (!program.data.empty()) {
    const std::uint32_t changed = start + static_cast<std::uint32_t>(program.data.size() / 2);
    memory[changed] ^= 0x5A;
    Check(!PlaceProgram(program, memory, true));
    Check(memory[changed] == (program.data[changed - start] ^ 0x5A));
  }
  for (std::uint32_t a = start; a < end; ++a) memory[a] = Pattern(a);
}

// Accepted exactly when the data fits from `address` to $FFFF, and then as a view of the
// input's bytes after the address.
void CheckParsed(std::span<const std::uint8_t> file, std::optional<std::uint16_t> loadAt) {
  const ProgramFile program = ParseProgramFile(file, loadAt);
  Check(program.ok() == program.error.empty());
  if (file.size() < 2) {
    Check(!program.ok() && program.data.empty());
    return;
  }
  Check(program.fileAddress == (file[0] | file[1] << 8));
  const std::uint32_t address = loadAt.value_or(program.fileAddress);
  Check(program.ok() == (file.size() - 2 <= 0x10000 - address));
  if (!program.ok()) {
    Check(program.data.empty());
    return;
  }
  Check(program.loadAddress == address);
  Check(program.data.data() == file.data() + 2 && program.data.size() == file.size() - 2);
  Check(program.endAddress() <= 0x10000);
  CheckPlaced(program);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> file(data, size);
  CheckParsed(file, std::nullopt);
  CheckParsed(file, 0x0801);
  if (size >= 4)
    CheckParsed(file, static_cast<std::uint16_t>(data[size - 2] | data[size - 1] << 8));
  return 0;
}
