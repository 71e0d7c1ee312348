// The current folder as drive 8: SAVE and OPEN for writing make files there, names match
// host names exactly first and then with letters of either case, "$" lists the folder,
// and symbolic links lead nowhere: not through the drive, not through the load trap.
#include "media/drive.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/machine.h"
#include "media/host_file_names.h"
#include "media/named_file_loader.h"
#include "platform/host_services.h"
#include "tests/media/drive_test_support.h"

using namespace media;
using namespace drive_test;
namespace fs = std::filesystem;

namespace {

class DriveHostTest : public ::testing::Test {
 protected:
  fs::path Here(const std::string& name) const { return folder_.Path() / name; }

  WorkingFolder folder_{"drive-host"};
  Drive drive_;
};

TEST_F(DriveHostTest, SaveAndWriteMakeFilesThatExistingNamesRefuseUnlessReplaced) {
  const struct {
    int secondary;
    const char* name;
    const char* file;  // the host file written, or nullptr
    const char* status;
  } kWrites[] = {
      {1, "HELLO", "HELLO", "00, OK,00,00"},
      {1, "HELLO", nullptr, "63,FILE EXISTS,00,00"},
      {1, "@0:HELLO", "HELLO", "00, OK,00,00"},
      {1, "@:HELLO", "HELLO", "00, OK,00,00"},
      {2, "NOTES,S,W", "NOTES", "00, OK,00,00"},
      {2, "0:NOTES,S,W", nullptr, "63,FILE EXISTS,00,00"},
      {2, "NOTES,S,A", "NOTES", "00, OK,00,00"},
      {1, "..", nullptr, "33,SYNTAX ERROR,00,00"},
      {1, "A/B", nullptr, "33,SYNTAX ERROR,00,00"},
      {1, "W*", nullptr, "33,SYNTAX ERROR,00,00"},
  };
  std::vector<std::uint8_t> notes;
  for (const auto& row : kWrites) {
    SCOPED_TRACE(row.name);
    const std::vector<std::uint8_t> bytes = Bytes(row.name);
    BusOpen(drive_, row.secondary, row.name);
    const std::string opened = BusStatus(drive_);
    BusWrite(drive_, row.secondary, bytes);
    BusClose(drive_, row.secondary);
    EXPECT_EQ(opened, row.status);
    if (!row.file) continue;
    std::vector<std::uint8_t> expected = bytes;
    if (std::string(row.name).ends_with(",A")) {
      expected.insert(expected.begin(), notes.begin(), notes.end());
    }
    if (std::string(row.file) == "NOTES") notes = expected;
    EXPECT_EQ(ReadWholeFile(Here(row.file)), expected);
  }
  // Read back through the drive: SAVE's file by LOAD's channel.
  BusOpen(drive_, 0, "HELLO");
  EXPECT_EQ(BusReadAll(drive_, 0).bytes, Bytes("@:HELLO"));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_.Path()), fs::directory_iterator()), 2);
}

// The exact name first, then the same letters in either case, then patterns (exact case
// first); "$" lists the folder with a pattern.
TEST_F(DriveHostTest, NamesMatchExactlyFirstThenLettersOfEitherCase) {
  for (const char* name : {"Game", "GAME", "tool.prg", "Zeta", "readme"}) {
    WriteTestFile(folder_.Path(), name, Bytes(name));
  }
  const struct {
    const char* asked;
    const char* found;  // nullptr: 62
  } kNames[] = {
      {"GAME", "GAME"},   {"Game", "Game"},   {"game", "GAME"},       {"TOOL.PRG", "tool.prg"},
      {"T*", "tool.prg"}, {"Z?TA", "Zeta"},   {"0:README", "readme"}, {"G*", "GAME"},
      {"TOOL", nullptr},  {"ZETA2", nullptr},
  };
  for (const auto& row : kNames) {
    SCOPED_TRACE(row.asked);
    EXPECT_EQ(FindHostFile(row.asked).value_or("-"), row.found ? row.found : "-");
    BusOpen(drive_, 2, row.asked);
    const BusRead read = BusReadAll(drive_, 2);
    if (row.found) {
      EXPECT_EQ(read.bytes, Bytes(row.found));
      EXPECT_EQ(BusStatus(drive_), "00, OK,00,00");
    } else {
      EXPECT_EQ(read.status, kBusEoi | kBusReadTimeout);
      EXPECT_EQ(BusStatus(drive_), "62,FILE NOT FOUND,00,00");
    }
  }
  BusOpen(drive_, 0, "$:T*");
  const std::vector<std::uint8_t> listing = BusReadAll(drive_, 0).bytes;
  const std::string text(listing.begin(), listing.end());
  EXPECT_NE(text.find("\"HOST FOLDER     \""), std::string::npos);
  EXPECT_NE(text.find("\"TOOL.PRG\""), std::string::npos);
  EXPECT_EQ(text.find("\"ZETA\""), std::string::npos);
  EXPECT_EQ(text.find("\"GAME\""), std::string::npos);
}

TEST_F(DriveHostTest, ScratchAndRenameActOnTheFoldersFiles) {
  for (const char* name : {"OLD1", "OLD2", "KEEP"}) WriteTestFile(folder_.Path(), name, {1});
  BusWrite(drive_, 15, Bytes("S0:OLD*"));
  EXPECT_EQ(BusStatus(drive_), "01,FILES SCRATCHED,02,00");
  BusWrite(drive_, 15, Bytes("R0:KEPT=KEEP"));
  EXPECT_EQ(BusStatus(drive_), "00, OK,00,00");
  WriteTestFile(folder_.Path(), "OTHER", {2});
  BusWrite(drive_, 15, Bytes("R0:KEPT=OTHER"));
  EXPECT_EQ(BusStatus(drive_), "63,FILE EXISTS,00,00");
  BusWrite(drive_, 15, Bytes("N0:DISK,01"));
  EXPECT_EQ(BusStatus(drive_), "26,WRITE PROTECT ON,00,00");
  EXPECT_TRUE(fs::exists(Here("KEPT")));
  EXPECT_TRUE(fs::exists(Here("OTHER")));
  EXPECT_FALSE(fs::exists(Here("OLD1")) || fs::exists(Here("OLD2")) || fs::exists(Here("KEEP")));
}

// A name the mounted disk does not have is read from the folder; writing goes to the disk.
TEST_F(DriveHostTest, ADiskNameMissingFromTheImageIsReadFromTheFolder) {
  std::vector<std::uint8_t> image = MakeD64Image("", {{"ONDISK", Bytes("DISK"), ""}});
  drive_.Mount(image, "", false);
  WriteTestFile(folder_.Path(), "ONDISK", Bytes("HOST"));
  WriteTestFile(folder_.Path(), "HOSTONLY", Bytes("HOST ONLY"));
  for (const auto& [name, bytes] :
       {std::pair{"ONDISK", Bytes("DISK")}, std::pair{"HOSTONLY", Bytes("HOST ONLY")}}) {
    BusOpen(drive_, 0, name);
    EXPECT_EQ(BusReadAll(drive_, 0).bytes, bytes) << name;
  }
  BusOpen(drive_, 1, "HOSTONLY");  // not on the disk: written there
  BusWrite(drive_, 1, Bytes("NEW"));
  BusClose(drive_, 1);
  EXPECT_EQ(BusStatus(drive_), "00, OK,00,00");
  EXPECT_EQ(ReadWholeFile(Here("HOSTONLY")), Bytes("HOST ONLY"));
  drive_.SetHostFolder(false);
  BusOpen(drive_, 0, "HOSTONLY");
  EXPECT_EQ(BusReadAll(drive_, 0).bytes, Bytes("NEW"));
}

// Links of every kind stay out of reach: to a file outside (as /etc/passwd would be), to
// ../, to a file in the folder; by name, by pattern, for VERIFY, and for writing, scratch
// and rename, which leave the link and its target as they were.
TEST_F(DriveHostTest, SymbolicLinksAreRefusedEverywhere) {
  const fs::path outside = FreshTempDirectory("drive-outside");
  WriteTestFile(outside, "secret", {0x01, 0x08, 'S', 'E', 'C', 'R', 'E', 'T'});
  WriteTestFile(folder_.Path(), "REAL", {0x01, 0x08, 'R'});
  fs::create_symlink(outside / "secret", Here("PASSWD"));
  fs::create_symlink("../" + folder_.Path().filename().string() + "/REAL", Here("UPLINK"));
  fs::create_symlink("REAL", Here("INSIDE"));
  fs::create_symlink(outside, Here("SUBDIR"));
  RecordMessageBoxes();
  const struct {
    const char* name;
    bool found;  // REAL only
  } kNames[] = {{"PASSWD", false}, {"PASS*", false},  {"passwd", false}, {"UPLINK", false},
                {"INSIDE", false}, {"SUBDIR", false}, {"?NSIDE", false}, {"*", true}};
  for (const auto& row : kNames) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(FindHostFile(row.name).has_value(), row.found);
    for (const bool verify : {false, true}) {
      std::fill(core::C64.memory.ram + 0x0801, core::C64.memory.ram + 0x0810, 0);
      const core::NamedFileResult loaded = LoadNamedFile({row.name, 8, 0, 0x0801, verify});
      EXPECT_EQ(loaded.outcome == core::NamedFileOutcome::kNotFound, !row.found);
      EXPECT_NE(core::C64.memory.ram[0x0801], 'S');
    }
    BusOpen(drive_, 2, row.name);
    const BusRead read = BusReadAll(drive_, 2);
    EXPECT_EQ(read.bytes.empty(), !row.found);
    EXPECT_EQ(std::count(read.bytes.begin(), read.bytes.end(), 'S'), 0);
    BusClose(drive_, 2);
  }
  BusOpen(drive_, 0, "$");
  const std::vector<std::uint8_t> listing = BusReadAll(drive_, 0).bytes;
  const std::string text(listing.begin(), listing.end());
  EXPECT_NE(text.find("\"REAL\""), std::string::npos);
  for (const char* name : {"PASSWD", "UPLINK", "INSIDE", "SUBDIR"}) {
    EXPECT_EQ(text.find(std::string("\"") + name + "\""), std::string::npos) << name;
  }
  // LOAD"$",8 with no disk loads the same listing at BASIC's start.
  ASSERT_GT(listing.size(), 2u);
  EXPECT_EQ(LoadNamedFile({"$", 8, 0, 0x0801, false}).outcome, core::NamedFileOutcome::kLoaded);
  EXPECT_TRUE(std::equal(listing.begin() + 2, listing.end(), core::C64.memory.ram + 0x0801));

  for (const char* name : {"@0:PASSWD", "PASSWD", "@0:INSIDE"}) {
    BusOpen(drive_, 1, name);
    BusWrite(drive_, 1, Bytes("OVERWRITTEN"));
    BusClose(drive_, 1);
    EXPECT_EQ(BusStatus(drive_), "63,FILE EXISTS,00,00") << name;
  }
  BusWrite(drive_, 15, Bytes("S0:PASSWD,INSIDE,UPLINK"));
  EXPECT_EQ(BusStatus(drive_), "01,FILES SCRATCHED,00,00");
  BusWrite(drive_, 15, Bytes("R0:MINE=PASSWD"));
  EXPECT_EQ(BusStatus(drive_), "62,FILE NOT FOUND,00,00");
  EXPECT_TRUE(fs::is_symlink(Here("PASSWD")) && fs::is_symlink(Here("INSIDE")));
  EXPECT_EQ(ReadWholeFile(outside / "secret").size(), 8u);
  EXPECT_EQ(ReadWholeFile(Here("REAL")).size(), 3u);
  platform::SetMessageBoxHandler(nullptr);
  fs::remove_all(outside);
}

TEST_F(DriveHostTest, WithoutDiskOrFolderTheDriveIsNotReady) {
  drive_.SetHostFolder(false);
  WriteTestFile(folder_.Path(), "THERE", {1});
  for (const char* name : {"THERE", "$", "NEW,S,W"}) {
    BusOpen(drive_, 2, name);
    EXPECT_EQ(BusStatus(drive_), "74,DRIVE NOT READY,00,00") << name;
  }
  BusWrite(drive_, 15, Bytes("S0:THERE"));
  EXPECT_EQ(BusStatus(drive_), "74,DRIVE NOT READY,00,00");
  EXPECT_TRUE(fs::exists(Here("THERE")));
}

}  // namespace
