// cc65's hi-res graphics samples (the c64-hi TGI driver: bitmap at $E000 and colour
// matrix at $D000, both in the RAM under the KERNAL and the I/O area of bank 3): each
// finished picture is held against the picture the RAM describes, and each stage's
// drawing against what the program's source draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "core/machine_state.h"
#include "tests/programs/bank3_picture.h"
#include "tests/programs/sample_run.h"

namespace {

using Cc65Pictures = SampleProgramTest;

constexpr unsigned kBitmap = 0xE000;
constexpr unsigned kMatrix = 0xD000;

bool PixelSet(int x, int y) {
  return (Ram[kBitmap + (y / 8) * 320 + (x / 8) * 8 + y % 8] >> (7 - x % 8)) & 1;
}

// The hi-res mode of the driver, with every matrix cell holding `colours` (the colour of
// set pixels in the high nibble).
void ExpectDriverMode(std::uint8_t colours) {
  EXPECT_EQ(IoImage[0xDD00] & 0x03, 0) << "bank 3";
  EXPECT_EQ(IoImage[0xD018], 0x48) << "matrix at $D000, bitmap at $E000";
  EXPECT_TRUE(bank3::BitmapMode());
  int wrong = 0;
  for (unsigned cell = 0; cell < 1000; ++cell) wrong += Ram[kMatrix + cell] != colours;
  EXPECT_EQ(wrong, 0) << "matrix cells not " << int{colours};
}

// Renders a picture now and holds it against the RAM.
void ExpectPictureOfRam() {
  RenderPicture();
  EXPECT_TRUE(bank3::FrameMatchesRam(Ram));
}

// A check that holds once the bitmap is the same as at the check before: the stage has
// finished drawing.
std::function<bool()> DrawingEnded() {
  return [before = std::vector<std::uint8_t>()]() mutable {
    const bool same = std::equal(before.begin(), before.end(), Ram + kBitmap, Ram + kBitmap + 8000);
    before.assign(Ram + kBitmap, Ram + kBitmap + 8000);
    return same;
  };
}

// The sample's iteration in its own 16-bit fixed point (10 fraction bits), over -2..2 in
// both directions: true where the point escapes within 32 rounds (drawn in colour 1).
std::vector<bool> MandelbrotEscapes() {
  std::vector<bool> escapes(320 * 200);
  const std::int16_t stepX = 4096 / 320;
  const std::int16_t stepY = 4096 / 200;
  std::int16_t yy = -2048;
  for (int y = 0; y < 200; ++y) {
    yy = static_cast<std::int16_t>(yy + stepY);
    std::int16_t xx = -2048;
    for (int x = 0; x < 320; ++x) {
      xx = static_cast<std::int16_t>(xx + stepX);
      std::int16_t r = 0;
      std::int16_t i = 0;
      int count = 0;
      for (; count < 32 && std::abs(r) < 2048 && std::abs(i) < 2048; ++count) {
        const auto r1 = static_cast<std::int16_t>(((std::int32_t{r} * r) >> 10) -
                                                  ((std::int32_t{i} * i) >> 10) + xx);
        i = static_cast<std::int16_t>(((std::int32_t{r} * i) >> 9) + yy);
        r = r1;
      }
      escapes[y * 320 + x] = count < 32;
    }
  }
  return escapes;
}

TEST_F(Cc65Pictures, MandelbrotFinishesItsPicture) {
  const std::vector<bool> escapes = MandelbrotEscapes();
  auto finished = [&] {
    for (int y = 0; y < 200; ++y) {
      for (int x = 0; x < 320; ++x) {
        if (PixelSet(x, y) != escapes[y * 320 + x]) return false;
      }
    }
    return true;
  };
  StartSample("mandelbrot", 0);
  const int frames = RunUntil(finished, 200000, 500);
  std::printf("mandelbrot frames %d\n", frames);
  ASSERT_GE(frames, 0);
  ExpectDriverMode(0x10);  // white on black
  ExpectPictureOfRam();

  TypeKey(' ');
  ASSERT_GE(RunUntil([] { return ScreenShows("time  : "); }, 100), 0) << ScreenText();
  EXPECT_FALSE(bank3::BitmapMode());
}

// tgidemo's four stages, each ended by a key: circles and crossing lines, a checkerboard,
// a sine diagram, a fan of lines; then it prints "Done".
TEST_F(Cc65Pictures, GraphicsDemoDrawsEachStageAfterAKey) {
  StartSample("tgidemo", 0);
  // Circles: orange lines on white (palette white, orange), drawn over and over.
  int frames = RunUntil([] { return PixelSet(319, 199) && PixelSet(0, 199); }, 3000);
  std::printf("circles frames %d\n", frames);
  ASSERT_GE(frames, 0);
  ExpectDriverMode(0x81);
  ExpectPictureOfRam();
  EXPECT_TRUE(PixelSet(0, 0) && PixelSet(319, 0) && PixelSet(160, 100));

  TypeKey(' ');  // checkerboard: black on white from here on
  frames = RunUntil([] { return Ram[kMatrix] == 0x01; }, 3000);
  std::printf("board frames %d\n", frames);
  RunEmulatedFrames(100);
  ASSERT_GE(frames, 0);
  ExpectDriverMode(0x01);
  ExpectPictureOfRam();

  TypeKey(' ');  // diagram
  frames = RunUntil(DrawingEnded(), 3000, 25);
  std::printf("diagram frames %d\n", frames);
  ASSERT_GE(frames, 0);
  ExpectPictureOfRam();
  for (int y = 10; y <= 189; ++y) EXPECT_TRUE(PixelSet(10, y)) << "y axis at " << y;
  for (int x = 10; x <= 309; ++x) EXPECT_TRUE(PixelSet(x, 99)) << "x axis at " << x;
  EXPECT_TRUE(PixelSet(85, 9)) << "the sine's top at 90 degrees";
  EXPECT_TRUE(PixelSet(235, 189)) << "its bottom at 270 degrees";

  TypeKey(' ');  // lines
  frames = RunUntil(DrawingEnded(), 3000, 25);
  std::printf("lines frames %d\n", frames);
  ASSERT_GE(frames, 0);
  ExpectPictureOfRam();
  for (int n = 0; n <= 199; ++n) {
    EXPECT_TRUE(PixelSet(n, 0) && PixelSet(0, n) && PixelSet(n, 199) && PixelSet(199, n)) << n;
  }
  int right = 0;
  for (int y = 0; y < 200; ++y) {
    for (int x = 200; x < 320; ++x) right += PixelSet(x, y);
  }
  EXPECT_EQ(right, 0) << "the lines stay within the square of 200 pixels";

  TypeKey(' ');
  ASSERT_GE(RunUntil([] { return ScreenShows("Done"); }, 100), 0) << ScreenText();
  EXPECT_TRUE(RecordedMessageBoxes().empty()) << RecordedMessageBoxes()[0].text;
}

}  // namespace
