// cc65's sample programs compiled for the C64 and run on the machine with the real ROMs:
// text printed through the KERNAL and conio, the jiffy clock, keys read by cgetc, a
// plasma in video bank 3 and the stages of the hi-res graphics demo. (The Mandelbrot
// sample, which runs for many minutes of machine time, has a test program of its own.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "core/machine.h"
#include "tests/programs/bank3_picture.h"
#include "tests/programs/hires_driver.h"
#include "tests/programs/sample_run.h"
#include "video/frame_buffer.h"

using namespace core;
using namespace video;
using namespace apps;

namespace {

using Cc65Samples = SampleProgramTest;

std::vector<std::uint32_t> CopyOfFrame() {
  return std::vector<std::uint32_t>(std::begin(FrameBuffer), std::end(FrameBuffer));
}

TEST_F(Cc65Samples, HelloFramesItsGreetingAndReturnsToBasicOnAKey) {
  StartSample("hello", 0);
  ASSERT_GE(RunUntil([] { return ScreenShows("Hello world!"); }, 100), 0) << ScreenText();
  const std::vector<std::string> lines = ScreenLines();
  std::string middle(40, ' ');
  middle.replace(14, 12, "Hello world!");  // centred on the middle row
  middle.front() = middle.back() = '.';
  EXPECT_EQ(lines[12], middle);
  // The frame of line-drawing characters around the whole screen, in white on black.
  auto code = [](int column, int row) { return C64.memory.ram[0x0400 + row * 40 + column]; };
  EXPECT_EQ(code(0, 0), 0x70);
  EXPECT_EQ(code(39, 0), 0x6E);
  EXPECT_EQ(code(0, 24), 0x6D);
  EXPECT_EQ(code(39, 24), 0x7D);
  for (int column = 1; column < 39; ++column) {
    EXPECT_EQ(code(column, 0), 0x40);
    EXPECT_EQ(code(column, 24), 0x40);
  }
  for (int row = 1; row < 24; ++row) {
    EXPECT_EQ(code(0, row), 0x5D);
    EXPECT_EQ(code(39, row), 0x5D);
  }
  EXPECT_EQ(C64.memory.ioImage[0xD800 + 12 * 40 + 14] & 0x0F, 1);
  EXPECT_EQ(C64.memory.ioImage[0xD020] & 0x0F, 0);
  EXPECT_EQ(C64.memory.ioImage[0xD021] & 0x0F, 0);

  // The program ends through BASIC's warm start; the mixed-case set stays selected.
  TypeKey(' ');
  ASSERT_GE(RunUntil([] { return ScreenShows("\nready."); }, 100), 0) << ScreenText();
  EXPECT_FALSE(ScreenShows("Hello world!"));
  EXPECT_TRUE(RecordedMessageBoxes().empty());
}

// The sieve times itself with the jiffy clock and then lists the primes, 23 to a page.
// cc65 counts 60 jiffies a second; the KERNAL's interrupt handler counts one jiffy per
// interrupt, and this machine's one interrupt comes with each frame.
TEST_F(Cc65Samples, SieveTimesItselfAndListsThePrimes) {
  StartSample("sieve", 0);
  ASSERT_GE(RunUntil([] { return ScreenShows("Please wait patiently ..."); }, 100, 1), 0)
      << ScreenText();
  const int took =
      RunUntil([] { return ScreenShows("Q to quit, any other key for list"); }, 500, 1);
  ASSERT_GE(took, 0) << ScreenText();
  const std::string screen = ScreenText();
  unsigned seconds = 0;
  unsigned millis = 0;
  ASSERT_EQ(std::sscanf(screen.c_str() + screen.find("Time used: "), "Time used: %u.%u seconds",
                        &seconds, &millis),
            2)
      << screen;
  const double jiffies = (seconds + millis / 1000.0) * 60;
  EXPECT_NEAR(jiffies, took, 3) << screen;  // printing the two lines takes a frame or two
  EXPECT_TRUE(RecordedMessageBoxes().empty()) << RecordedMessageBoxes()[0].text;

  TypeKey('x');
  const std::string prompt = "Q to quit, any other key continues";
  ASSERT_GE(RunUntil([&] { return ScreenShows(prompt); }, 200), 0) << ScreenText();
  const std::vector<std::string> lines = ScreenLines();
  const auto at = std::find_if(lines.begin(), lines.end(),
                               [&](const std::string& line) { return line.starts_with(prompt); });
  ASSERT_GE(at - lines.begin(), 23) << ScreenText();
  static const int kPrimes[23] = {2,  3,  5,  7,  11, 13, 17, 19, 23, 29, 31, 37,
                                  41, 43, 47, 53, 59, 61, 67, 71, 73, 79, 83};
  for (int n = 0; n < 23; ++n) {
    char line[48];
    std::snprintf(line, sizeof line, "%4d%36s", kPrimes[n], "");
    EXPECT_EQ(*(at - 23 + n), line);
  }
}

// Plasma builds a character set at $E800 whose glyphs grow denser as a sine falls, then
// redraws two screens at $E000 and $E400 in turn, showing each in bank 3, until a key.
TEST_F(Cc65Samples, PlasmaAnimatesInBankThreeUntilAKey) {
  StartSample("plasma", 0);
  auto showsAPage = [] {
    return (C64.memory.ioImage[0xDD00] & 0x03) == 0 &&
           (C64.memory.ioImage[0xD018] == 0x8A || C64.memory.ioImage[0xD018] == 0x9A);
  };
  ASSERT_GE(RunUntil(showsAPage, 500), 0) << ScreenText();
  auto glyphBits = [](int code) {
    int bits = 0;
    for (int i = 0; i < 8; ++i) bits += __builtin_popcount(C64.memory.ram[0xE800 + code * 8 + i]);
    return bits;
  };
  EXPECT_EQ(glyphBits(192), 0);  // the sine's top: no random byte exceeds $FF
  EXPECT_GE(glyphBits(64), 56);  // its bottom: nearly every bit set
  EXPECT_NEAR(glyphBits(0), 32, 16);

  std::vector<std::uint32_t> previous;
  for (int sample = 0; sample < 3; ++sample) {
    RunFrames(7);
    RenderPicture();
    EXPECT_TRUE(bank3::FrameMatchesRam(C64.memory.ram)) << "sample " << sample;
    if (!previous.empty()) {
      EXPECT_NE(CopyOfFrame(), previous) << "the plasma stood still";
    }
    previous = CopyOfFrame();
  }

  TypeKey(' ');
  ASSERT_GE(RunUntil([] { return ScreenShows("fps   : "); }, 100), 0) << ScreenText();
  EXPECT_EQ(C64.memory.ioImage[0xDD00] & 0x03, 3) << "back in bank 0";
  const std::string screen = ScreenText();
  unsigned fps = 0;
  unsigned tenths = 0;
  ASSERT_EQ(std::sscanf(screen.c_str() + screen.find("fps   : "), "fps   : %u.%u", &fps, &tenths),
            2);
  // A plasma screen takes the processor about a tenth of a second.
  EXPECT_GE(fps, 5u);
  EXPECT_LE(fps, 25u);
  EXPECT_TRUE(ScreenShows("time  : ")) << screen;
  EXPECT_TRUE(ScreenShows("frames: ")) << screen;
}

// A check that holds once the bitmap is the same as at the check before: the stage has
// finished drawing.
std::function<bool()> DrawingEnded() {
  return [before = std::vector<std::uint8_t>()]() mutable {
    const std::uint8_t* bitmap = C64.memory.ram + hires::kBitmap;
    const bool same = std::equal(before.begin(), before.end(), bitmap, bitmap + 8000);
    before.assign(bitmap, bitmap + 8000);
    return same;
  };
}

// tgidemo's four stages, each ended by a key: circles and crossing lines, a checkerboard,
// a sine diagram, a fan of lines; then it prints "Done".
TEST_F(Cc65Samples, GraphicsDemoDrawsEachStageAfterAKey) {
  using hires::PixelSet;
  StartSample("tgidemo", 0);
  // Circles: orange lines and ellipses on white (palette white, orange), drawn again and
  // again; the second crossing line ends at the top right corner.
  ASSERT_GE(
      RunUntil([] { return C64.memory.ram[hires::kMatrix] == 0x81 && PixelSet(319, 0); }, 500), 0);
  RunFrames(100);
  hires::ExpectDriverMode(0x81);
  hires::ExpectPictureOfRam();
  EXPECT_TRUE(PixelSet(160, 100)) << "where the lines cross";

  // The checkerboard, black on white from here on, is redrawn until a key; the key is
  // seen after the current round of circles.
  TypeKey(' ');
  ASSERT_GE(RunUntil([] { return C64.memory.ram[hires::kMatrix] == 0x01; }, 500), 0);
  RunFrames(100);
  hires::ExpectDriverMode(0x01);
  hires::ExpectPictureOfRam();

  TypeKey(' ');  // the sine diagram
  ASSERT_GE(RunUntil(DrawingEnded(), 500, 25), 0);
  hires::ExpectPictureOfRam();
  for (int y = 10; y <= 189; ++y) EXPECT_TRUE(PixelSet(10, y)) << "y axis at " << y;
  for (int x = 10; x <= 309; ++x) EXPECT_TRUE(PixelSet(x, 99)) << "x axis at " << x;
  EXPECT_TRUE(PixelSet(85, 9)) << "the sine's top at 90 degrees";
  EXPECT_TRUE(PixelSet(235, 189)) << "its bottom at 270 degrees";

  TypeKey(' ');  // lines fanning out from two corners of a square of 200 pixels
  ASSERT_GE(RunUntil(DrawingEnded(), 500, 25), 0);
  hires::ExpectPictureOfRam();
  for (int n = 0; n <= 199; ++n) {
    EXPECT_TRUE(PixelSet(n, 0) && PixelSet(0, n) && PixelSet(n, 199) && PixelSet(199, n)) << n;
  }
  int outside = 0;
  for (int y = 0; y < 200; ++y) {
    for (int x = 200; x < 320; ++x) outside += PixelSet(x, y);
  }
  EXPECT_EQ(outside, 0) << "pixels right of the square";

  TypeKey(' ');
  ASSERT_GE(RunUntil([] { return ScreenShows("Done"); }, 100), 0) << ScreenText();
  EXPECT_FALSE(bank3::BitmapMode());
  EXPECT_TRUE(RecordedMessageBoxes().empty()) << RecordedMessageBoxes()[0].text;
}

}  // namespace
