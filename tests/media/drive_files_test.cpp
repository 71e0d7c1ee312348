// Drive 8 on D64 images made with cc1541: each file type read over the bus, the directory
// as a file, files written and read back, where the 1541 puts their blocks, scratch and
// rename as cc1541 then lists them, a full disk, write protection and a failed write-back.
#include "media/drive.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>

#include "media/d64_directory_listing.h"
#include "tests/media/drive_test_support.h"

using namespace media;
using namespace drive_test;

namespace {

const std::vector<Cc1541File> kFiles = {
    {"PROG", Pattern(700, 1), ""},      {"TEXT", Pattern(300, 2), "-T SEQ"},
    {"USER", Pattern(40, 3), "-T USR"}, {"REL", Pattern(20, 4), "-T REL"},
    {"OPEN", Pattern(30, 5), "-O"},     {"TALE", Pattern(254, 6), "-T SEQ"},
    {"GONE", Pattern(10, 7), "-T DEL"},
};
constexpr int kProg = 0, kText = 1, kUser = 2, kOpen = 4, kTale = 5;

class DriveFilesTest : public DriveFixture {};

// The names the listing program lists, between the quotes of its lines after the header.
std::vector<std::string> ListedNames(const std::vector<std::uint8_t>& listing) {
  std::vector<std::string> names;
  std::size_t at = 2;
  bool header = true;
  while (at + 4 <= listing.size() && (listing[at] | listing[at + 1]) != 0) {
    const auto end = std::find(listing.begin() + static_cast<long>(at) + 4, listing.end(), 0);
    const std::string line(listing.begin() + static_cast<long>(at) + 4, end);
    const std::size_t open = line.find('"');
    if (!header && open != std::string::npos) {
      names.push_back(line.substr(open + 1, line.find('"', open + 1) - open - 1));
    }
    header = false;
    at = static_cast<std::size_t>(end - listing.begin()) + 1;
  }
  return names;
}

TEST_F(DriveFilesTest, EachFileTypeReadsByItsNameTypeAndMode) {
  std::vector<std::uint8_t> image35 = MakeD64Image("", kFiles);
  ASSERT_FALSE(image35.empty());
  std::vector<std::uint8_t> withErrors = image35;
  withErrors.resize(175531, 0x01);
  std::vector<std::uint8_t> image40 = MakeD64Image("-4", kFiles);
  std::vector<std::uint8_t> image40Errors = image40;
  image40Errors.resize(197376, 0x01);
  const struct {
    int secondary;
    const char* name;
    int file;            // in kFiles, or -1
    const char* status;  // after the OPEN
  } kOpens[] = {
      {0, "PROG", kProg, "00, OK,00,00"},
      {0, "0:PROG", kProg, "00, OK,00,00"},
      {0, "P*", kProg, "00, OK,00,00"},
      {0, "TEXT", -1, "62,FILE NOT FOUND,00,00"},  // LOAD passes over other types
      {0, "TEXT,S", kText, "00, OK,00,00"},
      {2, "TEXT", kText, "00, OK,00,00"},
      {2, "TEXT,S", kText, "00, OK,00,00"},
      {2, "TEXT,S,R", kText, "00, OK,00,00"},
      {2, "TEXT,P,R", -1, "64,FILE TYPE MISMATCH,00,00"},
      {3, "USER,U", kUser, "00, OK,00,00"},
      {4, "TA?E,S", kTale, "00, OK,00,00"},
      {2, "REL", -1, "64,FILE TYPE MISMATCH,00,00"},
      {2, "REL,L", -1, "64,FILE TYPE MISMATCH,00,00"},
      {2, "OPEN", -1, "62,FILE NOT FOUND,00,00"},  // unclosed: only with M
      {2, "OPEN,P,M", kOpen, "00, OK,00,00"},
      {2, "GONE", -1, "62,FILE NOT FOUND,00,00"},
      {2, "1:PROG", -1, "74,DRIVE NOT READY,00,00"},
      {2, "", -1, "34,SYNTAX ERROR,00,00"},
  };
  for (const std::vector<std::uint8_t>* image : {&image35, &withErrors, &image40, &image40Errors}) {
    MountImage(*image);
    drive_.SetHostFolder(false);
    for (const auto& row : kOpens) {
      SCOPED_TRACE(testing::Message() << image->size() << " " << row.name);
      BusOpen(drive_, row.secondary, row.name);
      const BusRead read = BusReadAll(drive_, row.secondary);
      if (row.file >= 0) {
        EXPECT_EQ(read.bytes, kFiles[std::size_t(row.file)].bytes);
        EXPECT_EQ(read.status, kBusEoi);
      } else {
        EXPECT_TRUE(read.bytes.empty());
        EXPECT_EQ(read.status, kBusEoi | kBusReadTimeout);
      }
      EXPECT_EQ(BusStatus(drive_), row.status);
      EXPECT_EQ(BusStatus(drive_), "00, OK,00,00");  // read once, the status is cleared
      BusClose(drive_, row.secondary);
    }
  }
}

TEST_F(DriveFilesTest, TheDirectoryReadsAsLoadsListingAndFiltersByPattern) {
  MountImage(MakeD64Image("-n " + Cc1541Text("files"), kFiles));
  const std::vector<std::uint8_t> whole = DirectoryListingProgram(ReadD64Directory(Disk()));
  const struct {
    int secondary;
    const char* name;
    std::vector<std::string> names;
  } kListings[] = {
      {0, "$", {"PROG", "TEXT", "USER", "REL", "OPEN", "TALE", "GONE"}},
      {2, "$0", {"PROG", "TEXT", "USER", "REL", "OPEN", "TALE", "GONE"}},
      {0, "$0:T*", {"TEXT", "TALE"}},
      {5, "$:T*", {"TEXT", "TALE"}},
      {0, "$:?E*", {"TEXT", "REL"}},
      {0, "$:NONE", {}},
  };
  for (const auto& row : kListings) {
    SCOPED_TRACE(row.name);
    BusOpen(drive_, row.secondary, row.name);
    const BusRead read = BusReadAll(drive_, row.secondary);
    EXPECT_EQ(read.status, kBusEoi);
    EXPECT_EQ(ListedNames(read.bytes), row.names);
    if (row.names.size() == 7) {
      EXPECT_EQ(read.bytes, whole);
    }
    EXPECT_EQ(BusStatus(drive_), "00, OK,00,00");
    BusClose(drive_, row.secondary);
  }
}

// A sequential file written byte by byte on a data channel, and a program saved as the
// KERNAL's SAVE sends it, read back through the drive, from the image file written back
// and in cc1541's listing; a file cc1541 adds afterwards leaves them whole (the BAM holds
// their blocks).
TEST_F(DriveFilesTest, WrittenFilesReadBackAndTheBamHoldsThem) {
  MountImage(MakeD64Image("", {}));
  const std::vector<std::uint8_t> text = Pattern(600, 9);
  const std::vector<std::uint8_t> program = Pattern(3000, 10);
  BusOpen(drive_, 2, "DATA,S,W");
  EXPECT_EQ(BusStatus(drive_), "00, OK,00,00");
  for (const std::uint8_t byte : text) BusWrite(drive_, 2, std::span(&byte, 1));
  BusClose(drive_, 2);
  BusOpen(drive_, 1, "0:PROGRAM");
  BusWrite(drive_, 1, program);
  BusClose(drive_, 1);
  EXPECT_EQ(BusStatus(drive_), "00, OK,00,00");

  for (const auto& [name, bytes] : {std::pair{"DATA,S", text}, std::pair{"PROGRAM", program}}) {
    BusOpen(drive_, 0, name);
    EXPECT_EQ(BusReadAll(drive_, 0).bytes, bytes) << name;
    BusClose(drive_, 0);
  }
  EXPECT_EQ(ImageFile(), image_);
  const std::string listing = Cc1541Listing(image_);
  EXPECT_NE(listing.find("3    \"data\"             seq"), std::string::npos) << listing;
  EXPECT_NE(listing.find("12   \"program\"          prg"), std::string::npos) << listing;
  EXPECT_NE(listing.find("649 blocks free."), std::string::npos) << listing;

  image_ = Cc1541Adds(image_, 100000);
  EXPECT_EQ(FileOnDisk("DATA"), text);
  EXPECT_EQ(FileOnDisk("PROGRAM"), program);
  EXPECT_EQ(FileOnDisk("FILLER"), Pattern(100000, 0x55));
}

// The 1541's placement on an empty disk: the first file from track 17 sector 0, ten
// sectors on each time (wrapping round the track's 21), the next file after it on track
// 17, and track 16 once 17 is full; directory sectors 3 apart on track 18.
TEST_F(DriveFilesTest, BlocksGoWhereThe1541PutsThem) {
  MountImage(MakeD64Image("", {}));
  drive_.SetHostFolder(false);
  const auto save = [&](const std::string& name, std::size_t size) {
    BusOpen(drive_, 1, name);
    BusWrite(drive_, 1, Pattern(size, 1));
    BusClose(drive_, 1);
    ASSERT_EQ(BusStatus(drive_), "00, OK,00,00") << name;
  };
  const auto chain = [&](std::string_view name) {
    std::vector<std::pair<int, int>> sectors;
    const D64DirectoryEntry* entry = Entry(name);
    if (!entry) return sectors;
    int track = entry->track, sector = entry->sector;
    while (track != 0 && sectors.size() < 100) {
      sectors.emplace_back(track, sector);
      const std::uint8_t* bytes = image_.data() + *D64SectorOffset(Disk(), track, sector);
      track = bytes[0];
      sector = bytes[1];
    }
    return sectors;
  };
  using Chain = std::vector<std::pair<int, int>>;
  save("FIRST", 4 * 254);
  EXPECT_EQ(chain("FIRST"), (Chain{{17, 0}, {17, 10}, {17, 20}, {17, 9}}));
  save("SECOND", 2 * 254);
  EXPECT_EQ(chain("SECOND"), (Chain{{17, 1}, {17, 11}}));
  save("THIRD", 17 * 254);  // the 15 sectors left on track 17, then track 16
  const Chain third = chain("THIRD");
  ASSERT_EQ(third.size(), 17u);
  EXPECT_EQ(third[0], (std::pair{17, 2}));
  EXPECT_EQ(third[1], (std::pair{17, 12}));
  EXPECT_EQ(third[14].first, 17);
  EXPECT_EQ(third[15], (std::pair{16, 0}));
  EXPECT_EQ(third[16], (std::pair{16, 10}));

  // Entries 9 and 17 each need a new directory sector: 18/4, then 18/7.
  for (int k = 4; k <= 17; ++k) save(std::string("F").append(std::to_string(k)), 10);
  const std::size_t directory = *D64SectorOffset(Disk(), 18, 1);
  EXPECT_EQ(image_[directory], 18);
  EXPECT_EQ(image_[directory + 1], 4);
  const std::size_t second = *D64SectorOffset(Disk(), 18, 4);
  EXPECT_EQ(image_[second], 18);
  EXPECT_EQ(image_[second + 1], 7);
  EXPECT_EQ(ReadD64Directory(Disk()).entries.size(), 17u);
  EXPECT_NE(Cc1541Listing(image_).find("\"f17\""), std::string::npos);
}

TEST_F(DriveFilesTest, ReplaceAndAppendKeepOneEntryAndFreeTheOldBlocks) {
  MountImage(MakeD64Image("", {{"LOG", Pattern(600, 1), "-T SEQ"}}));
  const int freeBefore = ReadD64Directory(Disk()).header.blocksFree;
  BusOpen(drive_, 2, "LOG,S,W");
  EXPECT_EQ(BusStatus(drive_), "63,FILE EXISTS,00,00");
  BusOpen(drive_, 2, "@0:LOG,S,W");
  BusWrite(drive_, 2, Bytes("SHORT"));
  BusClose(drive_, 2);
  EXPECT_EQ(FileOnDisk("LOG"), Bytes("SHORT"));
  EXPECT_EQ(ReadD64Directory(Disk()).header.blocksFree, freeBefore + 2);  // 3 blocks, now 1
  BusOpen(drive_, 2, "LOG,S,A");
  BusWrite(drive_, 2, Bytes(" AND MORE"));
  BusClose(drive_, 2);
  EXPECT_EQ(BusStatus(drive_), "00, OK,00,00");
  EXPECT_EQ(FileOnDisk("LOG"), Bytes("SHORT AND MORE"));
  EXPECT_EQ(ReadD64Directory(Disk()).entries.size(), 1u);
  EXPECT_EQ(ImageFile(), image_);
}

TEST_F(DriveFilesTest, ScratchAndRenameAsCc1541ListsThem) {
  MountImage(MakeD64Image("", {{"ALPHA", Pattern(600, 1), ""},
                               {"ALSO", Pattern(300, 2), "-T SEQ"},
                               {"BETA", Pattern(10, 3), ""},
                               {"LOCKED", Pattern(10, 4), "-P"}}));
  drive_.SetHostFolder(false);
  const struct {
    const char* command;
    const char* status;
    std::vector<const char*> listed;  // cc1541's lines afterwards (names in its lower case)
    std::vector<const char*> gone;
  } kSteps[] = {
      {"S0:AL*",
       "01,FILES SCRATCHED,02,00",
       {"\"beta\"", "662 blocks free."},
       {"\"alpha\"", "\"also\""}},
      {"S0:NOTHING", "01,FILES SCRATCHED,00,00", {"\"beta\""}, {}},
      {"S0:LOCKED", "01,FILES SCRATCHED,00,00", {"\"locked\""}, {}},
      {"R0:GAMMA=BETA", "00, OK,00,00", {"\"gamma\""}, {"\"beta\""}},
      {"R0:GAMMA=LOCKED", "63,FILE EXISTS,00,00", {"\"locked\""}, {}},
      {"R0:DELTA=BETA", "62,FILE NOT FOUND,00,00", {}, {"\"delta\""}},
      {"R0:X*=GAMMA", "33,SYNTAX ERROR,00,00", {"\"gamma\""}, {}},
      {"R0:DELTA", "30,SYNTAX ERROR,00,00", {}, {"\"delta\""}},
      {"S:GAMMA,0:LOCKED", "01,FILES SCRATCHED,01,00", {"663 blocks free."}, {"\"gamma\""}},
  };
  for (const auto& step : kSteps) {
    SCOPED_TRACE(step.command);
    BusWrite(drive_, 15, Bytes(step.command));
    EXPECT_EQ(BusStatus(drive_), step.status);
    EXPECT_EQ(ImageFile(), image_);
    const std::string listing = Cc1541Listing(image_);
    for (const char* text : step.listed)
      EXPECT_NE(listing.find(text), std::string::npos) << listing;
    for (const char* text : step.gone) EXPECT_EQ(listing.find(text), std::string::npos) << listing;
  }
}

// A disk with two blocks free: three blocks do not fit and leave the disk as it was (no
// entry, no blocks taken); two do.
TEST_F(DriveFilesTest, AFullDiskAnswersDiskFullAndLeavesNoPartOfTheFile) {
  MountImage(MakeD64Image("", {{"HUGE", Pattern(662 * 254, 1), ""}}));
  ASSERT_EQ(ReadD64Directory(Disk()).header.blocksFree, 2);
  const std::vector<std::uint8_t> before = image_;
  for (const int secondary : {1, 2}) {
    BusOpen(drive_, secondary, secondary == 1 ? "BIG" : "BIG,S,W");
    BusWrite(drive_, secondary, Pattern(3 * 254, 2));
    EXPECT_EQ(BusStatus(drive_), "72,DISK FULL,00,00");
    BusClose(drive_, secondary);
    EXPECT_EQ(BusStatus(drive_), "72,DISK FULL,00,00");
    EXPECT_EQ(image_, before);
    EXPECT_EQ(ImageFile(), before);
  }
  BusOpen(drive_, 1, "FITS");
  BusWrite(drive_, 1, Pattern(2 * 254, 2));
  BusClose(drive_, 1);
  EXPECT_EQ(BusStatus(drive_), "00, OK,00,00");
  EXPECT_EQ(FileOnDisk("FITS"), Pattern(2 * 254, 2));
  EXPECT_NE(Cc1541Listing(image_).find("0 blocks free."), std::string::npos);
  BusOpen(drive_, 1, "MORE");
  EXPECT_EQ(BusStatus(drive_), "72,DISK FULL,00,00");
}

TEST_F(DriveFilesTest, AWriteProtectedDiskRefusesEveryChange) {
  const std::vector<std::uint8_t> image = MakeD64Image("", {{"KEEP", Pattern(10, 1), ""}});
  for (const bool byFile : {false, true}) {
    SCOPED_TRACE(byFile ? "read-only file" : "flagged");
    if (byFile) {
      image_ = image;
      path_ = WriteTestFile(folder_.Path(), "disk.d64", image_);
      ::chmod(path_.c_str(), 0444);
      drive_.Mount(image_, path_, false);
    } else {
      MountImage(image, true);
    }
    EXPECT_TRUE(drive_.writeProtected());
    for (const char* open : {"NEW,S,W", "@0:KEEP,P,W", "KEEP,P,A"}) {
      BusOpen(drive_, 2, open);
      EXPECT_EQ(BusStatus(drive_), "26,WRITE PROTECT ON,00,00") << open;
    }
    BusOpen(drive_, 1, "SAVED");
    EXPECT_EQ(BusStatus(drive_), "26,WRITE PROTECT ON,00,00");
    for (const char* command : {"S0:KEEP", "R0:NEW=KEEP", "N0:BLANK,01", "N0:BLANK"}) {
      BusWrite(drive_, 15, Bytes(command));
      EXPECT_EQ(BusStatus(drive_), "26,WRITE PROTECT ON,00,00") << command;
    }
    BusOpen(drive_, 0, "KEEP");
    EXPECT_EQ(BusReadAll(drive_, 0).bytes, Pattern(10, 1));
    EXPECT_EQ(image_, image);
    EXPECT_EQ(ReadWholeFile(path_), image);
    ::chmod(path_.c_str(), 0644);
  }
}

// A write-back cut short (here by a file-size limit below the image's size) leaves the
// image file whole and the image in memory as it was; the status says so.
TEST_F(DriveFilesTest, AFailedWriteBackLeavesTheOldImageWhole) {
  const std::vector<std::uint8_t> image = MakeD64Image("", {{"OLD", Pattern(10, 1), ""}});
  MountImage(image);
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit limited = saved;
  limited.rlim_cur = 100000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  BusOpen(drive_, 1, "NEW");
  BusWrite(drive_, 1, Pattern(500, 2));
  BusClose(drive_, 1);
  const std::string afterSave = BusStatus(drive_);
  BusWrite(drive_, 15, Bytes("S0:OLD"));
  const std::string afterScratch = BusStatus(drive_);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_EQ(afterSave, "25,WRITE ERROR,18,00");
  EXPECT_EQ(afterScratch, "25,WRITE ERROR,18,00");
  EXPECT_FALSE(drive_.writeBackError().empty());
  EXPECT_EQ(ReadWholeFile(path_), image);
  EXPECT_EQ(image_, image);
  std::size_t leftovers = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder_.Path())) {
    leftovers += entry.path().filename() != "disk.d64" ? 1 : 0;
  }
  EXPECT_EQ(leftovers, 0u);  // no temporary file left beside it
}

TEST_F(DriveFilesTest, FormattingMakesAnEmptyDiskWithOrWithoutANewId) {
  MountImage(MakeD64Image("-i " + Cc1541Text("ab"), {{"ONE", Pattern(3000, 1), ""}}));
  const struct {
    const char* command;
    const char* header;  // cc1541's header line
  } kFormats[] = {{"N0:QUICK", "\"quick           \" ab 2a"},
                  {"N0:FRESH,XY", "\"fresh           \" xy 2a"}};
  for (const auto& row : kFormats) {
    BusWrite(drive_, 15, Bytes(row.command));
    EXPECT_EQ(BusStatus(drive_), "00, OK,00,00");
    const std::string listing = Cc1541Listing(image_);
    EXPECT_NE(listing.find(row.header), std::string::npos) << listing;
    EXPECT_NE(listing.find("664 blocks free."), std::string::npos) << listing;
    EXPECT_EQ(listing.find("\"one\""), std::string::npos);
    EXPECT_EQ(ImageFile(), image_);
  }
}

}  // namespace
