// Drive 8 as BASIC reaches it through the KERNAL's serial-bus routines: SAVE, OPEN,
// PRINT#, INPUT#, GET# and CLOSE typed into the headless runner against cc1541's images
// and the host folder, in both machine models, and the written images listed by cc1541.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "apps/headless_runner.h"
#include "core/machine.h"
#include "media/d64_image.h"
#include "media/disk_drive.h"
#include "shell/snapshot_file.h"
#include "tests/support/test_machine.h"

using namespace core;
using namespace apps;

namespace {

namespace fs = std::filesystem;

class DiskDriveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadTestRoms();
    RecordMessageBoxes();
    const std::vector<std::uint8_t> image = MakeD64Image(
        "-n " + Cc1541Text("work") + " -i " + Cc1541Text("w1 2a"), {{"SUM", kSumProgram, ""}});
    ASSERT_FALSE(image.empty());
    WriteTestFile(directory_, "work.d64", image);
  }
  // Runs the typed text with the disk mounted (unless `mount` is false) and returns the
  // screen's rows without their trailing spaces.
  std::string Run(const std::string& typed, MachineModel model, bool mount = true,
                  bool readOnly = false) {
    HeadlessOptions options;
    if (mount) options.disk = "work.d64";
    options.readOnlyDisk = readOnly;
    options.model = model;
    options.typeText = typed;
    options.screenText = true;
    options.frames = 200;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunHeadless(options, out, err), 0) << err.str();
    std::istringstream rows(out.str());
    std::string text;
    for (std::string row; std::getline(rows, row);) {
      text += row.substr(0, row.find_last_not_of(' ') + 1) + "\n";
    }
    return text;
  }
  // The directory of the image as cc1541 lists it (it adds nothing when given no file).
  std::string Listing() const {
    const std::string command = "cc1541 '" + (directory_ / "work.d64").string() + "' 2>&1";
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
      char buffer[256];
      while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) text += buffer;
      pclose(pipe);
    }
    return text;
  }
  WorkingFolder folder_{"drive"};
  const fs::path& directory_ = folder_.Path();
};

constexpr MachineModel kModels[] = {MachineModel::kClassic, MachineModel::kAccurate};

std::string ModelName(MachineModel model) {
  return model == MachineModel::kAccurate ? "accurate" : "classic";
}

// Each script on a fresh copy of the image: what the screen shows, and what cc1541 then
// lists on the image (or must not).
TEST_F(DiskDriveTest, BasicFilesOnTheMountedImageInBothModels) {
  const struct {
    const char* what;
    const char* typed;
    const char* screen;
    const char* listed;    // in cc1541's listing afterwards ("" for nothing new)
    const char* unlisted;  // not in it
  } kCases[] = {
      {"SAVE, LOAD and VERIFY a program",
       "10 print\"saved\"\nsave\"prog\",8\nnew\nload\"prog\",8\nverify\"prog\",8\nlist\n",
       "\nVERIFYING\nOK\n\nREADY.\nLIST\n\n10 PRINT\"SAVED\"\nREADY.\n",
       "\n1    \"prog\"             prg", ""},
      {"a SEQ file written with PRINT# and read with INPUT#",
       "10 open2,8,2,\"notes,s,w\":print#2,\"hello,\";42:close2\n"
       "20 open2,8,2,\"notes\":input#2,a$,b:close2:print\"[\"a$\"]\"b\nrun\n",
       "\nRUN\n[HELLO] 42\n", "\n1    \"notes\"            seq", ""},
      {"the status after opening a missing file",
       "10 open15,8,15:open3,8,3,\"missing\"\n20 input#15,a,b$,c,d:printa;b$;c;d\n"
       "30 close3:close15\nrun\n",
       "\nRUN\n 62 FILE NOT FOUND 0  0\n", "", "missing"},
      {"the directory read as a file",
       "10 open1,8,0,\"$\":fori=1to8:get#1,x$:next\n"
       "20 fori=1to16:get#1,x$:n$=n$+x$:next:close1:print\"[\"n$\"]\"\nrun\n",
       "\nRUN\n[WORK            ]\n", "", ""},
      {"the power-on status", "10 open15,8,15:input#15,a,b$:printa;b$:close15\nrun\n",
       "\nRUN\n 73 CBM DOS V2.6 1541\n", "", ""},
  };
  for (const MachineModel model : kModels) {
    for (const auto& row : kCases) {
      SCOPED_TRACE(std::string(row.what) + ", " + ModelName(model));
      SetUp();
      const std::string screen = Run(row.typed, model);
      EXPECT_NE(screen.find(row.screen), std::string::npos) << screen;
      const std::string listing = Listing();
      EXPECT_NE(listing.find("\n1    \"sum\"              prg"), std::string::npos) << listing;
      if (*row.listed != '\0') {
        EXPECT_NE(listing.find(row.listed), std::string::npos) << listing;
        EXPECT_NE(listing.find("\n662 blocks free."), std::string::npos) << listing;
      } else {
        EXPECT_NE(listing.find("\n663 blocks free."), std::string::npos) << listing;
      }
      if (*row.unlisted != '\0') {
        EXPECT_EQ(listing.find(row.unlisted), std::string::npos) << listing;
      }
    }
  }
}

// A write-protected disk takes nothing: SAVE seems to go through, as on a 1541, and the
// command channel tells why; the image's file is unchanged.
TEST_F(DiskDriveTest, AReadOnlyDiskRefusesWritesWithWriteProtectOn) {
  const std::string before = Listing();
  const std::string screen =
      Run("save\"prog\",8\n10 open15,8,15:input#15,a,b$:printa;b$:close15\nrun\n",
          MachineModel::kClassic, true, true);
  EXPECT_NE(screen.find("\nRUN\n 26 WRITE PROTECT ON\n"), std::string::npos) << screen;
  EXPECT_EQ(Listing(), before);
}

// With no disk, the current folder is the disk: SAVE writes a file there, and a name is
// found whatever the case of its letters.
TEST_F(DiskDriveTest, TheHostFolderServesWithNoDisk) {
  WriteTestFile(directory_, "Greeting.Txt", {'H', 'I', 0x0D});
  const std::string screen =
      Run("10 print\"hosted\"\nsave\"hostprog\",8\n"
          "20 open2,8,2,\"greeting.txt\":input#2,a$:close2:print\"[\"a$\"]\"\nrun\n",
          MachineModel::kClassic, false);
  EXPECT_NE(screen.find("\nRUN\nHOSTED\n[HI]\n"), std::string::npos) << screen;
  // The name as the machine sent it: PETSCII capitals, which are ASCII capitals.
  std::ifstream saved(directory_ / "HOSTPROG", std::ios::binary);
  ASSERT_TRUE(saved.good()) << "the saved program is not in the folder";
  const std::vector<char> bytes((std::istreambuf_iterator<char>(saved)),
                                std::istreambuf_iterator<char>());
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes[0], 0x01);  // saved from BASIC's start, $0801
  EXPECT_EQ(bytes[1], 0x08);
}

// No datasette: SAVE to tape ends at once instead of waiting for RECORD and PLAY, in
// both models; the machine goes on.
TEST_F(DiskDriveTest, TapeSaveFailsWithDeviceNotPresent) {
  for (const MachineModel model : kModels) {
    SCOPED_TRACE(ModelName(model));
    const std::string screen = Run("save\"x\",1\nprint\"after\"\n", model, false);
    EXPECT_NE(
        screen.find("\nSAVE\"X\",1\n\n?DEVICE NOT PRESENT  ERROR\nREADY.\nPRINT\"AFTER\"\nAFTER\n"),
        std::string::npos)
        << screen;
    EXPECT_EQ(screen.find("PRESS RECORD"), std::string::npos) << screen;
  }
}

// A snapshot keeps the drive beside its disk: a file open at the snapshot goes on from
// the same byte after the restore, though the drive was reset in between.
TEST_F(DiskDriveTest, ASnapshotKeepsTheOpenFileAndItsPosition) {
  PowerOnTestMachine();
  ASSERT_TRUE(media::MountD64("work.d64"));
  media::Drive& drive = media::DiskDrive();
  const std::uint8_t name[] = {'S', 'U', 'M'};
  ASSERT_EQ(drive.Open(2, name).code, 0);
  EXPECT_EQ(drive.Read(2).byte, kSumProgram[0]);
  C64.traps.busDevice8 = kBusTalking;
  const std::vector<std::uint8_t> snapshot = shell::MakeSnapshot();

  drive.Reset();
  C64.traps.busDevice8 = 0;
  std::string error;
  ASSERT_TRUE(shell::RestoreSnapshot(snapshot, error)) << error;
  EXPECT_EQ(C64.traps.busDevice8, kBusTalking);
  for (std::size_t i = 1; i < kSumProgram.size(); ++i) {
    const media::BusByte next = drive.Read(2);
    EXPECT_EQ(next.byte, kSumProgram[i]) << i;
    EXPECT_EQ(next.status, i + 1 == kSumProgram.size() ? media::kBusEoi : 0) << i;
  }
}

}  // namespace
