// libFuzzer target: any bytes as a D64 image. It lists the directory, reads every
// entry's file, builds the listing program and searches names; besides the sanitizers'
// reports it stops on any result that breaks the reader's promises.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "media/cbm_name_pattern.h"
#include "media/d64_directory_listing.h"
#include "media/d64_reader.h"
#include "media/program_file.h"

using namespace media;

namespace {

constexpr std::size_t kImageSizes[] = {174848, 175531, 196608, 197376};
constexpr std::size_t kDirectoryOffset = 0x16500;  // track 18 sector 0
// File bytes read per input: a directory of thousands of entries whose chains each cross
// the whole disk would otherwise take seconds for one input.
constexpr std::size_t kReadBudget = 1 << 18;

void Check(bool condition) {
  if (!condition) std::abort();
}

// An input of an image's size is the image. Any other input is a size selector byte and a
// tile that repeats over the image's sectors from track 18 sector 0 on, so that a short
// input sets the header and directory and every link lands in bytes the fuzzer chose.
// Error bytes are $01 (good) but where the tile has $Fx, which gives error code x.
std::span<const std::uint8_t> MakeImage(std::span<const std::uint8_t> input,
                                        std::vector<std::uint8_t>& image) {
  for (const std::size_t size : kImageSizes) {
    if (input.size() == size) return input;
  }
  const std::size_t size = kImageSizes[input.empty() ? 0 : input[0] & 3];
  const std::size_t sectorBytes = size == 175531 ? 174848 : size == 197376 ? 196608 : size;
  image.assign(size, 0x01);
  if (input.size() < 2) return image;
  const std::span<const std::uint8_t> tile = input.subspan(1);
  // The repeated tile by doubling (a one-byte tile must not cost a step per image byte),
  // then turned so that it starts at 18/0.
  static std::vector<std::uint8_t> repeated;
  repeated.resize(sectorBytes);
  std::size_t filled = std::min(tile.size(), sectorBytes);
  std::copy_n(tile.begin(), filled, repeated.begin());
  while (filled < sectorBytes) {
    const std::size_t count = std::min(filled, sectorBytes - filled);
    std::copy_n(repeated.begin(), count, repeated.begin() + static_cast<std::ptrdiff_t>(filled));
    filled += count;
  }
  const auto split = static_cast<std::ptrdiff_t>(sectorBytes - kDirectoryOffset);
  std::copy(repeated.begin(), repeated.begin() + split, image.begin() + kDirectoryOffset);
  std::copy(repeated.begin() + split, repeated.begin() + static_cast<std::ptrdiff_t>(sectorBytes),
            image.begin());
  for (std::size_t k = sectorBytes; k < size; ++k) {
    const std::uint8_t byte = tile[(k - sectorBytes) % tile.size()];
    if (byte >= 0xF0) image[k] = byte & 0x0F;
  }
  return image;
}

// The listing is a program of 32-byte lines (30 for the first and the last) linked for
// $0801, which the program parser accepts whenever it fits in memory.
void CheckListing(const std::vector<std::uint8_t>& program, std::size_t entries) {
  Check(program.size() == 2 + 30 + 32 * entries + 32);
  const ProgramFile parsed = ParseProgramFile(program);
  Check(parsed.fileAddress == 0x0801);
  Check(parsed.ok() == (program.size() - 2 <= 0x10000 - 0x0801));
  if (!parsed.ok()) return;
  std::size_t line = 0;
  for (std::size_t count = 0; count < entries + 2; ++count) {
    const std::size_t next = line + (count == 0 || count == entries + 1 ? 30 : 32);
    Check(parsed.data[line] + parsed.data[line + 1] * 256u == 0x0801 + next);
    Check(parsed.data[next - 1] == 0);
    line = next;
  }
  Check(parsed.data.size() == line + 2 && parsed.data[line] == 0 && parsed.data[line + 1] == 0);
}

void CheckFile(const D64Disk& disk, const D64File& file) {
  Check(file.ok() == file.error.empty());
  if (!file.ok()) {
    Check(file.bytes.empty());
    return;
  }
  Check(file.bytes.size() <= disk.sectors.size() / kD64SectorBytes * 254);
  const ProgramFile program = ParseProgramFile(file.bytes, 0x0801);
  Check(program.ok() == (file.bytes.size() >= 2 && file.bytes.size() - 2 <= 0x10000 - 0x0801));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> input(data, size);
  const std::optional<D64Disk> raw = OpenD64(input);
  Check(raw.has_value() ==
        (std::find(std::begin(kImageSizes), std::end(kImageSizes), size) != std::end(kImageSizes)));

  // One buffer of its exact size for each image size: a read past the image's end must
  // reach memory the address sanitizer watches, not the spare capacity of a larger image.
  static std::vector<std::uint8_t> buffers[std::size(kImageSizes)];
  const std::optional<D64Disk> disk =
      OpenD64(MakeImage(input, buffers[input.empty() ? 0 : input[0] & 3]));
  Check(disk.has_value());

  const D64Directory directory = ReadD64Directory(*disk);
  Check(directory.ok() == directory.error.empty());
  Check(directory.entries.size() <= disk->sectors.size() / kD64SectorBytes * 8);
  CheckListing(DirectoryListingProgram(directory), directory.entries.size());

  std::size_t read = 0;
  for (const D64DirectoryEntry& entry : directory.entries) {
    if (read > kReadBudget) break;
    const D64File file = ReadD64File(*disk, entry.track, entry.sector);
    CheckFile(*disk, file);
    read += file.bytes.size() + kD64SectorBytes;
    const std::string_view name = entry.Name();
    Check(name.size() <= 16);
    Check(CbmNameMatches("*", name) && CbmNameMatches("0:*", name));
    if (!name.empty() && !name.starts_with("0:")) Check(CbmNameMatches(name, name));
  }

  // A search by the first entry's name, and by the input's last bytes as a pattern.
  if (!directory.entries.empty())
    CheckFile(*disk, ReadD64Program(*disk, directory.entries[0].Name()));
  const std::size_t patternBytes = std::min<std::size_t>(size, 18);
  const std::string_view pattern(reinterpret_cast<const char*>(data + size - patternBytes),
                                 patternBytes);
  const D64File found = ReadD64Program(*disk, pattern);
  CheckFile(*disk, found);
  Check(found.fault != D64Fault::kFileNotFound || directory.ok());
  return 0;
}
