// The runner's --break in both models: a program run up to an address, the outputs
// written there, the line that names it, and the text the option refuses.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "apps/headless_runner.h"
#include "core/machine.h"
#include "tests/support/test_machine.h"

using namespace core;
using namespace apps;

namespace {

namespace fs = std::filesystem;

// At $C000, started with SYS 49152:
//   C000 A9 01     LDA #$01
//   C002 8D 00 04  STA $0400
//   C005 A9 02     LDA #$02
//   C007 8D 01 04  STA $0401
//   C00A 60        RTS
const std::vector<std::uint8_t> kTwoStores = {0x00, 0xC0, 0xA9, 0x01, 0x8D, 0x00, 0x04,
                                              0xA9, 0x02, 0x8D, 0x01, 0x04, 0x60};

class HeadlessBreakTest : public testing::TestWithParam<MachineModel> {
 protected:
  void SetUp() override {
    LoadTestRoms();
    RecordMessageBoxes();
  }
  void TearDown() override { ZeroWholeMachine(); }
  WorkingFolder folder_{"headless_break"};
};

TEST_P(HeadlessBreakTest, RunEndsBeforeTheInstructionWithEveryOutputWritten) {
  HeadlessOptions options;
  options.model = GetParam();
  options.program = WriteTestFile(folder_.Path(), "stores.prg", kTwoStores);
  options.typeText = "sys49152\n";
  options.breakpoints = {0xD000, 0xC007};  // the first is never reached
  options.frames = 500;
  options.screenText = true;
  options.stats = true;
  options.screenshot = "at_break.png";
  options.dumpRam = "ram.bin";
  std::ostringstream out;
  std::ostringstream err;
  ASSERT_EQ(RunHeadless(options, out, err), 0) << err.str();

  EXPECT_NE(err.str().find("Breakpoint at $C007 reached in frame "), std::string::npos)
      << err.str();
  EXPECT_NE(out.str().find("SYS49152"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("stats: frames="), std::string::npos);
  // The first store has run, the second not: the dump shows the screen's first two cells.
  std::ifstream dump("ram.bin", std::ios::binary);
  const std::vector<char> ram((std::istreambuf_iterator<char>(dump)), {});
  ASSERT_EQ(ram.size(), 65536u);
  EXPECT_EQ(ram[0x0400], 0x01);
  EXPECT_NE(ram[0x0401], 0x02);
  EXPECT_GT(fs::file_size("at_break.png"), 100u);
  // Ended at once: far fewer than the 500 frames after the typing.
  const std::size_t frames = out.str().find("frames=");
  EXPECT_LT(std::stoi(out.str().substr(frames + 7)), 400);
}

INSTANTIATE_TEST_SUITE_P(BothModels, HeadlessBreakTest,
                         testing::Values(MachineModel::kClassic, MachineModel::kAccurate),
                         [](const auto& info) {
                           return info.param == MachineModel::kAccurate ? "Accurate" : "Classic";
                         });

TEST(HeadlessBreakOption, HexadecimalOnlyElseAUsageError) {
  const std::string program = std::string(C64EMU_BINARY_DIR) + "/apps/c64emu-headless";
  const std::string roms = "C64EMU_ROMS=" + RomDir().string() + " ";
  auto status = [&](const std::string& arguments) {
    const int raw = std::system((roms + program + " " + arguments + " >/dev/null 2>&1").c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  };
  EXPECT_EQ(status("--frames 1 --break C000 --break '$C000' --break 0xc000"), 0);
  for (const char* bad : {"G000", "10000", "''", "'$'", "-1", "'C0 00'"}) {
    EXPECT_EQ(status(std::string("--frames 1 --break ") + bad), 1) << bad;
  }
  // The run that reaches one ends with status 0.
  EXPECT_EQ(status("--break EA31"), 0);
}

}  // namespace
