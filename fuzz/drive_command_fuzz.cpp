// libFuzzer target: any bytes as commands and file names for drive 8 on a formatted disk
// in memory (no file behind it, no host folder). Each line is sent as a command on
// channel 15 or, after a first byte of 1, as an OPEN's name; the status line must keep
// the DOS's form and the disk must stay a readable disk whose BAM agrees with itself.
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

// A broken promise names its line before the fuzzer keeps the input.
void CheckAt(bool condition, int line) {
  if (condition) return;
  std::fprintf(stderr, "check failed at line %d\n", line);
  std::abort();
}
#define Check(condition) CheckAt((condition), __LINE__)

bool Digits(const std::string& text) {
  return text.size() == 2 && text[0] >= '0' && text[0] <= '9' && text[1] >= '0' && text[1] <= '9';
}

// "NN,TEXT,TT,SS" and a carriage return, read whole; afterwards the status is 00.
void CheckStatusLine(Drive& drive) {
  std::string line;
  for (int k = 0; k < 64; ++k) {
    const BusByte got = drive.Read(kCommandChannel);
    line.push_back(static_cast<char>(got.byte));
    if (got.status & kBusEoi) break;
  }
  Check(line.size() >= 12 && line.back() == '\r');
  line.pop_back();
  const std::size_t first = line.find(',');
  const std::size_t last = line.rfind(',');
  const std::size_t third = line.rfind(',', last - 1);
  Check(first == 2 && third > first && Digits(line.substr(0, 2)));
  Check(Digits(line.substr(third + 1, 2)) && Digits(line.substr(last + 1)));
  Check(drive.status().code == kDosOk);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> image(size > 0 && (data[0] & 0x80) ? 197376 : 174848, 0x01);
  {
    D64Volume blank(image);
    blank.Format("FUZZ", "ID");
  }
  Drive drive;
  drive.SetHostFolder(false);
  drive.Mount(image, "", false);
  const std::span<const std::uint8_t> input(data, size);
  std::size_t start = 0;
  int lines = 0;
  while (start < input.size() && lines++ < 64) {
    std::size_t end = start;
    while (end < input.size() && input[end] != '\n') ++end;
    std::span<const std::uint8_t> line = input.subspan(start, end - start);
    start = end + 1;
    if (!line.empty() && line[0] == 1) {
      const int channel = line.size() > 1 ? line[1] % kDriveChannels : 2;
      drive.Open(channel, line.subspan(std::min<std::size_t>(2, line.size())));
      // A few bytes each way, then closed: files written must be stored or refused.
      for (int k = 0; k < 300; ++k) drive.Write(channel, static_cast<std::uint8_t>(k));
      for (int k = 0; k < 300; ++k) {
        if (drive.Read(channel).status != 0) break;  // to the end (of the status line too)
      }
      drive.Close(channel);
    } else {
      drive.Command(line);
    }
    CheckStatusLine(drive);
    const D64Directory directory = ReadD64Directory(*OpenD64(image));
    Check(directory.ok());
    const D64Volume volume(image);
    Check(volume.FreeBlocks() == directory.header.blocksFree);
    Check(directory.header.blocksFree <= 664);
  }
  return 0;
}
