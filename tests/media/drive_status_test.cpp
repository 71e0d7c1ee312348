// The command channel: the status line after power-on, after each error the 1541 reports
// and after reading it; the read errors of damaged images with their track and sector;
// the reset commands; and a snapshot of the drive taken in the middle of a file.
#include "media/drive.h"

#include <gtest/gtest.h>

#include "media/d64_image.h"
#include "media/named_file_loader.h"
#include "platform/host_services.h"
#include "tests/media/drive_test_support.h"

using namespace media;
using namespace drive_test;

namespace {

const std::vector<Cc1541File> kFiles = {{"PROG", Pattern(700, 1), ""},
                                        {"TEXT", Pattern(300, 2), "-T SEQ"}};

class DriveStatusTest : public DriveFixture {
 protected:
  void SetUp() override {
    image_ = MakeD64Image("", kFiles);
    ASSERT_FALSE(image_.empty());
  }
};

TEST_F(DriveStatusTest, PowerOnAndResetAnswerTheDosVersionAndReadingClearsIt) {
  EXPECT_EQ(BusStatus(drive_), "73,CBM DOS V2.6 1541,00,00");
  EXPECT_EQ(BusStatus(drive_), "00, OK,00,00");
  for (const char* reset : {"UJ", "UI", "UJ\r"}) {
    BusWrite(drive_, 15, Bytes("S0:X*"));  // some other status first
    BusWrite(drive_, 15, Bytes(reset));
    EXPECT_EQ(BusStatus(drive_), "73,CBM DOS V2.6 1541,00,00") << reset;
  }
  // A status read in part goes on where it stopped, and only its end clears it.
  drive_.Talk();
  drive_.Tksa(0x6F);
  EXPECT_EQ(drive_.Acptr().byte, '0');
  drive_.Untalk();
  EXPECT_EQ(BusStatus(drive_), "0, OK,00,00");
}

// Each error through the bus as a program makes it: an OPEN's name (channel 15's name is a
// command) or a command sent to channel 15, then the status line read.
TEST_F(DriveStatusTest, EachErrorGivesThe1541sStatusLine) {
  const struct {
    int secondary;     // 15: `text` is a command
    const char* text;  // the name or command
    bool mounted;
    const char* status;
  } kSteps[] = {
      {2, "PROG", true, "00, OK,00,00"},
      {2, "MISSING", true, "62,FILE NOT FOUND,00,00"},
      {2, "PROG,P,W", true, "63,FILE EXISTS,00,00"},
      {2, "TEXT,P", true, "64,FILE TYPE MISMATCH,00,00"},
      {2, "A*,S,W", true, "33,SYNTAX ERROR,00,00"},
      {2, ",S,W", true, "34,SYNTAX ERROR,00,00"},
      {2, "PROG,X", true, "30,SYNTAX ERROR,00,00"},
      {2, "#", true, "70,NO CHANNEL,00,00"},
      {15, "X", true, "31,SYNTAX ERROR,00,00"},
      {15, "U1:2 0 18 0", true, "31,SYNTAX ERROR,00,00"},
      {15, "S0", true, "34,SYNTAX ERROR,00,00"},
      {15, "R0:A", true, "30,SYNTAX ERROR,00,00"},
      {15, "N0:", true, "34,SYNTAX ERROR,00,00"},
      {15, "S0:0123456789012345678901234567890123456789012345678901234567", true,
       "32,SYNTAX ERROR,00,00"},
      {15, "I0", true, "00, OK,00,00"},
      {15, "I", false, "74,DRIVE NOT READY,00,00"},
      {2, "PROG", false, "74,DRIVE NOT READY,00,00"},
      {2, "NEW,S,W", false, "74,DRIVE NOT READY,00,00"},
      {2, "$", false, "74,DRIVE NOT READY,00,00"},
  };
  for (const auto& step : kSteps) {
    SCOPED_TRACE(step.text);
    if (step.mounted) {
      MountImage(image_);
    } else {
      drive_.Unmount();
    }
    drive_.SetHostFolder(false);
    if (step.secondary == 15) {
      BusWrite(drive_, 15, Bytes(step.text));
    } else {
      BusOpen(drive_, step.secondary, step.text);
      BusClose(drive_, step.secondary);
    }
    EXPECT_EQ(BusStatus(drive_), step.status);
    EXPECT_EQ(BusStatus(drive_), "00, OK,00,00");
  }
}

TEST_F(DriveStatusTest, ChannelMisuseAnswersWriteFileOpenFileNotOpenAndNoChannel) {
  MountImage(image_);
  BusOpen(drive_, 2, "LOG,S,W");
  BusOpen(drive_, 3, "LOG,S,R");
  EXPECT_EQ(BusStatus(drive_), "60,WRITE FILE OPEN,00,00");
  BusOpen(drive_, 3, "LOG,S,W");
  EXPECT_EQ(BusStatus(drive_), "60,WRITE FILE OPEN,00,00");
  BusWrite(drive_, 4, Bytes("NOWHERE"));
  EXPECT_EQ(BusStatus(drive_), "61,FILE NOT OPEN,00,00");
  for (int secondary = 5; secondary <= 8; ++secondary) BusOpen(drive_, secondary, "PROG");
  EXPECT_EQ(BusStatus(drive_), "00, OK,00,00");  // five files open
  BusOpen(drive_, 9, "TEXT");
  EXPECT_EQ(BusStatus(drive_), "70,NO CHANNEL,00,00");
  // Closing the command channel closes every file, storing the one being written.
  BusWrite(drive_, 2, Bytes("LINE"));
  BusOpen(drive_, 15, "");
  BusClose(drive_, 15);
  EXPECT_EQ(BusReadAll(drive_, 5).status, kBusEoi | kBusReadTimeout);
  EXPECT_EQ(FileOnDisk("LOG"), Bytes("LINE"));
  // A SAVE that could not open keeps its OPEN's error while its bytes arrive.
  BusOpen(drive_, 1, "PROG");
  BusWrite(drive_, 1, Bytes("DATA"));
  BusClose(drive_, 1);
  EXPECT_EQ(BusStatus(drive_), "63,FILE EXISTS,00,00");
}

// Damage on the way to a file or through the directory: the read error of the sector's
// error byte (code n is error 18+n) or 66 for a link off the disk or a chain that loops,
// with the sector named; the directory read as a file fails the same way, and LOAD"$"
// ends as a damaged file's load does. A file whose entry lies before the damage reads.
TEST_F(DriveStatusTest, DamagedImagesGiveReadErrorsWithTrackAndSector) {
  const D64Disk clean = *OpenD64(image_);
  const D64DirectoryEntry prog = ReadD64Directory(clean).entries[0];
  const std::size_t directory = *D64SectorOffset(clean, 18, 1);
  const std::size_t file = *D64SectorOffset(clean, prog.track, prog.sector);
  constexpr std::size_t kNoLink = ~std::size_t{0};
  char place[8];
  std::snprintf(place, sizeof place, "%02d,%02d", prog.track, prog.sector);
  const std::string progPlace = place;
  const struct {
    const char* what;
    std::size_t linkAt;  // kNoLink: no link changed
    std::uint8_t track, sector;
    int errorSector;  // sector index given an error byte, -1: none
    std::uint8_t errorByte;
    const char* directoryStatus;  // for "$"
    std::string fileStatus;       // for PROG
  } kDamage[] = {
      {"directory loops", directory, 18, 1, -1, 0, "66,ILLEGAL TRACK AND SECTOR,18,01",
       "00, OK,00,00"},  // PROG's entry comes before the loop closes
      {"directory leaves the disk", directory, 36, 1, -1, 0, "66,ILLEGAL TRACK AND SECTOR,36,01",
       "00, OK,00,00"},  // PROG's entry comes before the bad link
      {"no sync on 18/1", kNoLink, 0, 0, 357 + 1, 3, "21,READ ERROR,18,01", "21,READ ERROR,18,01"},
      {"header checksum on 18/0", kNoLink, 0, 0, 357, 9, "27,READ ERROR,18,00",
       "27,READ ERROR,18,00"},
      {"data checksum in PROG", kNoLink, 0, 0, int(file / 256), 5, "00, OK,00,00",
       "23,READ ERROR," + progPlace},
      {"PROG loops", file, prog.track, prog.sector, -1, 0, "00, OK,00,00",
       "66,ILLEGAL TRACK AND SECTOR," + progPlace},
  };
  RecordMessageBoxes();
  for (const auto& row : kDamage) {
    SCOPED_TRACE(row.what);
    std::vector<std::uint8_t> image = image_;
    image.resize(175531, 0x01);
    if (row.linkAt != kNoLink) {
      image[row.linkAt] = row.track;
      image[row.linkAt + 1] = row.sector;
    }
    if (row.errorSector >= 0) image[174848 + std::size_t(row.errorSector)] = row.errorByte;
    const std::vector<std::uint8_t> kept = image_;
    MountImage(image);
    drive_.SetHostFolder(false);
    BusOpen(drive_, 0, "$");
    const BusRead listing = BusReadAll(drive_, 0);
    EXPECT_EQ(BusStatus(drive_), row.directoryStatus);
    EXPECT_EQ(listing.bytes.empty(), std::string(row.directoryStatus) != "00, OK,00,00");
    BusOpen(drive_, 2, "PROG");
    EXPECT_EQ(BusStatus(drive_), row.fileStatus);
    // LOAD"$",8 through the load trap's loader on the same image.
    ASSERT_TRUE(MountD64(path_));
    RecordedMessageBoxes().clear();
    const core::NamedFileResult loaded = LoadNamedFile({"$", 8, 0, 0x0801, false});
    if (std::string(row.directoryStatus) != "00, OK,00,00") {
      EXPECT_EQ(loaded.outcome, core::NamedFileOutcome::kNotFound);
      ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
      EXPECT_TRUE(RecordedMessageBoxes()[0].text.starts_with("Disk error: "))
          << RecordedMessageBoxes()[0].text;
      EXPECT_NE(RecordedMessageBoxes()[0].text.find(" track "), std::string::npos);
    } else {
      EXPECT_EQ(loaded.outcome, core::NamedFileOutcome::kLoaded);
    }
    UnmountD64();
    image_ = kept;
  }
  platform::SetMessageBoxHandler(nullptr);
}

TEST_F(DriveStatusTest, ASnapshotCarriesOpenChannelsPositionsAndStatus) {
  MountImage(image_);
  BusOpen(drive_, 2, "PROG");
  drive_.Talk();
  drive_.Tksa(0x62);
  for (int k = 0; k < 100; ++k) drive_.Acptr();
  drive_.Untalk();
  BusOpen(drive_, 3, "NEW,S,W");
  BusWrite(drive_, 3, Bytes("HALF"));
  BusOpen(drive_, 4, "MISSING");  // status 62
  core::StateWriter out;
  drive_.Save(out);

  Drive restored;
  restored.Mount(image_, path_, false);
  core::StateReader in(out.Bytes());
  ASSERT_TRUE(restored.Load(in));
  EXPECT_TRUE(in.AtEnd());
  EXPECT_EQ(BusStatus(restored), "62,FILE NOT FOUND,00,00");
  const BusRead rest = BusReadAll(restored, 2);
  EXPECT_EQ(rest.bytes,
            std::vector<std::uint8_t>(kFiles[0].bytes.begin() + 100, kFiles[0].bytes.end()));
  BusWrite(restored, 3, Bytes(" MORE"));
  BusClose(restored, 3);
  EXPECT_EQ(FileOnDisk("NEW"), Bytes("HALF MORE"));

  // A cut or altered snapshot is refused and leaves the drive as it was.
  for (const std::size_t cut : {std::size_t{10}, out.Bytes().size() - 1}) {
    std::vector<std::uint8_t> bytes(out.Bytes().begin(), out.Bytes().begin() + long(cut));
    core::StateReader shortIn(bytes);
    Drive untouched;
    EXPECT_FALSE(untouched.Load(shortIn));
    EXPECT_EQ(BusStatus(untouched), "73,CBM DOS V2.6 1541,00,00");
  }
  std::vector<std::uint8_t> altered = out.Bytes();
  altered[8] = 99;  // the version
  core::StateReader alteredIn(altered);
  Drive untouched;
  EXPECT_FALSE(untouched.Load(alteredIn));
}

}  // namespace
