// cc65's sample programs compiled for the C64 and run on the machine with the real ROMs:
// text printed through the KERNAL and conio, the jiffy clock, keys read by cgetc, a
// plasma in video bank 3 and the stages of the hi-res graphics demo.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "core/machine_state.h"
#include "tests/programs/bank3_picture.h"
#include "tests/programs/sample_run.h"
#include "video/frame_buffer.h"

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
  auto code = [](int column, int row) { return Ram[0x0400 + row * 40 + column]; };
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
  EXPECT_EQ(IoImage[0xD800 + 12 * 40 + 14] & 0x0F, 1);
  EXPECT_EQ(IoImage[0xD020] & 0x0F, 0);
  EXPECT_EQ(IoImage[0xD021] & 0x0F, 0);

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
  const int took = RunUntil([] { return ScreenShows("Q to quit, any other key for list"); }, 500, 1);
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
    return (IoImage[0xDD00] & 0x03) == 0 && (IoImage[0xD018] == 0x8A || IoImage[0xD018] == 0x9A);
  };
  ASSERT_GE(RunUntil(showsAPage, 1500), 0) << ScreenText();
  auto glyphBits = [](int code) {
    int bits = 0;
    for (int i = 0; i < 8; ++i) bits += __builtin_popcount(Ram[0xE800 + code * 8 + i]);
    return bits;
  };
  EXPECT_EQ(glyphBits(192), 0);   // the sine's top: no random byte exceeds $FF
  EXPECT_GE(glyphBits(64), 56);   // its bottom: nearly every bit set
  EXPECT_NEAR(glyphBits(0), 32, 16);

  std::vector<std::uint32_t> previous;
  for (int sample = 0; sample < 3; ++sample) {
    RunEmulatedFrames(7);
    RenderPicture();
    EXPECT_TRUE(bank3::FrameMatchesRam(Ram)) << "sample " << sample;
    if (!previous.empty()) {
      EXPECT_NE(CopyOfFrame(), previous) << "the plasma stood still";
    }
    previous = CopyOfFrame();
  }

  TypeKey(' ');
  ASSERT_GE(RunUntil([] { return ScreenShows("fps   : "); }, 100), 0) << ScreenText();
  EXPECT_EQ(IoImage[0xDD00] & 0x03, 3) << "back in bank 0";
  const std::string screen = ScreenText();
  unsigned fps = 0;
  unsigned tenths = 0;
  ASSERT_EQ(std::sscanf(screen.c_str() + screen.find("fps   : "), "fps   : %u.%u", &fps, &tenths),
            2);
  // A plasma screen costs the processor a little under a tenth of a second.
  EXPECT_GE(fps, 5u);
  EXPECT_LE(fps, 25u);
  EXPECT_TRUE(ScreenShows("time  : ")) << screen;
  EXPECT_TRUE(ScreenShows("frames: ")) << screen;
}

}  // namespace
