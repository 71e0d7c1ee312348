// Finding and checking the ROM images.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/rom_images.h"
#include "tests/support/test_machine.h"

using namespace core;

namespace {

namespace fs = std::filesystem;

class RomImagesTest : public ::testing::Test {
 protected:
  void SetUp() override { directory_ = FreshTempDirectory("rom"); }
  void TearDown() override { fs::remove_all(directory_); }
  void Write(const std::string& name, std::size_t size, char fill) {
    std::ofstream(directory_ / name, std::ios::binary) << std::string(size, fill);
  }
  fs::path directory_;
};

TEST_F(RomImagesTest, LoadsTheSharedImages) {
  std::string error;
  ASSERT_TRUE(LoadRomImages({RomDir()}, error)) << error;
  EXPECT_EQ(RomImages.kernal[0xFF80 - 0xE000], 0x03);  // KERNAL revision 3
}

TEST_F(RomImagesTest, ShortNamesAndLaterDirectoriesAreFound) {
  Write("basic.bin", 8192, 'B');
  Write("kernal.bin", 8192, 'K');
  Write("chargen.bin", 4096, 'C');
  std::string error;
  ASSERT_TRUE(LoadRomImages({directory_ / "missing", directory_}, error)) << error;
  EXPECT_EQ(RomImages.basic[0], 'B');
  EXPECT_EQ(RomImages.kernal[8191], 'K');
  EXPECT_EQ(RomImages.characters[0], 'C');
}

TEST_F(RomImagesTest, MissingImageNamesTheFileAndEveryPlaceSearched) {
  Write("basic.bin", 8192, 'B');
  std::string error;
  EXPECT_FALSE(LoadRomImages({directory_ / "first", directory_}, error));
  EXPECT_NE(error.find("kernal.901227-03.bin"), std::string::npos) << error;
  EXPECT_NE(error.find((directory_ / "first").string()), std::string::npos) << error;
  EXPECT_NE(error.find(directory_.string()), std::string::npos) << error;
}

TEST_F(RomImagesTest, WronglySizedImageIsRejectedAndNothingChanges) {
  std::string error;
  ASSERT_TRUE(LoadRomImages({RomDir()}, error));
  const std::uint8_t before = RomImages.basic[0];
  Write("basic.bin", 8191, 'X');
  Write("kernal.bin", 8192, 'K');
  Write("chargen.bin", 4096, 'C');
  EXPECT_FALSE(LoadRomImages({directory_}, error));
  EXPECT_NE(error.find("basic.bin"), std::string::npos);
  EXPECT_NE(error.find("8191"), std::string::npos);
  EXPECT_EQ(RomImages.basic[0], before);
}

// Whatever stands at an image's name is looked at before anything is read: a huge file
// is refused by its size at once, a FIFO, a folder or a dangling link without blocking,
// and none of them sends the search on to a later folder.
TEST_F(RomImagesTest, UnusableImagesAreRefusedAtOnceByWhatTheyAre) {
  const struct {
    const char* what;
    void (*make)(const fs::path& kernal);
    const char* error;
  } cases[] = {
      {"a sparse 1 GiB file",
       [](const fs::path& kernal) {
         std::ofstream{kernal};
         fs::resize_file(kernal, 1u << 30);
       },
       " has 1073741824 bytes; expected 8192"},
      {"a FIFO", [](const fs::path& kernal) { ::mkfifo(kernal.c_str(), 0644); },
       ": not a regular file"},
      {"a folder", [](const fs::path& kernal) { fs::create_directory(kernal); },
       ": not a regular file"},
      {"a link to nothing", [](const fs::path& kernal) { fs::create_symlink("absent", kernal); },
       ""},
  };
  for (const auto& test : cases) {
    const fs::path first = directory_ / "first";
    fs::remove_all(first);
    fs::create_directories(first);
    Write("first/basic.bin", 8192, 'B');
    Write("first/chargen.bin", 4096, 'C');
    test.make(first / "kernal.bin");
    std::string error;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(LoadRomImages({first, RomDir()}, error)) << test.what;
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(500));
    const std::string expected = "ROM image " + (first / "kernal.bin").string() + test.error;
    EXPECT_NE(error.find(expected), std::string::npos) << test.what << ": " << error;
  }
}

// A folder of the search that exists but cannot be listed or searched ends the search
// with its name, rather than the images coming silently from a later place; a folder name
// with control bytes shows them as \xNN.
TEST_F(RomImagesTest, AnUnreadableFolderIsNamedAndTheSearchStops) {
  const fs::path bad = directory_ / "bad\x1B[2Jname";
  fs::create_directories(bad);
  std::string error;
  EXPECT_FALSE(LoadRomImages({bad}, error));
  EXPECT_NE(error.find("bad\\x1B[2Jname"), std::string::npos) << error;
  EXPECT_EQ(error.find('\x1B'), std::string::npos) << error;

  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not hold for root";
  for (const fs::perms mode : {fs::perms::none, fs::perms::owner_exec, fs::perms::owner_read}) {
    const fs::path locked = directory_ / "locked";
    fs::create_directories(locked);
    fs::permissions(locked, mode);
    EXPECT_FALSE(LoadRomImages({locked, RomDir()}, error));
    EXPECT_NE(error.find("ROM folder " + locked.string() + " cannot be read"), std::string::npos)
        << error;
    fs::permissions(locked, fs::perms::owner_all);
    fs::remove_all(locked);
  }
}

TEST_F(RomImagesTest, DeletedCurrentFolderIsLeftOutOfTheSearch) {
  const fs::path previous = fs::current_path();
  fs::create_directory(directory_ / "gone");
  fs::current_path(directory_ / "gone");
  fs::remove(directory_ / "gone");
  const char* environment = std::getenv("C64EMU_ROMS");
  const std::string saved = environment != nullptr ? environment : "";
  unsetenv("C64EMU_ROMS");
  std::vector<fs::path> directories;
  EXPECT_NO_THROW(directories = RomSearchDirectories("/opt/c64/bin/c64emu"));
  if (environment != nullptr) setenv("C64EMU_ROMS", saved.c_str(), 1);
  fs::current_path(previous);
  EXPECT_EQ(directories, (std::vector<fs::path>{"/opt/c64/bin/roms", "/opt/c64/roms"}));
}

TEST_F(RomImagesTest, EnvironmentDirectoryComesFirst) {
  setenv("C64EMU_ROMS", directory_.c_str(), 1);
  const auto directories = RomSearchDirectories("/opt/c64/bin/c64emu");
  unsetenv("C64EMU_ROMS");
  ASSERT_EQ(directories.size(), 4u);
  EXPECT_EQ(directories[0], directory_);
  EXPECT_EQ(directories[1], fs::current_path() / "roms");
  EXPECT_EQ(directories[2], fs::path("/opt/c64/bin/roms"));
  EXPECT_EQ(directories[3], fs::path("/opt/c64/roms"));
}

}  // namespace
