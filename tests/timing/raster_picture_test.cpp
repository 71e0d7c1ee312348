// The accurate machine's picture drawn line by line and the cycles the video chip takes,
// as programs see them: a raster split held to a picture computed on its own, bad lines
// and sprites measured with a CIA timer, and both collision interrupts.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "apps/headless_runner.h"
#include "core/machine.h"
#include "core/run_control.h"
#include "tests/support/test_machine.h"
#include "tests/video/raster_line_reference.h"
#include "video/raster_line_renderer.h"

using namespace core;

namespace {

class RasterPictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadTestRoms();
    RecordMessageBoxes();
  }

  // Boots the accurate machine, loads and starts `program` and runs `frames` frames on.
  static void Run(const std::string& program, int frames, const std::string& screenshot = "") {
    apps::HeadlessOptions options;
    options.model = MachineModel::kAccurate;
    options.program = std::string(TIMING_PROGRAM_DIR) + "/" + program;
    options.frames = frames;
    options.screenshot = screenshot;
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(apps::RunHeadless(options, out, err), 0) << err.str();
  }
};

TEST_F(RasterPictureTest, ARasterSplitChangesBorderAndBackgroundFromTheLineAfterTheWrite) {
  const std::filesystem::path png = FreshTempDirectory("raster_split") / "split.png";
  Run("raster_split.prg", 20, png.string());
  ASSERT_GE(C64.memory.ram[0xC000], 10) << "the splits did not run each frame";

  // Every line's registers are the ones at the end but for the two colours: red on black
  // on lines 101-200, light blue on blue elsewhere.
  line_reference::Frame frame{};
  for (int line = 0; line < 312; ++line) {
    auto& registers = frame.registers[line];
    std::copy_n(&C64.memory.ioImage[0xD000], 64, registers.begin());
    const bool upper = line >= 101 && line <= 200;
    registers[0x20] = upper ? 2 : 14;
    registers[0x21] = upper ? 0 : 6;
  }
  EXPECT_TRUE(line_reference::PictureMatches(line_reference::Model{frame}));

  // The screenshot is the whole line picture: a PNG's width and height stand big-endian
  // at bytes 16-23.
  std::ifstream file(png, std::ios::binary);
  const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file), {}};
  ASSERT_GE(bytes.size(), 24u);
  const auto word = [&](int at) {
    return bytes[at] << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3];
  };
  EXPECT_EQ(word(16), video::kPictureWidth);
  EXPECT_EQ(word(20), video::kPictureHeight);
}

// The display window shows every frame and never a part of one: a pass is one frame and
// publishes it whole; a pass stopped inside a frame (single steps) publishes nothing.
TEST_F(RasterPictureTest, EachPassIsOneFramePublishedWholeAndAStepPublishesNothing) {
  Run("raster_split.prg", 20);
  const std::uint64_t frames = C64.run.frameCounter.load();
  RunPass();
  EXPECT_EQ(C64.run.frameCounter.load(), frames + 1);
  EXPECT_EQ(std::memcmp(&video::ShownPicture, &video::RasterPicture, sizeof video::ShownPicture),
            0);
  // The split as drawn: picture row 0 is raster line 16.
  EXPECT_EQ(video::ShownPicture.pixels[150 - 16][0], 2);
  EXPECT_EQ(video::ShownPicture.pixels[250 - 16][0], 14);

  const video::LinePicture shown = video::ShownPicture;
  std::memset(&video::RasterPicture, 0x10, sizeof video::RasterPicture);  // no palette index
  StepMachine(1500);
  RunMachine();  // the budget back to unlimited; the pass already ended with the steps
  EXPECT_EQ(C64.run.frameCounter.load(), frames + 1) << "the steps reached another frame";
  EXPECT_NE(video::RasterPicture.pixels[40][0], 0x10) << "the steps drew no lines";
  EXPECT_EQ(std::memcmp(&shown, &video::ShownPicture, sizeof shown), 0);
}

TEST_F(RasterPictureTest, ABadLineLeavesTheProcessorTwentyOfItsSixtyThreeCycles) {
  Run("bad_line_cycles.prg", 20);
  ASSERT_EQ(C64.memory.ram[0x02], 0xA5) << "the measurements did not end";
  // Between the readings: STA zp (3), 40 NOPs (80) and the second LDA abs (4), plus
  // whatever the chip takes at the line start that falls between them.
  struct Case {
    const char* what;
    int offset;
    int stolen;
  };
  const Case cases[] = {
      {"normal line 133", 1, 0},
      {"bad line 131: 40 matrix fetches and 3 cycles of BA", 0, 40 + 3},
      {"line 133 with two sprites: 2 cycles each", 2, 2 * 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(C64.memory.ram[0xC000 + c.offset], 3 + 80 + 4 + c.stolen) << c.what;
  }
  EXPECT_EQ(CyclesPerLine - (C64.memory.ram[0xC000] - C64.memory.ram[0xC001]), 20)
      << "the cycles a bad line leaves the processor";
}

TEST_F(RasterPictureTest, SpriteCollisionsRaiseTheirInterruptsAndReadBackOnce) {
  Run("sprite_collisions.prg", 20);
  EXPECT_EQ(C64.memory.ram[0xC000], 0x06) << "both sources latched in $D019";
  EXPECT_EQ(C64.memory.ram[0xC002], 0x03) << "$D01E: sprites 0 and 1";
  EXPECT_EQ(C64.memory.ram[0xC003], 0x03) << "$D01F: both over the reverse space";
  // The handler reads the latches every time: each frame's collisions raise it again.
  const int before = C64.memory.ram[0xC001];
  RunFrames(3);
  EXPECT_GE((C64.memory.ram[0xC001] - before) & 0xFF, 3);
}

}  // namespace
