// libFuzzer target: any bytes as a program file, at its own address and relocated.
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
