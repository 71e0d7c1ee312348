// The headless runner end to end with the real ROMs: the start-up screen, typing into
// BASIC, programs that run by themselves, LOAD through the KERNAL traps, bad input.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "apps/headless_runner.h"
#include "core/debug_log.h"
#include "core/machine.h"
#include "tests/support/test_machine.h"

using namespace core;
using namespace apps;

namespace {

namespace fs = std::filesystem;

// A tokenised BASIC line for the few keywords these programs use.
std::vector<std::uint8_t> Tokenise(const std::string& text) {
  static const std::pair<const char*, std::uint8_t> kTokens[] = {
      {"PRINT", 0x99}, {"FOR", 0x81}, {"NEXT", 0x82}, {"TO", 0xA4},
      {"DIM", 0x86},   {"+", 0xAA},   {"*", 0xAC},    {"=", 0xB2},
  };
  std::vector<std::uint8_t> bytes;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == '"') quoted = !quoted;
    bool matched = false;
    for (const auto& [word, token] : kTokens) {
      if (!quoted && text.compare(i, std::strlen(word), word) == 0) {
        bytes.push_back(token);
        i += std::strlen(word);
        matched = true;
        break;
      }
    }
    if (!matched) bytes.push_back(static_cast<std::uint8_t>(text[i++]));
  }
  return bytes;
}

std::string BasicProgram(const std::vector<std::pair<int, std::string>>& lines) {
  std::string file = "\x01\x08";
  std::uint16_t address = 0x0801;
  for (const auto& [number, text] : lines) {
    const std::vector<std::uint8_t> tokens = Tokenise(text);
    const std::uint16_t next = static_cast<std::uint16_t>(address + 4 + tokens.size() + 1);
    file += static_cast<char>(next & 0xFF);
    file += static_cast<char>(next >> 8);
    file += static_cast<char>(number & 0xFF);
    file += static_cast<char>(number >> 8);
    file.append(tokens.begin(), tokens.end());
    file += '\0';
    address = next;
  }
  file += std::string(2, '\0');
  return file;
}

class HeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadTestRoms();
    RecordMessageBoxes();
  }
  void WriteFile(const std::string& name, const std::string& bytes) {
    std::ofstream(directory_ / name, std::ios::binary) << bytes;
  }
  // Runs and returns the screen; the status must be `expected`.
  std::string Run(HeadlessOptions options, int expected = 0) {
    options.screenText = true;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunHeadless(options, out, err), expected) << err.str();
    errors_ = err.str();
    return out.str();
  }
  WorkingFolder folder_{"headless"};
  const fs::path& directory_ = folder_.Path();
  std::string errors_;
};

TEST_F(HeadlessTest, BootsToTheBasicStartUpScreen) {
  HeadlessOptions options;
  options.inputAt = 0;
  options.frames = 200;
  const std::string screen = Run(options);
  EXPECT_NE(screen.find("\n    **** COMMODORE 64 BASIC V2 ****     \n"), std::string::npos)
      << screen;
  EXPECT_NE(screen.find("\n 64K RAM SYSTEM  38911 BASIC BYTES FREE \n"), std::string::npos);
  EXPECT_NE(screen.find("\nREADY.      "), std::string::npos);
}

TEST_F(HeadlessTest, TypedBasicIsExecuted) {
  HeadlessOptions options;
  options.typeText = "print 6*7\\n";
  const std::string screen = Run(options);
  EXPECT_NE(screen.find("PRINT 6*7"), std::string::npos) << screen;
  EXPECT_NE(screen.find("\n 42 "), std::string::npos) << screen;
}

TEST_F(HeadlessTest, ShiftedCharactersAreTypedWithShift) {
  HeadlessOptions options;
  options.typeText = "print \"a\"+\"b\";(1+2)\n";  // quotes, '(' and ')' are shifted digits
  const std::string screen = Run(options);
  EXPECT_NE(screen.find("\nAB 3 "), std::string::npos) << screen;
}

TEST_F(HeadlessTest, ProgramRunsByItselfWithItsVariablesAndStaysWhole) {
  WriteFile("prog.prg", BasicProgram({{10, "A=5:B=A*7:C$=\"X\"+\"Y\""},
                                      {20, "DIM D(20):FOR I=1 TO 20:D(I)=I*I:NEXT"},
                                      {30, "PRINT \"HI\";B;C$;D(20)"}}));
  HeadlessOptions options;
  options.program = "prog.prg";
  options.typeText = "list\\n";
  const std::string screen = Run(options);
  EXPECT_NE(screen.find("\nHI 35 XY 400 "), std::string::npos) << screen;
  // The variables did not overwrite the program text.
  EXPECT_NE(screen.find("\n30 PRINT \"HI\";B;C$;D(20)"), std::string::npos) << screen;
}

TEST_F(HeadlessTest, LoadByNameThroughTheKernalThenRun) {
  WriteFile("NAME", BasicProgram({{10, "A=6:B=A*7"}, {20, "PRINT \"LOADED\";B"}}));
  HeadlessOptions options;
  options.typeText = "load\"name\",8\\nrun\\nlist\\n";
  options.frames = 150;
  const std::string screen = Run(options);
  EXPECT_NE(screen.find("\nLOADED 42 "), std::string::npos) << screen;
  EXPECT_NE(screen.find("\n20 PRINT \"LOADED\";B"), std::string::npos) << screen;
}

TEST_F(HeadlessTest, FailedLoadReportsFileNotFoundAndKeepsTheProgram) {
  HeadlessOptions options;
  options.typeText = "10 print \"still\"\\nload\"missing\",8\\nlist\\nrun\\n";
  options.frames = 150;
  const std::string screen = Run(options);
  EXPECT_NE(screen.find("\n?FILE NOT FOUND  ERROR"), std::string::npos) << screen;
  EXPECT_NE(screen.find("\n10 PRINT \"STILL\""), std::string::npos) << screen;
  EXPECT_NE(screen.find("\nSTILL "), std::string::npos) << screen;
  ASSERT_FALSE(RecordedMessageBoxes().empty());
  EXPECT_EQ(RecordedMessageBoxes()[0].text, "File not found: MISSING");
  EXPECT_NE(DebugLogText().find("> File not found: MISSING\r\n"), std::string::npos);
}

TEST_F(HeadlessTest, OpeningFilesIsLoggedWithoutABox) {
  HeadlessOptions options;
  options.typeText = "open1,3:cmd1:print\"out\":close1\\n";
  const std::string screen = Run(options);
  EXPECT_NE(screen.find("\nOUT "), std::string::npos) << screen;
  EXPECT_TRUE(RecordedMessageBoxes().empty());
  EXPECT_NE(DebugLogText().find("> tt\r\n"), std::string::npos);
}

TEST_F(HeadlessTest, SaveDoesNotLoadAnOldFileOfThatName) {
  WriteFile("KEEP", BasicProgram({{10, "PRINT \"OLD\""}}));
  HeadlessOptions options;
  options.typeText = "10 print \"new\"\\nsave\"keep\",8\\nrun\\n";
  options.frames = 150;
  const std::string screen = Run(options);
  EXPECT_NE(screen.find("\nNEW "), std::string::npos) << screen;
  EXPECT_EQ(screen.find("\nOLD "), std::string::npos) << screen;
}

TEST_F(HeadlessTest, UnreadableProgramEndsWithStatusOne) {
  HeadlessOptions options;
  options.program = "absent.prg";
  Run(options, 1);
  ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
  EXPECT_EQ(RecordedMessageBoxes()[0].text, "File not found: absent.prg");

  WriteFile("empty.prg", "");
  options.program = "empty.prg";
  Run(options, 1);
  EXPECT_EQ(RecordedMessageBoxes().back().text, "No readable PRG file: empty.prg");
}

TEST_F(HeadlessTest, DumpsAndScreenshotAreWritten) {
  HeadlessOptions options;
  options.frames = 10;
  options.dumpRam = "ram.bin";
  options.dumpIo = "io.bin";
  options.screenshot = "screen.png";
  Run(options);
  EXPECT_EQ(fs::file_size("ram.bin"), 65536u);
  EXPECT_EQ(fs::file_size("io.bin"), 65536u);
  std::ifstream png("screen.png", std::ios::binary);
  char signature[8] = {};
  png.read(signature, 8);
  EXPECT_EQ(std::string(signature + 1, 3), "PNG");
}

// The program itself: argument errors and missing ROMs end with status 1.
TEST(HeadlessProgram, BadArgumentsAndMissingRomsEndWithStatusOne) {
  const std::string program = std::string(C64EMU_BINARY_DIR) + "/apps/c64emu-headless";
  const std::string roms = "C64EMU_ROMS=" + RomDir().string() + " ";
  auto status = [](const std::string& command) {
    const int raw = std::system((command + " >/dev/null 2>&1").c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  };
  EXPECT_EQ(status(roms + program + " --frames 1"), 0);
  EXPECT_EQ(status(roms + program + " --bogus"), 1);
  EXPECT_EQ(status(roms + program + " --frames minus"), 1);
  EXPECT_EQ(status("C64EMU_ROMS=/nonexistent " + program + " --frames 1"), 1);
}

}  // namespace
