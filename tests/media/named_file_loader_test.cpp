// The load trap's loader: a mounted disk made with cc1541 first (directory, patterns, both
// secondary addresses, VERIFY, damage), then the host folder, whose names never leave it.
#include "media/named_file_loader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "core/machine_state.h"
#include "media/d64_directory_listing.h"
#include "media/d64_image.h"
#include "media/d64_reader.h"
#include "media/host_file_names.h"
#include "platform/host_services.h"
#include "tests/support/test_machine.h"

using namespace core;
using namespace media;

namespace {

namespace fs = std::filesystem;

// A program file: its load address, then `size` bytes counting from `first`.
std::vector<std::uint8_t> Program(std::uint16_t address, std::size_t size, std::uint8_t first) {
  std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(address),
                                  static_cast<std::uint8_t>(address >> 8)};
  for (std::size_t i = 0; i < size; ++i) bytes.push_back(static_cast<std::uint8_t>(first + i));
  return bytes;
}

// Across tracks: a BASIC-address program, machine code at $C000 spanning several sectors
// (on a track of its own), a one-block file, a sequential file, then a program whose name
// also matches "MC*".
const std::vector<Cc1541File> kDiskFiles = {
    {"HELLO", Program(0x0801, 40, 1), ""},    {"MC", Program(0xC000, 1000, 2), "-e"},
    {"ONE", Program(0x1000, 10, 3), ""},      {"NOTES", Program(0x2000, 50, 4), "-T SEQ"},
    {"MC TWO", Program(0x4000, 20, 5), "-e"}, {"TOP", Program(0xFF00, 257, 6), ""},
};

class NamedFileLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ZeroWholeMachine();
    RecordMessageBoxes();
    directory_ = FreshTempDirectory("named");
    previous_ = fs::current_path();
    fs::current_path(directory_);
    image_ = MakeD64Image("-n " + Cc1541Text("games") + " -i " + Cc1541Text("g1"), kDiskFiles);
    ASSERT_FALSE(image_.empty());
  }
  void TearDown() override {
    platform::SetMessageBoxHandler(nullptr);
    fs::current_path(previous_);
    fs::remove_all(directory_);
  }
  void Mount(const std::vector<std::uint8_t>& image) {
    ASSERT_TRUE(MountD64(WriteTestFile(directory_, "disk.d64", image)));
    RecordedMessageBoxes().clear();
  }
  static NamedFileResult Load(std::string_view name, std::uint8_t secondary = 1,
                              bool verify = false, std::uint8_t device = 8) {
    NamedFileRequest request;
    request.name = name;
    request.device = device;
    request.secondaryAddress = secondary;
    request.loadAddress = 0x0801;
    request.verify = verify;
    return LoadNamedFile(request);
  }
  // Whether RAM from `address` holds the file's data.
  static bool Holds(std::uint16_t address, const std::vector<std::uint8_t>& file) {
    return std::equal(file.begin() + 2, file.end(), Ram + address);
  }

  fs::path directory_;
  fs::path previous_;
  std::vector<std::uint8_t> image_;
};

TEST_F(NamedFileLoaderTest, NamesFindTheirFileOnTheDiskAtEitherSecondaryAddress) {
  Mount(image_);
  const struct {
    const char* name;
    int file;  // index in kDiskFiles
  } kNames[] = {{"HELLO", 0}, {"0:HELLO", 0}, {"H?LLO", 0}, {"*", 0},  {"MC", 1},
                {"MC*", 1},   {"MC?TWO", 4},  {"ONE", 2},   {"O*", 2}, {"TOP", 5}};
  for (const auto& row : kNames) {
    const std::vector<std::uint8_t>& file = kDiskFiles[static_cast<std::size_t>(row.file)].bytes;
    const std::uint16_t own = static_cast<std::uint16_t>(file[0] | file[1] << 8);
    const std::uint32_t data = static_cast<std::uint32_t>(file.size() - 2);
    for (const std::uint8_t secondary : {0, 1}) {
      SCOPED_TRACE(testing::Message() << row.name << "," << int(secondary));
      std::memset(Ram, 0, kMemorySize);
      const NamedFileResult result = Load(row.name, secondary);
      // Secondary address 0 puts it at BASIC's start; the 257 bytes of TOP fit there only.
      const std::uint16_t at = secondary == 0 ? 0x0801 : own;
      if (at + data > 0x10000) {
        EXPECT_EQ(result.outcome, NamedFileOutcome::kNotFound);
        EXPECT_EQ(RecordedMessageBoxes().back().text,
                  "No readable PRG file: " + std::string(row.name));
        EXPECT_EQ(std::count(Ram, Ram + kMemorySize, 0), kMemorySize) << "nothing written";
        continue;
      }
      ASSERT_EQ(result.outcome, NamedFileOutcome::kLoaded);
      EXPECT_TRUE(Holds(at, file));
      EXPECT_EQ(result.end, static_cast<std::uint16_t>(at + data));
      EXPECT_EQ(Ram[at - 1], 0);
      EXPECT_EQ(Ram[static_cast<std::uint16_t>(at + data)], 0);
    }
  }
  // A sequential file, a name not there, another device: the host folder, which is empty.
  for (const char* name : {"NOTES", "HELLOS", "ZZ*"}) {
    EXPECT_EQ(Load(name).outcome, NamedFileOutcome::kNotFound) << name;
  }
  EXPECT_EQ(Load("HELLO", 1, false, 9).outcome, NamedFileOutcome::kNotFound);
  EXPECT_EQ(RecordedMessageBoxes().back().text, "File not found: HELLO");
}

TEST_F(NamedFileLoaderTest, DollarIsTheDirectoryAsABasicProgram) {
  Mount(image_);
  const std::vector<std::uint8_t> listing =
      DirectoryListingProgram(ReadD64Directory(*OpenD64(image_)));
  const NamedFileResult result = Load("$", 0);
  ASSERT_EQ(result.outcome, NamedFileOutcome::kLoaded);
  EXPECT_TRUE(Holds(0x0801, listing));
  EXPECT_EQ(result.end, 0x0801 + listing.size() - 2);
}

TEST_F(NamedFileLoaderTest, VerifyComparesWithMemoryAndChangesNothing) {
  Mount(image_);
  WriteTestFile(directory_, "HOSTED", Program(0x3000, 100, 9));
  for (const char* name : {"MC", "HOSTED"}) {
    SCOPED_TRACE(name);
    ASSERT_EQ(Load(name).outcome, NamedFileOutcome::kLoaded);
    const NamedFileResult same = Load(name, 1, true);
    EXPECT_EQ(same.outcome, NamedFileOutcome::kVerified);
    const std::uint16_t at = std::string(name) == "MC" ? 0xC000 : 0x3000;
    Ram[at + 50] ^= 0xFF;
    std::vector<std::uint8_t> before(Ram, Ram + kMemorySize);
    const NamedFileResult different = Load(name, 1, true);
    EXPECT_EQ(different.outcome, NamedFileOutcome::kDifferent);
    EXPECT_EQ(different.end, same.end);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), Ram)) << "memory unchanged";
  }
}

// Damage found on the way to the file ends the load with the disk's error, and the host
// folder is not asked.
TEST_F(NamedFileLoaderTest, ADamagedDiskReportsItsErrorAndLoadsNothing) {
  const D64Directory directory = ReadD64Directory(*OpenD64(image_));
  const std::size_t mc =
      *D64SectorOffset(*OpenD64(image_), directory.entries[1].track, directory.entries[1].sector);
  const std::size_t firstDirectory = *D64SectorOffset(*OpenD64(image_), 18, 1);
  WriteTestFile(directory_, "MC", Program(0xC000, 3, 1));
  WriteTestFile(directory_, "ELSEWHERE", Program(0xC000, 3, 1));
  const struct {
    const char* damage;
    std::size_t link;
    std::uint8_t track, sector;
    const char* name;
    const char* error;
  } kDamage[] = {
      {"file loops", mc, directory.entries[1].track, directory.entries[1].sector, "MC",
       "Disk error: MC: chain comes back to"},
      {"file links past track 35", mc, 36, 0, "MC", "Disk error: MC: link to track 36 sector 0"},
      // The name may lie beyond the damage: the disk cannot say it is not there.
      {"directory loops", firstDirectory, 18, 1, "ELSEWHERE",
       "Disk error: directory: chain comes back to track 18 sector 1"},
      {"directory links past track 35", firstDirectory, 36, 1, "ELSEWHERE",
       "Disk error: directory: link to track 36 sector 1"},
  };
  for (const auto& row : kDamage) {
    SCOPED_TRACE(row.damage);
    std::vector<std::uint8_t> image = image_;
    image[row.link] = row.track;
    image[row.link + 1] = row.sector;
    Mount(image);
    std::memset(Ram, 0, kMemorySize);
    EXPECT_EQ(Load(row.name).outcome, NamedFileOutcome::kNotFound);
    ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(RecordedMessageBoxes()[0].text.rfind(row.error, 0), 0u)
        << RecordedMessageBoxes()[0].text;
    EXPECT_EQ(Ram[0xC000], 0);
  }
}

TEST_F(NamedFileLoaderTest, WithoutADiskTheHostFolderAnswersByTheSameRules) {
  WriteTestFile(directory_, "ALPS", Program(0x1000, 4, 1));
  WriteTestFile(directory_, "ALPHA", Program(0x1000, 4, 2));
  WriteTestFile(directory_, "AL*", Program(0x1000, 4, 3));
  WriteTestFile(directory_, ".HIDDEN", Program(0x1000, 4, 4));
  WriteTestFile(directory_, "BETA", Program(0x1000, 4, 5));
  const struct {
    const char* name;
    const char* file;  // nullptr: none
  } kNames[] = {{"ALPS", "ALPS"},       {"AL*", "AL*"},     {"ALP*", "ALPHA"},   {"*", "AL*"},
                {"AL?S", "ALPS"},       {"0:BETA", "BETA"}, {"B?", nullptr},     {"BET", nullptr},
                {".HIDDEN", ".HIDDEN"}, {".*", nullptr},    {"?HIDDEN", nullptr}};
  for (const auto& row : kNames) {
    const std::optional<std::string> found = FindHostFile(row.name);
    EXPECT_EQ(found.value_or("(none)"), row.file ? row.file : "(none)") << row.name;
  }
  ASSERT_EQ(Load("ALP*", 0).outcome, NamedFileOutcome::kLoaded);
  EXPECT_EQ(Ram[0x0801], 2);
}

// A name from the machine is a name in the current folder: nothing outside it, nothing
// through a subfolder, even where such a file exists.
TEST_F(NamedFileLoaderTest, HostNamesThatAreReallyPathsAreNotFound) {
  fs::create_directories(directory_ / "sub");
  WriteTestFile(directory_ / "sub", "INNER", Program(0x0801, 4, 1));
  WriteTestFile(directory_.parent_path(), directory_.filename().string() + "-outside",
                Program(0x0801, 4, 1));
  WriteTestFile(directory_, "PLAIN", Program(0x0801, 4, 1));
  const std::string outside = "../" + directory_.filename().string() + "-outside";
  for (const std::string& name :
       {std::string("sub/INNER"), outside, directory_.string() + "/PLAIN",
        std::string("/etc/passwd"), std::string("."), std::string(".."), std::string("sub"),
        std::string("PLAIN\0X", 7), std::string("\0PLAIN", 6), std::string("./PLAIN"),
        std::string("")}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(FindHostFile(name));
    EXPECT_EQ(Load(name).outcome, NamedFileOutcome::kNotFound);
  }
  EXPECT_EQ(Load("PLAIN").outcome, NamedFileOutcome::kLoaded);
  fs::remove(directory_.parent_path() / (directory_.filename().string() + "-outside"));
}

}  // namespace
