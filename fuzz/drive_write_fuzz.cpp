// libFuzzer target: files opened, written, closed, appended, scratched and renamed on a
// damaged D64 image in memory. The image comes from the input as d64_reader_fuzz makes
// it (a size selector and a tile from track 18 sector 0 on) after two bytes of its length,
// then a script of operations. Allocation on a BAM that lies must end and stay in the
// image; a file stored on a disk that read cleanly must read back as written.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "media/d64_reader.h"
#include "media/d64_volume.h"
#include "media/drive.h"

using namespace media;

namespace {

constexpr std::size_t kImageSizes[] = {174848, 175531, 196608, 197376};
constexpr std::size_t kDirectoryOffset = 0x16500;  // track 18 sector 0

// A broken promise names its line before the fuzzer keeps the input.
void CheckAt(bool condition, int line) {
  if (condition) return;
  std::fprintf(stderr, "check failed at line %d\n", line);
  std::abort();
}
#define Check(condition) CheckAt((condition), __LINE__)

// The tile repeated over the image's sectors from 18/0 on; error bytes $01 but where the
// tile has $Fx (error code x).
std::vector<std::uint8_t> MakeImage(std::span<const std::uint8_t> input) {
  const std::size_t size = kImageSizes[input.empty() ? 0 : input[0] & 3];
  const std::size_t sectorBytes = size == 175531 ? 174848 : size == 197376 ? 196608 : size;
  std::vector<std::uint8_t> image(size, 0x01);
  if (input.size() < 2) return image;
  const std::span<const std::uint8_t> tile = input.subspan(1);
  std::size_t from = 0;
  for (std::size_t k = 0; k < sectorBytes; ++k) {
    const std::size_t at = kDirectoryOffset + k;
    image[at < sectorBytes ? at : at - sectorBytes] = tile[from];
    if (++from == tile.size()) from = 0;
  }
  for (std::size_t k = sectorBytes; k < size; ++k) {
    const std::uint8_t byte = tile[(k - sectorBytes) % tile.size()];
    if (byte >= 0xF0) image[k] = byte & 0x0F;
  }
  return image;
}

std::string Name(std::uint8_t selector) {
  static const char* const kNames[] = {"A", "B", "LONGER NAME", "A*", "?"};
  return kNames[selector % 5];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> input(data, size);
  const std::size_t length =
      size >= 2 ? std::min<std::size_t>(data[0] | data[1] << 8, size - 2) : 0;
  const std::span<const std::uint8_t> imagePart =
      input.subspan(std::min<std::size_t>(2, size), length);
  std::vector<std::uint8_t> image = MakeImage(imagePart);
  const std::size_t imageSize = image.size();
  const std::span<const std::uint8_t> script =
      input.subspan(std::min<std::size_t>(2, size) + length);

  Drive drive;
  drive.SetHostFolder(false);
  drive.Mount(image, "", false);
  std::vector<std::uint8_t> written[kDriveChannels];
  std::string names[kDriveChannels];
  for (std::size_t at = 0; at + 1 < script.size() && at < 200; at += 2) {
    const std::uint8_t op = script[at];
    const std::uint8_t arg = script[at + 1];
    const int channel = 2 + (op >> 4) % 4;
    const std::size_t index = static_cast<std::size_t>(channel);
    switch (op & 0x0F) {
      case 0: {
        const std::string name = Name(arg) + (arg & 0x80 ? ",S,A" : ",S,W");
        const DosStatus opened = drive.Open(
            channel, std::span(reinterpret_cast<const std::uint8_t*>(name.data()), name.size()));
        written[index].clear();
        names[index] = opened.code == kDosOk ? Name(arg) : std::string();
        break;
      }
      case 1:
        // Up to 4 KB a step: files of many blocks cross tracks.
        for (int k = 0; k < arg * 16; ++k) {
          drive.Write(channel, static_cast<std::uint8_t>(k));
          written[index].push_back(static_cast<std::uint8_t>(k));
        }
        break;
      case 2: {
        const D64Directory before = ReadD64Directory(*OpenD64(image));
        const bool clean = before.ok() && !(arg & 1);
        const DosStatus closed = drive.Close(channel);
        if (clean && closed.code == kDosOk && !names[index].empty() && !written[index].empty()) {
          // An append keeps what was there; the written bytes end the file either way.
          for (const D64DirectoryEntry& entry : ReadD64Directory(*OpenD64(image)).entries) {
            if (entry.Name() != names[index]) continue;
            const D64File file = ReadD64File(*OpenD64(image), entry.track, entry.sector);
            if (file.ok()) {
              Check(file.bytes.size() >= written[index].size());
              Check(
                  std::equal(written[index].rbegin(), written[index].rend(), file.bytes.rbegin()));
            }
            break;
          }
        }
        names[index].clear();
        break;
      }
      case 3: {
        const std::string command = "S0:" + Name(arg);
        drive.Command(
            std::span(reinterpret_cast<const std::uint8_t*>(command.data()), command.size()));
        break;
      }
      case 4: {
        const std::string command = "R0:" + Name(arg) + "=" + Name(arg >> 4);
        drive.Command(
            std::span(reinterpret_cast<const std::uint8_t*>(command.data()), command.size()));
        break;
      }
      case 5: {
        names[index].clear();  // a file being written there is stored by this OPEN
        const std::string name = Name(arg);
        drive.Open(channel,
                   std::span(reinterpret_cast<const std::uint8_t*>(name.data()), name.size()));
        for (int k = 0; k < 1000; ++k) {
          if (drive.Read(channel).status & kBusReadTimeout) break;
        }
        break;
      }
      case 6: {
        for (std::string& name : names) name.clear();  // files being written are lost
        const std::string command = arg & 1 ? "N0:NEW,ID" : "N0:NEW";
        drive.Command(
            std::span(reinterpret_cast<const std::uint8_t*>(command.data()), command.size()));
        break;
      }
      default:
        drive.Close(channel);
        names[index].clear();
        break;
    }
    Check(image.size() == imageSize);
    Check(D64Volume(image).FreeBlocks() <= 664);
  }
  drive.Close(kCommandChannel);
  const D64Directory directory = ReadD64Directory(*OpenD64(image));
  Check(directory.entries.size() <= image.size() / kD64SectorBytes * 8);
  return 0;
}
