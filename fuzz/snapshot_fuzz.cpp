// libFuzzer target: any bytes as a snapshot file, as a snapshot's body behind a correct
// header, or as byte patches to a good snapshot's body behind a correct header (so that
// the section readers, not the checksum, meet the damage). A refused snapshot must leave
// the machine as it was.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "core/machine.h"
#include "shell/snapshot_file.h"

namespace {

constexpr std::size_t kBodyStart = 30;

void Check(bool condition) {
  if (!condition) std::abort();
}

std::uint32_t Crc(std::span<const std::uint8_t> bytes) {
  return static_cast<std::uint32_t>(crc32(0, bytes.data(), static_cast<uInt>(bytes.size())));
}

// What a refused snapshot must not change, in brief.
std::uint64_t MachineFingerprint() {
  const core::Machine& m = core::C64;
  return (std::uint64_t{Crc(m.memory.ram)} << 32) ^ Crc(m.memory.ioImage) ^
         static_cast<std::uint64_t>(m.cpu.instructionCount) ^ m.cpu.PC ^
         std::uint64_t{m.vic.rasterLine} << 16;
}

std::vector<std::uint8_t> Sealed(const std::vector<std::uint8_t>& header,
                                 std::span<const std::uint8_t> body) {
  std::vector<std::uint8_t> bytes(header.begin(), header.begin() + kBodyStart);
  bytes.insert(bytes.end(), body.begin(), body.end());
  const std::uint32_t length = static_cast<std::uint32_t>(body.size());
  const std::uint32_t sum = Crc(body);
  for (int i = 0; i < 4; ++i) {
    bytes[22 + i] = static_cast<std::uint8_t>(length >> (8 * i));
    bytes[26 + i] = static_cast<std::uint8_t>(sum >> (8 * i));
  }
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::vector<std::uint8_t> good = shell::MakeSnapshot();
  if (size == 0) return 0;
  const std::span<const std::uint8_t> rest(data + 1, size - 1);
  std::vector<std::uint8_t> bytes;
  switch (data[0] % 3) {
    case 0: bytes.assign(rest.begin(), rest.end()); break;
    case 1: bytes = Sealed(good, rest); break;
    default: {
      // Patches of four bytes: a 24-bit offset into the body and the byte put there.
      std::vector<std::uint8_t> body(good.begin() + kBodyStart, good.end());
      for (std::size_t i = 0; i + 4 <= rest.size(); i += 4) {
        const std::size_t at = (rest[i] | rest[i + 1] << 8 | rest[i + 2] << 16) % body.size();
        body[at] = rest[i + 3];
      }
      bytes = Sealed(good, body);
      break;
    }
  }
  const std::uint64_t before = MachineFingerprint();
  std::string error;
  if (!shell::RestoreSnapshot(bytes, error)) {
    Check(!error.empty());
    Check(MachineFingerprint() == before);
  }
  return 0;
}
