// cc65's Mandelbrot sample through the c64-hi TGI driver: 64,000 points in 16-bit fixed
// point take the machine about 121,000 frames (40 emulated minutes). The finished bitmap
// is held against the same iteration worked out here, the picture against the RAM.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/machine.h"
#include "tests/programs/hires_driver.h"
#include "tests/programs/sample_run.h"

using namespace core;
using namespace video;
using namespace apps;

namespace {

// The sample's iteration in its own 16-bit fixed point (10 fraction bits) over -2..2 in
// both directions, with its integer steps (4096 / 320 and 4096 / 200): true where the
// point escapes within 32 rounds, which the sample draws in colour 1.
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

using Cc65Mandelbrot = SampleProgramTest;

TEST_F(Cc65Mandelbrot, FinishesThePictureAndShowsItsTimeAfterAKey) {
  const std::vector<bool> escapes = MandelbrotEscapes();
  auto finished = [&] {
    for (int y = 0; y < 200; ++y) {
      for (int x = 0; x < 320; ++x) {
        if (hires::PixelSet(x, y) != escapes[y * 320 + x]) return false;
      }
    }
    return true;
  };
  StartSample("mandelbrot", 0);
  ASSERT_GE(RunUntil(finished, 140000, 500), 0) << "the picture was not finished";
  hires::ExpectDriverMode(0x10);  // white on black
  hires::ExpectPictureOfRam();

  // The key ends graphics mode; the time follows in text mode.
  TypeKey(' ');
  ASSERT_GE(RunUntil([] { return ScreenShows("time  : "); }, 100), 0) << ScreenText();
  EXPECT_FALSE(bank3::BitmapMode());
  EXPECT_TRUE(RecordedMessageBoxes().empty()) << RecordedMessageBoxes()[0].text;
}

}  // namespace
