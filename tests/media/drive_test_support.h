// What the drive tests share: a drive on an image file in the test's own folder, the
// KERNAL's bus sequences for OPEN, reading, writing and CLOSE, and cc1541's view of an
// image (its listing, and a file it adds after ours).
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "media/d64_reader.h"
#include "media/drive.h"
#include "tests/support/test_machine.h"

namespace drive_test {

inline std::vector<std::uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

inline std::vector<std::uint8_t> Pattern(std::size_t size, std::uint8_t seed) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t k = 0; k < size; ++k) bytes[k] = static_cast<std::uint8_t>(k * 13 + seed);
  return bytes;
}

inline std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// OPEN lf,8,sa,"name" as the KERNAL sends it.
inline void BusOpen(media::Drive& drive, int secondary, std::string_view name) {
  drive.Listen();
  drive.Second(static_cast<std::uint8_t>(0xF0 | secondary));
  for (const char c : name) drive.Ciout(static_cast<std::uint8_t>(c));
  drive.Unlisten();
}

inline void BusClose(media::Drive& drive, int secondary) {
  drive.Listen();
  drive.Second(static_cast<std::uint8_t>(0xE0 | secondary));
  drive.Unlisten();
}

inline void BusWrite(media::Drive& drive, int secondary, std::span<const std::uint8_t> bytes) {
  drive.Listen();
  drive.Second(static_cast<std::uint8_t>(0x60 | secondary));
  for (const std::uint8_t byte : bytes) drive.Ciout(byte);
  drive.Unlisten();
}

// The bytes TALK/TKSA/ACPTR get up to and with the one marked EOI; `status` is the ST
// bits of the last ACPTR. A read that times out gives no byte.
struct BusRead {
  std::vector<std::uint8_t> bytes;
  std::uint8_t status = 0;
};
inline BusRead BusReadAll(media::Drive& drive, int secondary, std::size_t limit = 1 << 20) {
  BusRead read;
  drive.Talk();
  drive.Tksa(static_cast<std::uint8_t>(0x60 | secondary));
  while (read.bytes.size() < limit) {
    const media::BusByte got = drive.Acptr();
    read.status = got.status;
    if (got.status & media::kBusReadTimeout) break;
    read.bytes.push_back(got.byte);
    if (got.status & media::kBusEoi) break;
  }
  drive.Untalk();
  return read;
}

// The command channel's line as the machine reads it, without its carriage return.
inline std::string BusStatus(media::Drive& drive) {
  const BusRead read = BusReadAll(drive, 15, 100);
  std::string line(read.bytes.begin(), read.bytes.end());
  EXPECT_TRUE(line.ends_with('\r')) << line;
  if (line.ends_with('\r')) line.pop_back();
  return line;
}

inline std::string RunShell(const std::string& command) {
  std::string output;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    ::pclose(pipe);
  }
  return output;
}

// cc1541's listing of the image (run on a copy: cc1541 rewrites the image it opens).
inline std::string Cc1541Listing(const std::vector<std::uint8_t>& image) {
  const std::filesystem::path dir = FreshTempDirectory("cc1541-list");
  WriteTestFile(dir, "look.d64", image);
  std::string listing = RunShell("cd '" + dir.string() + "' && cc1541 look.d64 2>&1");
  std::filesystem::remove_all(dir);
  // Without the terminal's reverse-video escapes.
  for (const std::string escape : {"\x1b[7m", "\x1b[m"}) {
    for (std::size_t at; (at = listing.find(escape)) != std::string::npos;) {
      listing.erase(at, escape.size());
    }
  }
  return listing;
}

// The image after cc1541 has added a file of `size` bytes named "filler" to it, which it
// can only place in blocks the BAM says are free.
inline std::vector<std::uint8_t> Cc1541Adds(const std::vector<std::uint8_t>& image,
                                            std::size_t size) {
  const std::filesystem::path dir = FreshTempDirectory("cc1541-add");
  WriteTestFile(dir, "add.d64", image);
  WriteTestFile(dir, "filler", Pattern(size, 0x55));
  RunShell("cd '" + dir.string() + "' && cc1541 -q -f filler -w filler add.d64 2>&1");
  std::vector<std::uint8_t> result = ReadWholeFile(dir / "add.d64");
  std::filesystem::remove_all(dir);
  return result;
}

// A drive on `image` written to disk.d64 in the current folder.
class DriveFixture : public ::testing::Test {
 protected:
  void MountImage(const std::vector<std::uint8_t>& image, bool writeProtected = false) {
    image_ = image;
    path_ = WriteTestFile(folder_.Path(), "disk.d64", image_);
    drive_.Mount(image_, path_, writeProtected);
  }
  std::vector<std::uint8_t> ImageFile() const { return ReadWholeFile(path_); }
  media::D64Disk Disk() const { return *media::OpenD64(image_); }
  const media::D64DirectoryEntry* Entry(std::string_view name) {
    directory_ = media::ReadD64Directory(Disk());
    for (const media::D64DirectoryEntry& entry : directory_.entries) {
      if (entry.Name() == name) return &entry;
    }
    return nullptr;
  }
  std::vector<std::uint8_t> FileOnDisk(std::string_view name) {
    const media::D64DirectoryEntry* entry = Entry(name);
    if (!entry) return {};
    return media::ReadD64File(Disk(), entry->track, entry->sector).bytes;
  }

  WorkingFolder folder_{"drive"};
  media::Drive drive_;
  std::vector<std::uint8_t> image_;
  std::string path_;
  media::D64Directory directory_;
};

}  // namespace drive_test
