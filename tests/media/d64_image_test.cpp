// Disk images read into memory and confirmed with the disk name's first character.
#include "media/d64_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/machine_state.h"
#include "platform/host_services.h"
#include "tests/support/test_machine.h"

using namespace platform;
using namespace core;
using namespace media;

namespace {

class D64ImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(D64Image, 0, kD64ImageSize);
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
  Ram[0x0801] = 0x77;
  ASSERT_TRUE(MountD64(WriteFile("disk.d64", image)));
  ExpectOneBox("0x41", "Info");
  EXPECT_EQ(std::memcmp(D64Image, image.data(), kD64ImageSize), 0);
  EXPECT_EQ(Ram[0x0801], 0x77);  // the machine is not touched
}

TEST_F(D64ImageTest, ShorterFilesKeepTheRestOfTheOldImage) {
  ASSERT_TRUE(MountD64(WriteFile("short.d64", std::vector<std::uint8_t>(1000, 0x99))));
  ExpectOneBox("0x0", "Info");  // nothing mounted before

  ASSERT_TRUE(MountD64(WriteFile("disk.d64", Image(kD64ImageSize))));
  ExpectOneBox("0x41", "Info");
  ASSERT_TRUE(MountD64(WriteFile("short.d64", std::vector<std::uint8_t>(1000, 0x99))));
  ExpectOneBox("0x41", "Info");  // the old image's byte
  EXPECT_EQ(D64Image[999], 0x99);
  EXPECT_EQ(D64Image[1000], 1000 % 251);

  ASSERT_TRUE(MountD64(WriteFile("empty.d64", {})));
  ExpectOneBox("0x41", "Info");
  EXPECT_EQ(D64Image[0], 0x99);
}

TEST_F(D64ImageTest, LongerFilesContributeOnlyTheImageSize) {
  for (std::size_t size : {std::size_t{175531}, std::size_t{196608}}) {
    SCOPED_TRACE(size);
    std::vector<std::uint8_t> image = Image(size);
    ASSERT_TRUE(MountD64(WriteFile("long.d64", image)));
    ExpectOneBox("0x41", "Info");
    EXPECT_EQ(std::memcmp(D64Image, image.data(), kD64ImageSize), 0);
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
  EXPECT_FALSE(MountD64(dir_.string()));  // a directory opens but does not read
  ExpectOneBox("D64 Image not found: " + dir_.string(), "Error");
  EXPECT_EQ(D64Image[kD64DiskNameOffset], 0x50);
}

}  // namespace
