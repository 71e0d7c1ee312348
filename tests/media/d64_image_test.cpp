// Disk images read into memory and confirmed with the disk name's first character.
#include "media/d64_image.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/machine.h"
#include "platform/host_services.h"
#include "tests/support/test_machine.h"

using namespace platform;
using namespace core;
using namespace media;

namespace {

class D64ImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(D64Image, 0, kD64LargestImageSize);
    UnmountD64();
    RecordMessageBoxes();
    dir_ = FreshTempDirectory("d64");
  }
  void TearDown() override {
    SetMessageBoxHandler(nullptr);
    std::filesystem::remove_all(dir_);
  }

  std::string WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    return WriteTestFile(dir_, name, bytes);
  }

  // An image of `size` bytes, byte k = k mod 251, with the disk name "AB" in track 18.
  static std::vector<std::uint8_t> Image(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t k = 0; k < size; ++k) bytes[k] = static_cast<std::uint8_t>(k % 251);
    if (size > kD64DiskNameOffset + 1) {
      bytes[kD64DiskNameOffset] = 0x41;
      bytes[kD64DiskNameOffset + 1] = 0x42;
    }
    return bytes;
  }

  void ExpectOneBox(const std::string& text, const std::string& title) {
    ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(RecordedMessageBoxes()[0].text, text);
    EXPECT_EQ(RecordedMessageBoxes()[0].title, title);
    RecordedMessageBoxes().clear();
  }

  std::filesystem::path dir_;
};

TEST_F(D64ImageTest, StandardImageIsHeldAndItsNameConfirmed) {
  const std::vector<std::uint8_t> image = Image(kD64ImageSize);
  ZeroWholeMachine();
  C64.memory.ram[0x0801] = 0x77;
  ASSERT_TRUE(MountD64(WriteFile("disk.d64", image)));
  ExpectOneBox("0x41", "Info");
  EXPECT_EQ(std::memcmp(D64Image, image.data(), kD64ImageSize), 0);
  EXPECT_EQ(C64.memory.ram[0x0801], 0x77);  // the machine is not touched
}

// Sizes other than the four of a D64 image are refused and leave the mounted disk.
TEST_F(D64ImageTest, OnlyTheFourImageSizesMountOthersLeaveThePreviousImage) {
  ASSERT_TRUE(MountD64(WriteFile("disk.d64", Image(kD64ImageSize))));
  ExpectOneBox("0x41", "Info");
  for (const std::size_t size : {std::size_t{0}, std::size_t{1000}, std::size_t{174847},
                                 std::size_t{174849}, std::size_t{197377}, std::size_t{400000}}) {
    SCOPED_TRACE(size);
    const std::string path = WriteFile("odd.d64", std::vector<std::uint8_t>(size, 0x99));
    EXPECT_FALSE(MountD64(path));
    ExpectOneBox("No D64 image: " + path + " has " + std::to_string(size) +
                     " bytes (a D64 image has 174848 or 196608, or 175531 or 197376 with error "
                     "bytes)",
                 "Error");
    ASSERT_TRUE(MountedD64());
    EXPECT_EQ(MountedD64()->sectors.size(), kD64ImageSize);
    EXPECT_EQ(D64Image[0], 0);
  }
}

TEST_F(D64ImageTest, ImagesWithErrorBytesAndFortyTracksAreHeldWhole) {
  const struct {
    std::size_t size;
    int tracks;
  } kSizes[] = {{175531, 35}, {196608, 40}, {197376, 40}, {174848, 35}};
  for (const auto& row : kSizes) {
    SCOPED_TRACE(row.size);
    std::vector<std::uint8_t> image = Image(row.size);
    ASSERT_TRUE(MountD64(WriteFile("long.d64", image)));
    ExpectOneBox("0x41", "Info");
    EXPECT_EQ(std::memcmp(D64Image, image.data(), row.size), 0);
    ASSERT_TRUE(MountedD64());
    EXPECT_EQ(MountedD64()->tracks, row.tracks);
  }
}

TEST_F(D64ImageTest, MissingFilesAreReportedEvenForAnEmptyPath) {
  D64Image[kD64DiskNameOffset] = 0x50;
  const std::string missing = (dir_ / "absent.d64").string();
  EXPECT_FALSE(MountD64(missing));
  ExpectOneBox("D64 Image not found: " + missing, "Error");
  EXPECT_FALSE(MountD64(""));
  ExpectOneBox("D64 Image not found: ", "Error");
  EXPECT_FALSE(MountD64("x"));  // no short-path exception here
  ExpectOneBox("D64 Image not found: x", "Error");
  EXPECT_FALSE(MountD64(dir_.string()));  // a folder is named as one, not as missing
  ExpectOneBox("D64 Image not a regular file: " + dir_.string(), "Error");
  EXPECT_EQ(D64Image[kD64DiskNameOffset], 0x50);
}

}  // namespace

namespace {

// What is not a regular file is named as such, not as missing, and never waited on.
TEST_F(D64ImageTest, FoldersFifosAndDevicesAreNamedAsNotRegularFiles) {
  const std::string fifo = (dir_ / "pipe.d64").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {fifo, std::string("/dev/null"), dir_.string()}) {
    EXPECT_FALSE(MountD64(path));
    ExpectOneBox("D64 Image not a regular file: " + path, "Error");
  }
}

}  // namespace
