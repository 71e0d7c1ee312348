// D64 images made with cc1541 at test time and read back: sizes, header, directory, file
// contents, the drive's name search, and damaged images that must end in a fault.
#include "media/d64_reader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "tests/support/test_machine.h"

namespace {

struct DiskFile {
  std::string name;     // as the machine shows it (upper case)
  std::size_t size;     // bytes
  std::string options;  // cc1541's options for this file: type, flags, placement
};

// The ninth entry needs a second directory sector; -e puts a file on a track of its own.
const std::vector<DiskFile> kFiles = {
    {"FIRST", 4, ""},      {"SECOND FILE", 600, ""}, {"DATA", 300, "-T SEQ"},
    {"BIG", 3000, "-e"},   {"OPEN", 10, "-O"},       {"LOCKED", 10, "-P"},
    {"REL", 10, "-T REL"}, {"USER", 10, "-T USR"},   {"DEL", 10, "-T DEL"},
    {"LAST", 6000, "-e"},
};

std::vector<std::uint8_t> Contents(const DiskFile& file) {
  std::vector<std::uint8_t> bytes(file.size);
  for (std::size_t k = 0; k < bytes.size(); ++k)
    bytes[k] = static_cast<std::uint8_t>(k * 7 + file.name[0]);
  return bytes;
}

// cc1541 turns ASCII lower case into the PETSCII letters the machine shows as capitals.
std::string ForCc1541(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return "'" + text + "'";
}

// The image cc1541 makes of `files`; empty, with a failure, when it cannot.
std::vector<std::uint8_t> MakeImage(const std::string& diskOptions,
                                    const std::vector<DiskFile>& files) {
  if (std::system("command -v cc1541 >/dev/null 2>&1") != 0) {
    ADD_FAILURE() << "cc1541 is not installed (scripts_common.sh installs the Debian package)";
    return {};
  }
  const std::filesystem::path dir = FreshTempDirectory("d64-reader");
  std::string command = "cd '" + dir.string() + "' && cc1541 -q " + diskOptions;
  for (std::size_t i = 0; i < files.size(); ++i) {
    WriteTestFile(dir, "file" + std::to_string(i), Contents(files[i]));
    command +=
        " " + files[i].options + " -f " + ForCc1541(files[i].name) + " -w file" + std::to_string(i);
  }
  command += " disk.d64 >/dev/null";
  if (std::system(command.c_str()) != 0) ADD_FAILURE() << "cc1541 failed: " << command;
  std::ifstream in(dir / "disk.d64", std::ios::binary);
  std::vector<std::uint8_t> image(std::istreambuf_iterator<char>(in), {});
  std::filesystem::remove_all(dir);
  return image;
}

std::size_t Offset(int track, int sector) {
  return *D64SectorOffset(D64Disk{{}, {}, 40}, track, sector);
}

class D64ReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    image_ = MakeImage("-n " + ForCc1541("test disk") + " -i " + ForCc1541("7x 2a"), kFiles);
    ASSERT_FALSE(image_.empty());
  }
  D64Directory Directory() const { return ReadD64Directory(*OpenD64(image_)); }
  std::vector<std::uint8_t> image_;
};

TEST(D64Layout, OnlyTheFourImageSizesOpen) {
  const struct {
    std::size_t size;
    int tracks;
    std::size_t errorBytes;
  } kSizes[] = {
      {174848, 35, 0}, {175531, 35, 683}, {196608, 40, 0}, {197376, 40, 768},
      {0, 0, 0},       {256, 0, 0},       {174847, 0, 0},  {174849, 0, 0},
      {175530, 0, 0},  {196609, 0, 0},    {197377, 0, 0},
  };
  for (const auto& row : kSizes) {
    const std::vector<std::uint8_t> image(row.size);
    const std::optional<D64Disk> disk = OpenD64(image);
    ASSERT_EQ(disk.has_value(), row.tracks != 0) << row.size;
    if (!disk) continue;
    EXPECT_EQ(disk->tracks, row.tracks) << row.size;
    EXPECT_EQ(disk->errorBytes.size(), row.errorBytes) << row.size;
  }
  EXPECT_EQ(Offset(18, 0), 0x16500u);
  EXPECT_EQ(Offset(40, 16) + kD64SectorBytes, 196608u);
  EXPECT_FALSE(D64SectorOffset(D64Disk{{}, {}, 35}, 36, 0));
  EXPECT_FALSE(D64SectorOffset(D64Disk{{}, {}, 35}, 18, 19));
}

TEST_F(D64ReaderTest, DirectoryHasTheHeaderAndEveryEntryInOrder) {
  const D64Directory directory = Directory();
  ASSERT_TRUE(directory.ok()) << directory.error;
  EXPECT_EQ(std::string(directory.header.name.begin(), directory.header.name.end()),
            "TEST DISK\xA0\xA0\xA0\xA0\xA0\xA0\xA0");
  EXPECT_EQ(directory.header.id, (std::array<std::uint8_t, 2>{'7', 'X'}));
  EXPECT_EQ(directory.header.dosType, (std::array<std::uint8_t, 2>{'2', 'A'}));
  int blocksUsed = 0;
  for (const DiskFile& file : kFiles) blocksUsed += static_cast<int>((file.size + 253) / 254);
  EXPECT_EQ(directory.header.blocksFree, 664 - blocksUsed);

  const std::uint8_t kTypeBytes[] = {0x82, 0x82, 0x81, 0x82, 0x02, 0xC2, 0x84, 0x83, 0x80, 0x82};
  ASSERT_EQ(directory.entries.size(), kFiles.size());
  std::set<int> tracks;
  for (std::size_t i = 0; i < kFiles.size(); ++i) {
    const D64DirectoryEntry& entry = directory.entries[i];
    EXPECT_EQ(entry.Name(), kFiles[i].name);
    EXPECT_EQ(entry.typeByte, kTypeBytes[i]) << kFiles[i].name;
    EXPECT_EQ(entry.blocks, (kFiles[i].size + 253) / 254) << kFiles[i].name;
    tracks.insert(entry.track);
  }
  EXPECT_GE(tracks.size(), 3u);
}

TEST_F(D64ReaderTest, FilesReadBackAsWritten) {
  const D64Disk disk = *OpenD64(image_);
  const D64Directory directory = ReadD64Directory(disk);
  ASSERT_EQ(directory.entries.size(), kFiles.size());
  for (std::size_t i = 0; i < kFiles.size(); ++i) {
    const D64File file = ReadD64File(disk, directory.entries[i].track, directory.entries[i].sector);
    EXPECT_TRUE(file.ok()) << kFiles[i].name << ": " << file.error;
    EXPECT_EQ(file.bytes, Contents(kFiles[i])) << kFiles[i].name;
  }
}

TEST_F(D64ReaderTest, LoadFindsTheFirstClosedProgramThatMatches) {
  const struct {
    const char* pattern;
    const char* found;
  } kSearches[] = {
      {"FIRST", "FIRST"}, {"0:FIRST", "FIRST"}, {"F?RST", "FIRST"},   {"SEC*", "SECOND FILE"},
      {"*", "FIRST"},     {"L*", "LOCKED"},     {"LOCKED", "LOCKED"}, {"LA*XYZ", "LAST"},
      {"DATA", nullptr},  {"OPEN", nullptr},    {"FIRS", nullptr},    {"FIRSTS", nullptr},
      {"REL", nullptr},   {"", nullptr},
  };
  const D64Disk disk = *OpenD64(image_);
  for (const auto& search : kSearches) {
    const D64File file = ReadD64Program(disk, search.pattern);
    if (search.found == nullptr) {
      EXPECT_EQ(file.fault, D64Fault::kFileNotFound) << search.pattern;
      continue;
    }
    const auto expected = std::find_if(kFiles.begin(), kFiles.end(),
                                       [&](const DiskFile& f) { return f.name == search.found; });
    EXPECT_EQ(file.bytes, Contents(*expected)) << search.pattern;
  }
}

TEST(D64Reader, FortyTrackImagesReachTracks36To40) {
  const DiskFile far{"FAR", 1000, "-r 36"};
  std::vector<std::uint8_t> image = MakeImage("-4", {far});
  ASSERT_EQ(image.size(), 196608u);
  const D64Directory directory = ReadD64Directory(*OpenD64(image));
  ASSERT_EQ(directory.entries.size(), 1u);
  EXPECT_GE(directory.entries[0].track, 36);
  EXPECT_EQ(directory.header.blocksFree, 664);  // tracks 36-40 are not counted
  EXPECT_EQ(ReadD64Program(*OpenD64(image), "FAR").bytes, Contents(far));
  // The same disk cut to 35 tracks links to a track it does not have.
  image.resize(174848);
  EXPECT_EQ(ReadD64Program(*OpenD64(image), "FAR").fault, D64Fault::kBadLink);
}

TEST_F(D64ReaderTest, DamagedChainsEndInAFault) {
  const D64Directory directory = Directory();
  const D64DirectoryEntry& big = directory.entries[3];
  const std::size_t first = Offset(big.track, big.sector);
  const std::size_t second = Offset(image_[first], image_[first + 1]);
  const std::size_t directory2 = Offset(image_[Offset(18, 1)], image_[Offset(18, 1) + 1]);
  auto link = [](std::vector<std::uint8_t>& image, std::size_t at, int track, int sector) {
    image[at] = static_cast<std::uint8_t>(track);
    image[at + 1] = static_cast<std::uint8_t>(sector);
  };
  const struct {
    const char* damage;
    std::function<void(std::vector<std::uint8_t>&)> patch;
    bool inDirectory;  // else in the file BIG
    D64Fault fault;
    std::size_t entriesKept;
  } kDamage[] = {
      {"file chain loops", [&](auto& i) { link(i, second, big.track, big.sector); }, false,
       D64Fault::kChainLoops, 0},
      {"link past track 35", [&](auto& i) { link(i, first, 36, 0); }, false, D64Fault::kBadLink, 0},
      {"link to sector 21 of track 1", [&](auto& i) { link(i, first, 1, 21); }, false,
       D64Fault::kBadLink, 0},
      {"error byte on the second sector",
       [&](auto& i) {
         i.resize(175531, 0x01);
         i[174848 + second / kD64SectorBytes] = 0x05;
       },
       false, D64Fault::kReadError, 0},
      {"directory loops", [&](auto& i) { link(i, directory2, 18, 1); }, true, D64Fault::kChainLoops,
       10},
      {"directory links to track 41", [&](auto& i) { link(i, Offset(18, 1), 41, 0); }, true,
       D64Fault::kBadLink, 8},
  };
  for (const auto& row : kDamage) {
    std::vector<std::uint8_t> image = image_;
    row.patch(image);
    const D64Disk disk = *OpenD64(image);
    if (row.inDirectory) {
      const D64Directory damaged = ReadD64Directory(disk);
      EXPECT_EQ(damaged.fault, row.fault) << row.damage;
      EXPECT_EQ(damaged.entries.size(), row.entriesKept) << row.damage;
      EXPECT_FALSE(damaged.error.empty()) << row.damage;
    } else {
      const D64File file = ReadD64Program(disk, "BIG");
      EXPECT_EQ(file.fault, row.fault) << row.damage;
      EXPECT_TRUE(file.bytes.empty()) << row.damage;
      EXPECT_TRUE(ReadD64Program(disk, "FIRST").ok()) << row.damage;
    }
  }
}

}  // namespace
