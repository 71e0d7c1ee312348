// Sprites drawn line by line: shown in opened top and bottom borders, eight sprites reused
// at four heights, priority against the background and among themselves, and the two
// kinds of collision with the interrupt bits the latches give.
#include <gtest/gtest.h>

#include "tests/video/raster_line_reference.h"

using line_reference::Model;
using line_reference::PictureMatches;
using line_reference::RunFrame;
using video::RasterPicture;

namespace {

TEST_F(RasterLineTest, SpritesShowInBordersOpenedBySwitchingToTwentyFourRows) {
  SetRegister(0x15, 0x03);
  SetRegister(0x1D, 0x02);
  SetRegister(0x1C, 0x02);
  SetRegister(0x00, 100), SetRegister(0x01, 255);  // lines 256-276, below the window
  SetRegister(0x02, 200), SetRegister(0x03, 20);   // lines 21-41, above it
  const auto open = [](int line) { SetRegister(0x11, line >= 249 && line < 253 ? 0x13 : 0x1B); };
  RunFrame(raster, open);
  Model model{RunFrame(raster, open)};
  model.windowOpen = [](int) { return true; };
  EXPECT_TRUE(PictureMatches(model));
  int sprite0 = 0, sprite1 = 0;  // pixels of each in the borders
  for (int line : {21, 41, 256, 276}) {
    for (int x = 0; x < 384; ++x) {
      const unsigned shown = RasterPicture.pixels[line - 16][x];
      sprite0 += line > 250 && x >= 108 && x < 132 && shown == 1;
      sprite1 += line < 51 && x >= 208 && x < 256 && model.Sprite(line, 1, x) == int(shown);
    }
  }
  EXPECT_GT(sprite0, 0);
  EXPECT_GT(sprite1, 0);
}

TEST_F(RasterLineTest, EightSpritesMovedDownBetweenLinesShowAtFourHeights) {
  SetRegister(0x15, 0xFF);
  SetRegister(0x17, 0x81);  // 0 and 7 twice as tall: 42 lines
  SetRegister(0x1D, 0x0F);
  SetRegister(0x1C, 0x55);
  SetRegister(0x10, 0x80);
  for (int n = 0; n < 7; ++n) SetRegister(2 * n, static_cast<std::uint8_t>(10 + 40 * n));
  SetRegister(14, 34);  // 256 + 34
  const auto frame = RunFrame(raster, [](int line) {
    for (int height = 0; height < 4; ++height) {
      if (line != 45 + 50 * height) continue;  // before Y + 1, after the last one's end
      for (int n = 0; n < 8; ++n)
        SetRegister(2 * n + 1, static_cast<std::uint8_t>(50 + 50 * height));
    }
  });
  EXPECT_TRUE(PictureMatches(Model{frame}));
  int shown = 0;  // sprites with a pixel of their own colour on their first row
  for (int height = 0; height < 4; ++height) {
    for (int n = 0; n < 8; ++n) {
      const int line = 51 + 50 * height, left = 18 + 40 * n;
      bool found = false;
      for (int x = left; x < left + 48 && x < 384; ++x)
        found = found || RasterPicture.pixels[line - 16][x] == Model{frame}.Sprite(line, n, x);
      shown += found;
    }
  }
  EXPECT_EQ(shown, 32);
}

TEST_F(RasterLineTest, SpritesBehindTheBackgroundShowOnlyOverItsBackgroundPixels) {
  SetRegister(0x16, 0x18);  // multicolour text: %01 pairs are background, %10 foreground
  SetRegister(0x15, 0x07);
  SetRegister(0x1B, 0x05);  // 0 and 2 behind, 1 in front
  for (int n = 0; n < 3; ++n) SetRegister(2 * n, 60), SetRegister(2 * n + 1, 80);
  SetRegister(0x02, 70);  // 1 overlaps 0 from 10 pixels on: where 0 covers it, 0 decides
  const auto frame = RunFrame(raster);
  EXPECT_TRUE(PictureMatches(Model{frame}));
  // Where the model puts background over a sprite, the picture shows it too.
  int hidden = 0;
  for (int line = 81; line < 102; ++line) {
    for (int x = 68; x < 102; ++x) {
      const auto [colour, foreground] = Model{frame}.Graphics(line, x);
      hidden += foreground && Model{frame}.Sprite(line, 0, x) >= 0 &&
                RasterPicture.pixels[line - 16][x] == colour;
    }
  }
  EXPECT_GT(hidden, 20);
}

TEST_F(RasterLineTest, CollisionsNameEverySpriteInvolvedAndRaiseTheInterruptOnce) {
  for (int n = 0; n < 8; ++n) {
    for (int row = 0; row < 63; ++row) core::C64.memory.ram[0x0C00 + 64 * n + row] = 0xFF;
  }
  for (int byte = 3; byte < 6; ++byte) core::C64.memory.ram[0x0C80 + byte] = 0;  // 2's row 1
  SetRegister(0x15, 0x1F);
  SetRegister(0x00, 100), SetRegister(0x01, 20);  // 0 and 1 meet in the top border
  SetRegister(0x02, 110), SetRegister(0x03, 25);
  SetRegister(0x04, 200), SetRegister(0x05, 100);  // 2 over text only
  SetRegister(0x06, 0), SetRegister(0x07, 160);    // 3 in the left border, and 4 from
  SetRegister(0x08, 244), SetRegister(0x09, 160);  // X 500 on, across the counter's wrap
  SetRegister(0x10, 0x10);
  for (unsigned cell = 0; cell < 1000; ++cell) core::C64.memory.ram[0x0400 + cell] = 0xA0;
  const auto frame = RunFrame(raster);
  for (int line = 0; line < 312; ++line) {
    // Y 20 and 25 match again at lines 276 and 281 (their low 8 bits): a second meeting.
    const bool meet = (line >= 26 && line <= 41) || (line >= 282 && line <= 297);
    const bool text = line >= 101 && line <= 121 && line != 102;
    const bool wrap = line >= 161 && line <= 181;
    EXPECT_EQ(frame.collisions[line].spriteSprite, (meet ? 0x03 : 0) | (wrap ? 0x18 : 0)) << line;
    EXPECT_EQ(frame.collisions[line].spriteBackground, text ? 0x04 : 0) << line;
  }
  raster.lineSpriteSprite = 0x03, raster.lineSpriteBackground = 0;
  EXPECT_EQ(raster.LatchCollisions(), 0x04);
  raster.lineSpriteSprite = 0x0C, raster.lineSpriteBackground = 0x04;
  EXPECT_EQ(raster.LatchCollisions(), 0x02);  // sprite-sprite latch already holds bits
  EXPECT_EQ(raster.spriteSpriteLatch, 0x0F);
  EXPECT_EQ(raster.spriteBackgroundLatch, 0x04);
}

}  // namespace
