// The load trap's loader: a mounted disk made with cc1541 first (patterns, both secondary
// addresses, damage), then the host folder, whose names never leave it.
#include "media/named_file_loader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "core/machine.h"
#include "media/d64_image.h"
#include "media/host_file_names.h"
#include "platform/host_services.h"
#include "tests/support/test_machine.h"

using namespace core;
using namespace media;

namespace {

namespace fs = std::filesystem;

// A program file at `address` of `size` bytes counting from `first`.
std::vector<std::uint8_t> Program(std::uint16_t address, std::size_t size, std::uint8_t first) {
  std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(address),
                                  static_cast<std::uint8_t>(address >> 8)};
  for (std::size_t i = 0; i < size; ++i) bytes.push_back(static_cast<std::uint8_t>(first + i));
  return bytes;
}

// Across tracks: several sectors on a track of their own (-e), one block, a sequential
// file, a program that only fits at its own address.
const std::vector<Cc1541File> kDiskFiles = {
    {"HELLO", Program(0x0801, 40, 1), ""},    {"MC", Program(0xC000, 1000, 2), "-e"},
    {"ONE", Program(0x1000, 10, 3), ""},      {"NOTES", Program(0x2000, 50, 4), "-T SEQ"},
    {"MC TWO", Program(0x4000, 20, 5), "-e"}, {"TOP", Program(0xFF00, 257, 6), ""}};

class NamedFileLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ZeroWholeMachine();
    RecordMessageBoxes();
    image_ = MakeD64Image("", kDiskFiles);
    ASSERT_FALSE(image_.empty());
  }
  void TearDown() override { platform::SetMessageBoxHandler(nullptr); }
  void Mount(const std::vector<std::uint8_t>& image) {
    ASSERT_TRUE(MountD64(WriteTestFile(directory_, "disk.d64", image)));
    RecordedMessageBoxes().clear();
  }
  static NamedFileResult Load(std::string_view name, std::uint8_t secondary,
                              std::uint8_t device = 8) {
    return LoadNamedFile({name, device, secondary, 0x0801, false});
  }

  WorkingFolder folder_{"named"};
  const fs::path& directory_ = folder_.Path();
  std::vector<std::uint8_t> image_;
};

TEST_F(NamedFileLoaderTest, DiskNamesLoadAtBasicsStartOrTheirOwnAddress) {
  Mount(image_);
  const struct {
    const char* name;
    int file;  // in kDiskFiles; -1: not on the disk (nor in the empty host folder)
  } kNames[] = {{"HELLO", 0},  {"0:HELLO", 0}, {"H?LLO", 0}, {"*", 0},      {"MC*", 1},
                {"MC?TWO", 4}, {"O*", 2},      {"TOP", 5},   {"NOTES", -1}, {"HELLOS", -1}};
  for (const auto& row : kNames) {
    for (const std::uint8_t secondary : {0, 1}) {
      SCOPED_TRACE(testing::Message() << row.name << "," << int(secondary));
      std::memset(C64.memory.ram, 0, kMemorySize);
      const NamedFileResult result = Load(row.name, secondary);
      if (row.file < 0) {
        EXPECT_EQ(result.outcome, NamedFileOutcome::kNotFound);
        continue;
      }
      const std::vector<std::uint8_t>& file = kDiskFiles[std::size_t(row.file)].bytes;
      const std::uint32_t at = secondary == 0 ? 0x0801 : file[0] | file[1] << 8;
      const std::uint32_t end = at + static_cast<std::uint32_t>(file.size() - 2);
      if (end > 0x10000) {  // TOP at BASIC's start: refused, nothing written
        EXPECT_EQ(result.outcome, NamedFileOutcome::kNotFound);
        EXPECT_EQ(std::count(C64.memory.ram, C64.memory.ram + kMemorySize, 0), kMemorySize);
        continue;
      }
      ASSERT_EQ(result.outcome, NamedFileOutcome::kLoaded);
      EXPECT_TRUE(std::equal(file.begin() + 2, file.end(), C64.memory.ram + at));
      EXPECT_EQ(result.end, static_cast<std::uint16_t>(end));
      EXPECT_EQ(C64.memory.ram[at - 1] | C64.memory.ram[end & 0xFFFF], 0);
    }
  }
  EXPECT_EQ(Load("HELLO", 1, 9).outcome, NamedFileOutcome::kNotFound);  // drive 8 only
}

// Damage on the way to the file ends the load with the disk's error; the host folder is
// not asked, as the name may lie beyond a damaged directory.
TEST_F(NamedFileLoaderTest, ADamagedDiskReportsItsErrorAndLoadsNothing) {
  WriteTestFile(directory_, "ELSEWHERE", Program(0xC000, 3, 1));
  const D64Disk disk = *OpenD64(image_);
  const D64DirectoryEntry mc = ReadD64Directory(disk).entries[1];
  const std::size_t file = *D64SectorOffset(disk, mc.track, mc.sector);
  const std::size_t directory = *D64SectorOffset(disk, 18, 1);
  const struct {
    std::size_t link;
    std::uint8_t track, sector;
    const char* name;
    const char* error;
  } kDamage[] = {
      {file, mc.track, mc.sector, "MC", "Disk error: MC: chain comes back to"},
      {file, 36, 0, "MC", "Disk error: MC: link to track 36 sector 0"},
      {directory, 18, 1, "ELSEWHERE", "Disk error: directory: chain comes back to track 18"},
      {directory, 36, 1, "ELSEWHERE", "Disk error: directory: link to track 36 sector 1"}};
  for (const auto& row : kDamage) {
    SCOPED_TRACE(row.error);
    std::vector<std::uint8_t> image = image_;
    image[row.link] = row.track;
    image[row.link + 1] = row.sector;
    Mount(image);
    std::memset(C64.memory.ram, 0, kMemorySize);
    EXPECT_EQ(Load(row.name, 1).outcome, NamedFileOutcome::kNotFound);
    ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(RecordedMessageBoxes()[0].text.rfind(row.error, 0), 0u)
        << RecordedMessageBoxes()[0].text;
    EXPECT_EQ(C64.memory.ram[0xC000], 0);
  }
}

// Host names: the exact name first, then patterns in sorted order; a name is a name in
// the current folder, never a path, even where such a file exists.
TEST_F(NamedFileLoaderTest, HostNamesFollowTheDrivesRulesAndStayInTheFolder) {
  for (const char* name : {"ALPS", "ALPHA", "AL*", ".HIDDEN", "BETA"}) {
    WriteTestFile(directory_, name, Program(0x1000, 1, static_cast<std::uint8_t>(name[1])));
  }
  fs::create_directories(directory_ / "sub");
  WriteTestFile(directory_ / "sub", "INNER", Program(0x0801, 4, 1));
  const std::string here = directory_.filename().string();
  const struct {
    std::string name;
    const char* file;  // nullptr: not found
  } kNames[] = {{"ALPS", "ALPS"},
                {"AL*", "AL*"},
                {"ALP*", "ALPHA"},
                {"*", "AL*"},
                {"AL?S", "ALPS"},
                {"0:BETA", "BETA"},
                {"B?", nullptr},
                {".HIDDEN", ".HIDDEN"},
                {"?HIDDEN", nullptr},
                {"sub/INNER", nullptr},
                {"sub", nullptr},
                {"../" + here + "/ALPS", nullptr},
                {"/etc/passwd", nullptr},
                {".", nullptr},
                {"..", nullptr},
                {std::string("ALPS\0X", 6), nullptr},
                {"", nullptr}};
  for (const auto& row : kNames) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(FindHostFile(row.name).value_or("-"), row.file ? row.file : "-");
    EXPECT_EQ(Load(row.name, 1).outcome == NamedFileOutcome::kLoaded, row.file != nullptr);
  }
}

// A host file is a program file like one opened from the menu: its own address, whatever
// the secondary address.
TEST_F(NamedFileLoaderTest, HostFilesLoadAtTheirOwnAddressWithEitherSecondaryAddress) {
  WriteTestFile(directory_, "CODE", Program(0xC000, 3, 7));
  for (const std::uint8_t secondary : {0, 1}) {
    std::fill(C64.memory.ram + 0x0801, C64.memory.ram + 0x0810, 0);
    std::fill(C64.memory.ram + 0xC000, C64.memory.ram + 0xC010, 0);
    const NamedFileResult result = Load("CODE", secondary);
    EXPECT_EQ(result.outcome, NamedFileOutcome::kLoaded);
    EXPECT_EQ(result.end, 0xC003) << int{secondary};
    EXPECT_EQ(C64.memory.ram[0xC000], 7) << int{secondary};
    EXPECT_EQ(C64.memory.ram[0x0801], 0) << int{secondary};
  }
}

}  // namespace
