// D64 images made with cc1541 at test time and read back: sizes, header, directory, file
// contents, the drive's name search, and damaged images that must end in a fault.
#include "media/d64_reader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "tests/support/test_machine.h"

using namespace media;

namespace {

struct DiskFile {
  std::string name;       // as the machine shows it (upper case)
  std::size_t size;       // bytes
  std::string options;    // cc1541's options for this file: type, flags, placement
  std::uint8_t typeByte;  // what the directory entry then holds
};

// The ninth entry needs a second directory sector; -e puts a file on a track of its own.
const std::vector<DiskFile> kFiles = {
    {"FIRST", 4, "", 0x82},      {"SECOND FILE", 600, "", 0x82}, {"DATA", 300, "-T SEQ", 0x81},
    {"BIG", 3000, "-e", 0x82},   {"OPEN", 10, "-O", 0x02},       {"LOCKED", 10, "-P", 0xC2},
    {"REL", 10, "-T REL", 0x84}, {"USER", 10, "-T USR", 0x83},   {"DEL", 10, "-T DEL", 0x80},
    {"LAST", 6000, "-e", 0x82},
};
constexpr int kBig = 3;

std::vector<std::uint8_t> Contents(const DiskFile& file) {
  std::vector<std::uint8_t> bytes(file.size);
  for (std::size_t k = 0; k < bytes.size(); ++k)
    bytes[k] = static_cast<std::uint8_t>(k * 7 + file.name[0]);
  return bytes;
}

// The image cc1541 makes of `files`; empty, with a failure, when it cannot.
std::vector<std::uint8_t> MakeImage(const std::string& diskOptions,
                                    const std::vector<DiskFile>& files) {
  std::vector<Cc1541File> written;
  for (const DiskFile& file : files) written.push_back({file.name, Contents(file), file.options});
  return MakeD64Image(diskOptions, written);
}

std::size_t Offset(int track, int sector) {
  static const std::vector<std::uint8_t> blank(196608);
  return *D64SectorOffset(*OpenD64(blank), track, sector);
}

class D64ReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    image_ = MakeImage("-n " + Cc1541Text("test disk") + " -i " + Cc1541Text("7x 2a"), kFiles);
    ASSERT_FALSE(image_.empty());
  }
  std::vector<std::uint8_t> image_;
};

TEST(D64Layout, OnlyTheFourImageSizesOpen) {
  const struct {
    std::size_t size;
    int tracks;  // 0: refused
    std::size_t errorBytes;
  } kSizes[] = {{174848, 35, 0}, {175531, 35, 683}, {196608, 40, 0}, {197376, 40, 768},
                {0, 0, 0},       {174847, 0, 0},    {174849, 0, 0},  {196609, 0, 0}};
  for (const auto& row : kSizes) {
    const std::optional<D64Disk> disk = OpenD64(std::vector<std::uint8_t>(row.size));
    ASSERT_EQ(disk.has_value(), row.tracks != 0) << row.size;
    if (!disk) continue;
    EXPECT_EQ(disk->tracks, row.tracks) << row.size;
    EXPECT_EQ(disk->errorBytes.size(), row.errorBytes) << row.size;
  }
}

TEST_F(D64ReaderTest, DirectoryAndFilesReadBackAsWritten) {
  const D64Disk disk = *OpenD64(image_);
  const D64Directory directory = ReadD64Directory(disk);
  ASSERT_TRUE(directory.ok()) << directory.error;
  const D64Header& header = directory.header;
  EXPECT_EQ(std::string(header.name.begin(), header.name.end()),
            "TEST DISK" + std::string(7, '\xA0'));
  EXPECT_EQ(header.id, (std::array<std::uint8_t, 2>{'7', 'X'}));
  EXPECT_EQ(header.dosType, (std::array<std::uint8_t, 2>{'2', 'A'}));
  int blocksUsed = 0;
  std::set<int> tracks;
  ASSERT_EQ(directory.entries.size(), kFiles.size());
  for (std::size_t i = 0; i < kFiles.size(); ++i) {
    const D64DirectoryEntry& entry = directory.entries[i];
    EXPECT_EQ(entry.Name(), kFiles[i].name);
    EXPECT_EQ(entry.typeByte, kFiles[i].typeByte) << kFiles[i].name;
    EXPECT_EQ(entry.blocks, (kFiles[i].size + 253) / 254) << kFiles[i].name;
    const D64File file = ReadD64File(disk, entry.track, entry.sector);
    EXPECT_TRUE(file.ok()) << kFiles[i].name << ": " << file.error;
    EXPECT_EQ(file.bytes, Contents(kFiles[i])) << kFiles[i].name;
    blocksUsed += entry.blocks;
    tracks.insert(entry.track);
  }
  EXPECT_EQ(header.blocksFree, 664 - blocksUsed);
  EXPECT_GE(tracks.size(), 3u);
}

TEST_F(D64ReaderTest, LoadFindsTheFirstClosedProgramThatMatches) {
  const struct {
    const char* pattern;
    int file;  // index in kFiles; -1: not found
  } kSearches[] = {
      {"FIRST", 0}, {"0:FIRST", 0}, {"F?RST", 0},  {"SEC*", 1},  {"*", 0},
      {"L*", 5},    {"LOCKED", 5},  {"LA*XYZ", 9}, {"DATA", -1}, {"OPEN", -1},
      {"FIRS", -1}, {"FIRSTS", -1}, {"REL", -1},   {"", -1},
  };
  for (const auto& search : kSearches) {
    const D64File file = ReadD64Program(*OpenD64(image_), search.pattern);
    if (search.file < 0) {
      EXPECT_EQ(file.fault, D64Fault::kFileNotFound) << search.pattern;
    } else {
      EXPECT_EQ(file.bytes, Contents(kFiles[static_cast<std::size_t>(search.file)]))
          << search.pattern;
    }
  }
}

TEST(D64Reader, FortyTrackImagesReachTracks36To40) {
  const DiskFile far{"FAR", 1000, "-r 36", 0x82};
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
  const D64DirectoryEntry big = ReadD64Directory(*OpenD64(image_)).entries[kBig];
  const std::size_t first = Offset(big.track, big.sector);
  const std::size_t second = Offset(image_[first], image_[first + 1]);
  const std::size_t directory2 = Offset(image_[Offset(18, 1)], image_[Offset(18, 1) + 1]);
  const struct {
    const char* damage;
    std::size_t link;  // the link bytes set to track/sector
    int track, sector;
    D64Fault fault;
    int entriesKept;  // -1: the damage is in the file BIG
  } kDamage[] = {
      {"file loops", second, big.track, big.sector, D64Fault::kChainLoops, -1},
      {"file links past track 35", first, 36, 0, D64Fault::kBadLink, -1},
      {"file links to 1/21", first, 1, 21, D64Fault::kBadLink, -1},
      {"directory loops", directory2, 18, 1, D64Fault::kChainLoops, 10},
      {"directory links past track 40", Offset(18, 1), 41, 0, D64Fault::kBadLink, 8},
      {"error byte on BIG's second sector", 0, 0, 0, D64Fault::kReadError, -1},
  };
  for (const auto& row : kDamage) {
    std::vector<std::uint8_t> image = image_;
    if (row.link != 0) {
      image[row.link] = static_cast<std::uint8_t>(row.track);
      image[row.link + 1] = static_cast<std::uint8_t>(row.sector);
    } else {
      image.resize(175531, 0x01);
      image[174848 + second / kD64SectorBytes] = 0x05;
    }
    const D64Disk disk = *OpenD64(image);
    if (row.entriesKept >= 0) {
      const D64Directory damaged = ReadD64Directory(disk);
      EXPECT_EQ(damaged.fault, row.fault) << row.damage << ": " << damaged.error;
      EXPECT_EQ(damaged.entries.size(), static_cast<std::size_t>(row.entriesKept)) << row.damage;
    } else {
      const D64File file = ReadD64Program(disk, "BIG");
      EXPECT_EQ(file.fault, row.fault) << row.damage << ": " << file.error;
      EXPECT_TRUE(file.bytes.empty()) << row.damage;
      EXPECT_TRUE(ReadD64Program(disk, "FIRST").ok()) << row.damage;
    }
  }
}

}  // namespace
