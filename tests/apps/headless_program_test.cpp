// The headless runner as a script sees it: the program itself run with bad outputs, bad
// numbers, bad inputs and a halting program; and a program given before BASIC's prompt.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "apps/headless_runner.h"
#include "core/rom_images.h"
#include "tests/support/test_machine.h"

using namespace apps;

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

bool IsPng(const std::string& bytes) {
  return bytes.size() > 8 && bytes.compare(1, 3, "PNG") == 0;
}

// 10 PRINT "HI"
const std::string kHiProgram("\x01\x08\x0b\x08\x0a\x00\x99\x22HI\x22\x00\x00\x00", 14);
// 10 SYS 2061, with a halting opcode ($02) at 2061 ($080D), right after the program.
const std::string kJamProgram("\x01\x08\x0b\x08\x0a\x00\x9e\x32\x30\x36\x31\x00\x00\x00\x02", 15);

struct ProgramResult {
  int status;
  std::string out;
  std::string err;
};

class HeadlessProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = FreshTempDirectory("cli");
    logs_ = FreshTempDirectory("cli-logs");
  }
  void TearDown() override {
    fs::remove_all(directory_);
    fs::remove_all(logs_);
  }
  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(directory_ / name, std::ios::binary) << bytes;
  }
  // Runs the program in the test's folder with the shell text `arguments`, after the
  // shell commands `before` (limits, folder changes); a hang ends after 30 s as a failure.
  ProgramResult Run(const std::string& arguments, const std::string& before = "") {
    const std::string command = "cd '" + directory_.string() + "' && " + before + " C64EMU_ROMS='" +
                                RomDir().string() + "' timeout 30 '" + C64EMU_BINARY_DIR +
                                "/apps/c64emu-headless' " + arguments + " >'" +
                                (logs_ / "out").string() + "' 2>'" + (logs_ / "err").string() + "'";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadAll(logs_ / "out"), ReadAll(logs_ / "err")};
  }
  // The names in the test's folder, sorted.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  fs::path directory_;
  fs::path logs_;
};

TEST_F(HeadlessProgramTest, UnusableOutputPathsAreUsageErrorsBeforeAnythingRuns) {
  Write("x", "old");
  fs::create_directory(directory_ / "sub");
  fs::create_symlink("x", directory_ / "link");
  ASSERT_EQ(::mkfifo((directory_ / "fifo").c_str(), 0644), 0);
  const struct {
    std::string arguments;
    std::string error;
  } cases[] = {
      {"--screenshot ''", "--screenshot: no file name given"},
      {"--dump-ram ''", "--dump-ram: no file name given"},
      {"--dump-io ''", "--dump-io: no file name given"},
      {"--dump-ram y --dump-io y", "--dump-io: y is the file that --dump-ram writes (y)"},
      {"--dump-ram y --dump-io ./y", "--dump-io: ./y is the file that --dump-ram writes (y)"},
      {"--screenshot sub/../y --dump-ram y", "--dump-ram: y is the file that --screenshot"},
      {"--dump-ram link --dump-io x", "--dump-io: x is the file that --dump-ram writes (link)"},
      {"--screenshot x --dump-io \"$PWD/x\"", "is the file that --screenshot writes (x)"},
      {"--dump-io sub", "--dump-io: sub names a folder"},
      {"--dump-io y/", "--dump-io: y/ names a folder"},
      {"--dump-ram missing/y", "--dump-ram: the folder of missing/y does not exist"},
      {"--dump-ram x/y", "--dump-ram: the folder of x/y does not exist"},
      {"--dump-ram fifo", "--dump-ram: fifo is not a regular file"},
      {"--screenshot /dev/null", "--screenshot: /dev/null is not a regular file"},
  };
  for (const auto& test : cases) {
    const ProgramResult result = Run("--frames 1 --stats " + test.arguments);
    EXPECT_EQ(result.status, 1) << test.arguments;
    EXPECT_NE(result.err.find(test.error), std::string::npos) << test.arguments << result.err;
    EXPECT_EQ(result.out, "") << test.arguments;  // not even the statistics: nothing ran
  }
  EXPECT_EQ(ReadAll(directory_ / "x"), "old");
  EXPECT_EQ(Entries(), (std::vector<std::string>{"fifo", "link", "sub", "x"}));
}

TEST_F(HeadlessProgramTest, FailedWritesNameTheFileAndLeaveTheOldOne) {
  const struct {
    std::string arguments;
    std::string error;
  } cases[] = {
      // 32 KB may be written: the 64 KB dump is too big, the small picture fits.
      {"--dump-ram keep --screenshot new.png", "Cannot write keep (--dump-ram): File too large"},
      {"--dump-io keep", "Cannot write keep (--dump-io): File too large"},
  };
  for (const auto& test : cases) {
    Write("keep", "old contents");
    const ProgramResult result = Run("--frames 1 --stats " + test.arguments, "ulimit -f 32;");
    EXPECT_EQ(result.status, 1) << test.arguments;
    EXPECT_NE(result.err.find(test.error), std::string::npos) << result.err;
    EXPECT_NE(result.out.find("stats: frames=201 "), std::string::npos) << result.out;
    EXPECT_EQ(ReadAll(directory_ / "keep"), "old contents") << test.arguments;
    fs::remove(directory_ / "keep");
    // No temporary file stays behind; what could be written was.
    for (const std::string& name : Entries()) EXPECT_EQ(name, "new.png") << test.arguments;
  }
  EXPECT_TRUE(IsPng(ReadAll(directory_ / "new.png")));
}

TEST_F(HeadlessProgramTest, NumbersAreDecimalAndInRange) {
  const struct {
    std::string arguments;
    int status;
    std::string expected;  // in the output for status 0, in the errors otherwise
  } cases[] = {
      {"--input-at 0 --frames 010", 0, "stats: frames=10 "},
      {"--input-at 010 --frames 0", 0, "stats: frames=10 "},
      {"--input-at 00 --frames 0019", 0, "stats: frames=19 "},
      {"--frames -1", 1, "--frames: '-1' is not a whole number from 0 to 2147483647"},
      {"--input-at -5", 1, "--input-at: '-5' is not a whole number"},
      {"--frames 2147483648", 1, "--frames: '2147483648' is not a whole number"},
      {"--frames 0x10", 1, "--frames: '0x10' is not"},
      {"--frames 1e3", 1, "--frames: '1e3' is not"},
      {"--frames +5", 1, "--frames: '+5' is not"},
      {"--input-at ''", 1, "--input-at: '' is not"},
  };
  for (const auto& test : cases) {
    const ProgramResult result = Run("--stats " + test.arguments);
    EXPECT_EQ(result.status, test.status) << test.arguments << result.err;
    const std::string& text = test.status == 0 ? result.out : result.err;
    EXPECT_NE(text.find(test.expected), std::string::npos) << test.arguments << ": " << text;
  }
}

TEST_F(HeadlessProgramTest, UnusableInputsAreReportedAtOnce) {
  Write("prog.prg", kHiProgram);
  fs::create_directory(directory_ / "sub");
  ASSERT_EQ(::mkfifo((directory_ / "fifo.prg").c_str(), 0644), 0);
  const struct {
    std::string arguments;
    std::string before;
    int status;
    std::string error;  // empty: none at all
  } cases[] = {
      {"fifo.prg", "", 1, "Error: No readable PRG file: fifo.prg\n"},
      {"--prg sub", "", 1, "Error: No readable PRG file: sub\n"},
      {"--prg /dev/zero", "", 1, "Error: No readable PRG file: /dev/zero\n"},
      {"x", "", 1, "Error: File not found: x\n"},
      {"--prg ''", "", 1, "--prg: no file name given"},
      {"''", "", 1, "no file name given"},
      // The ROM directory is given, so the deleted current folder does not matter.
      {"--frames 1", "mkdir gone && cd gone && rmdir ../gone &&", 0, ""},
      {"--prg '" + (directory_ / "prog.prg").string() + "'",
       "mkdir gone && cd gone && rmdir ../gone &&", 0, ""},
  };
  for (const auto& test : cases) {
    // A refused input is refused before the machine runs, not at the input frame.
    const std::string early = test.status == 0 ? "" : "--input-at 100000000 ";
    const ProgramResult result = Run(early + test.arguments, test.before);
    EXPECT_EQ(result.status, test.status) << test.arguments << result.err;
    if (test.error.empty()) {
      EXPECT_EQ(result.err, "") << test.arguments;
    } else {
      EXPECT_NE(result.err.find(test.error), std::string::npos) << test.arguments << result.err;
    }
    EXPECT_EQ(result.out.find("stats"), std::string::npos);
  }
}

TEST_F(HeadlessProgramTest, HaltingProgramStillWritesEveryOutput) {
  Write("jam.prg", kJamProgram);
  const struct {
    std::string arguments;
    std::string before;
    int status;
    std::string file;      // written by the run, when not empty
    std::string expected;  // in the output or, for a failed write, in the errors
  } cases[] = {
      {"--screen-text", "", 0, "", "\nREADY.      "},
      {"--stats", "", 0, "", "stats: frames="},
      {"--dump-ram ram.bin", "", 0, "ram.bin", ""},
      {"--dump-io io.bin", "", 0, "io.bin", ""},
      {"--screenshot jam.png", "", 0, "jam.png", ""},
      {"--dump-ram ram.bin --stats", "ulimit -f 32;", 1, "", "Cannot write ram.bin (--dump-ram)"},
  };
  for (const auto& test : cases) {
    const ProgramResult result = Run("--log jam.prg " + test.arguments, test.before);
    EXPECT_EQ(result.status, test.status) << test.arguments << result.err;
    // The log line and the box come first, then the outputs.
    const std::size_t halted = result.err.find("> JAM - emulation halted\nError: JAM!\n");
    EXPECT_NE(halted, std::string::npos) << test.arguments << result.err;
    if (test.status == 0) {
      EXPECT_NE(result.out.find(test.expected), std::string::npos) << test.arguments;
    } else {
      EXPECT_NE(result.err.find(test.expected, halted), std::string::npos) << result.err;
      EXPECT_NE(result.out.find("stats: frames="), std::string::npos) << test.arguments;
    }
    if (!test.file.empty()) {
      const std::string bytes = ReadAll(directory_ / test.file);
      if (test.file == "jam.png") {
        EXPECT_TRUE(IsPng(bytes)) << test.arguments;
      } else {
        EXPECT_EQ(bytes.size(), 65536u) << test.arguments;
      }
      if (test.file == "ram.bin" && bytes.size() == 65536u) {
        EXPECT_EQ(bytes[0x080D], '\x02');  // the halting opcode
      }
    }
  }
}

TEST(StatsLine, ShowsCountsPastThirtyTwoBits) {
  EXPECT_EQ(StatsLine(258000, 3000000000000, 2.0, core::MachineModel::kClassic),
            "stats: frames=258000 instructions=3000000000000 seconds=2.000 fps=129000.0 "
            "model=classic");
}

// In-process: a program given before BASIC's prompt waits for it, or the run says the
// prompt never came (BASIC's cold start patched to loop before READY.).
TEST_F(HeadlessProgramTest, EarlyProgramWaitsForBasicsPromptOrSaysItNeverCame) {
  Write("hi.prg", kHiProgram);
  const fs::path previous = fs::current_path();
  fs::current_path(directory_);
  const struct {
    int inputAt;
    bool basicNeverReady;
    int status;
    std::string expected;  // on the screen for status 0, in the errors otherwise
  } cases[] = {
      {0, false, 0, "\nHI "},
      {30, false, 0, "\nHI "},
      {60, false, 0, "\nHI "},
      {81, false, 0, "\nHI "},
      {0, true, 1, "BASIC's prompt did not appear by frame 500; hi.prg was not loaded"},
      {100, true, 1, "BASIC's prompt did not appear by frame 600;"},
  };
  for (const auto& test : cases) {
    LoadTestRoms();
    RecordMessageBoxes();
    if (test.basicNeverReady) {
      const std::uint8_t loop[] = {0x4C, 0x74, 0xA4};  // $A474: JMP $A474
      std::copy(std::begin(loop), std::end(loop), core::RomImages.basic.begin() + 0x0474);
    }
    HeadlessOptions options;
    options.inputAt = test.inputAt;
    options.program = "hi.prg";
    options.frames = 30;
    options.screenText = true;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunHeadless(options, out, err), test.status) << test.inputAt << err.str();
    const std::string text = test.status == 0 ? out.str() : err.str();
    EXPECT_NE(text.find(test.expected), std::string::npos) << test.inputAt << ": " << text;
  }
  fs::current_path(previous);
}

}  // namespace
