// Disks and program files as a user has them, end to end with the real ROMs: LOAD and
// VERIFY typed into BASIC against a mounted image made with cc1541 and the host folder,
// a disk started from the command line, programs at any load address.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "apps/headless_runner.h"
#include "core/debug_log.h"
#include "core/machine.h"
#include "tests/support/test_machine.h"

using namespace core;
using namespace apps;

namespace {

namespace fs = std::filesystem;

// At $C000: print "FROM DISK" through CHROUT and return.
const std::vector<std::uint8_t> kMachineCode = {
    0x00, 0xC0, 0xA2, 0x00, 0xBD, 0x0E, 0xC0, 0xF0, 0x06, 0x20, 0xD2, 0xFF, 0xE8,
    0xD0, 0xF5, 0x60, 'F',  'R',  'O',  'M',  ' ',  'D',  'I',  'S',  'K',  0x00};

class DiskLoadingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadTestRoms();
    RecordMessageBoxes();
    const std::vector<std::uint8_t> image = MakeD64Image(
        "-n " + Cc1541Text("games") + " -i " + Cc1541Text("g1 2a"),
        {{"SUM", kSumProgram, ""}, {"MC", kMachineCode, "-e"}, {"NOTES", kSumProgram, "-T SEQ"}});
    ASSERT_FALSE(image.empty());
    WriteTestFile(directory_, "games.d64", image);
  }
  // Runs with the disk mounted (unless told otherwise) and returns the screen's rows
  // without their trailing spaces.
  std::string Run(HeadlessOptions options, bool mount = true) {
    if (mount && options.disk.empty()) options.disk = "games.d64";
    options.screenText = true;
    options.frames = 150;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunHeadless(options, out, err), 0) << err.str();
    return Trimmed(out.str());
  }
  static std::string Trimmed(const std::string& screen) {
    std::istringstream rows(screen);
    std::string text;
    for (std::string row; std::getline(rows, row);) {
      text += row.substr(0, row.find_last_not_of(' ') + 1) + "\n";
    }
    return text;
  }
  WorkingFolder folder_{"disk"};
  const fs::path& directory_ = folder_.Path();
};

TEST_F(DiskLoadingTest, DirectoryLoadsAsAProgramAndListsAsTheDriveShowsIt) {
  HeadlessOptions options;
  options.typeText = "load\"$\",8\nlist\n";
  const std::string screen = Run(options);
  EXPECT_NE(screen.find("\n0 \"GAMES           \" G1 2A\n"), std::string::npos) << screen;
  EXPECT_NE(screen.find("\n1    \"SUM\"              PRG\n"), std::string::npos) << screen;
  EXPECT_NE(screen.find("\n1    \"MC\"               PRG\n"), std::string::npos) << screen;
  EXPECT_NE(screen.find("\n1    \"NOTES\"            SEQ\n"), std::string::npos) << screen;
  EXPECT_NE(screen.find("\n661 BLOCKS FREE.\n"), std::string::npos) << screen;
}

TEST_F(DiskLoadingTest, ABasicProgramAndMachineCodeLoadFromTheDiskAndRun) {
  HeadlessOptions options;
  options.typeText = "load\"s*\",8\nrun\nload\"mc\",8,1\nsys49152\n";
  const std::string screen = Run(options);
  EXPECT_NE(screen.find("\nSEARCHING FOR S*\nLOADING\nREADY.\nRUN\n 4321\n"), std::string::npos)
      << screen;
  EXPECT_NE(screen.find("\nSYS49152\nFROM DISK\n"), std::string::npos) << screen;
  EXPECT_NE(DebugLogText().find("> File loaded: MC\r\n"), std::string::npos);
}

// VERIFY compares and keeps the program in memory: the line typed after the LOAD stays.
// HOSTED is not on the disk: it comes from the host folder.
TEST_F(DiskLoadingTest, VerifyGivesOkOrVerifyErrorAndChangesNothing) {
  WriteTestFile(directory_, "HOSTED", kSumProgram);
  const struct {
    const char* name;
    bool mount;
    const char* change;  // typed between LOAD and VERIFY
    const char* answer;
  } kCases[] = {
      {"sum", true, "", "\nVERIFYING\nOK\n"},
      {"sum", true, "20 print\n", "\nVERIFYING\n?VERIFY  ERROR\n"},
      {"hosted", true, "", "\nVERIFYING\nOK\n"},
      {"hosted", false, "20 print\n", "\nVERIFYING\n?VERIFY  ERROR\n"},
  };
  for (const auto& row : kCases) {
    SCOPED_TRACE(std::string(row.name) + " " + row.change);
    HeadlessOptions options;
    options.typeText = std::string("load\"") + row.name + "\",8\n" + row.change + "verify\"" +
                       row.name + "\",8\nlist\n";
    const std::string screen = Run(options, row.mount);
    EXPECT_NE(screen.find(row.answer), std::string::npos) << screen;
    EXPECT_NE(screen.find("\n10 PRINT4000+321\n"), std::string::npos) << screen;
    EXPECT_EQ(screen.find("\n20 PRINT\n") != std::string::npos, *row.change != '\0') << screen;
  }
}

// A disk given to start runs its first program; --d64 alone types nothing; a program
// outside BASIC is loaded where it says, logged, and nothing is typed.
TEST_F(DiskLoadingTest, StartingADiskOrAProgramFromTheCommandLine) {
  HeadlessOptions start;
  start.disk = "games.d64";
  start.startDisk = true;
  EXPECT_NE(Run(start).find("\nLOAD\"*\",8,1\n\nSEARCHING FOR *\nLOADING\nREADY.\nRUN\n 4321\n"),
            std::string::npos);
  HeadlessOptions mountOnly;
  EXPECT_EQ(Run(mountOnly).find("LOAD"), std::string::npos);

  WriteTestFile(directory_, "mc.prg", kMachineCode);
  HeadlessOptions program;
  program.program = "mc.prg";
  program.typeText = "sys49152\n";
  const std::string screen = Run(program, false);
  EXPECT_NE(screen.find("\nREADY.\nSYS49152\nFROM DISK\n"), std::string::npos) << screen;
  EXPECT_NE(DebugLogText().find("> Loaded $C000-$C017\r\n"), std::string::npos);

  // The program itself takes a disk image as its argument.
  const std::string command = "C64EMU_ROMS=" + RomDir().string() + " " + C64EMU_BINARY_DIR +
                              "/apps/c64emu-headless --screen-text --frames 150 games.d64 "
                              "2>/dev/null | grep -q '^ 4321 '";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

}  // namespace
