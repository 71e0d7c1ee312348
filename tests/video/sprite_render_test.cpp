// The eight sprites over the background: both forms with every doubling, placement and
// clipping at the frame's edges, priority, transparency and the force flag.
#include <gtest/gtest.h>

#include <tuple>

#include "tests/video/video_fixture.h"

using namespace core;
using namespace video;

namespace {

class SpriteRenderTest : public VideoTest {
 protected:
  void SetUp() override {
    VideoTest::SetUp();
    SetRegister(0x18, 0x15);  // text: matrix $0400, characters from the ROM copy
    SetRegister(0x21, 6);
    for (unsigned cell = 0; cell < 1000; ++cell)
      C64.memory.ram[0x0400 + cell] = static_cast<std::uint8_t>(cell);
    FillNoise(C64.memory.ioImage, 0xD800, 1000, 20);
    SetRegister(0x25, 10);
    SetRegister(0x26, 13);
    for (int n = 0; n < 8; ++n) {
      C64.memory.ram[0x07F8 + n] = static_cast<std::uint8_t>(0x80 + n);  // data at $2000 + 64n
      FillNoise(C64.memory.ram, 0x2000 + 64 * n, 63, 30 + n);
      SetRegister(0x27 + n, static_cast<std::uint8_t>(n + 1));
    }
  }

  static void Place(int n, int x, int y) {
    SetRegister(2 * n, static_cast<std::uint8_t>(x & 0xFF));
    SetRegister(2 * n + 1, static_cast<std::uint8_t>(y));
    const std::uint8_t high = C64.memory.ioImage[0xD010];
    SetRegister(0x10, static_cast<std::uint8_t>(x > 255 ? high | (1 << n) : high & ~(1 << n)));
  }
  static void Enable(int n) { C64.memory.ioImage[0xD015] |= static_cast<std::uint8_t>(1 << n); }
  static void FillSprite(int n, std::uint8_t value) {
    for (int i = 0; i < 63; ++i) C64.memory.ram[0x2000 + 64 * n + i] = value;
  }
};

// ---- every form and doubling against the model -------------------------------------------

class SpriteFormTest : public SpriteRenderTest,
                       public ::testing::WithParamInterface<std::tuple<bool, bool, bool>> {};

TEST_P(SpriteFormTest, EightSpritesMatchTheModel) {
  const auto [multicolour, wide, tall] = GetParam();
  for (int n = 0; n < 8; ++n) {
    Place(n, 24 + 37 * n, 50 + 19 * n);
    Enable(n);
  }
  SetRegister(0x1C, multicolour ? 0xFF : 0x00);
  SetRegister(0x1D, wide ? 0xFF : 0x00);
  SetRegister(0x17, tall ? 0xFF : 0x00);
  RenderAndCompare();
}

INSTANTIATE_TEST_SUITE_P(AllForms, SpriteFormTest,
                         ::testing::Combine(::testing::Bool(), ::testing::Bool(),
                                            ::testing::Bool()));

// ---- placement and clipping --------------------------------------------------------------

TEST_F(SpriteRenderTest, SolidSpriteAtX24Y50CoversTheTopLeftCorner) {
  FillSprite(0, 0xFF);
  SetRegister(0x27, 1);
  Place(0, 24, 50);
  Enable(0);
  RenderFrame();
  for (int x = 0; x < 26; ++x) {
    for (int y = 0; y < 23; ++y) {
      if (x < 24 && y < 21) {
        EXPECT_EQ(FramePixel(x, y), 1u) << x << "," << y;
      } else {
        EXPECT_EQ(FramePixel(x, y), reference::BackgroundPixel(reference::CurrentSetup(), x, y));
      }
    }
  }
}

TEST_F(SpriteRenderTest, SpriteReachingPastLeftOrTopEdgeIsNotShownAtAll) {
  FillSprite(0, 0xFF);
  FillSprite(1, 0xFF);
  SetRegister(0x27, 0x31);  // colours no background cell has
  SetRegister(0x28, 0x32);
  Place(0, 23, 100);  // left = -1
  Place(1, 100, 49);  // top = -1
  Enable(0);
  Enable(1);
  RenderFrame();
  for (int x = 0; x < 40; ++x) EXPECT_NE(FramePixel(x, 50), 0x31u);
  for (int y = 0; y < 20; ++y) EXPECT_NE(FramePixel(80, y), 0x32u);
  RenderAndCompare();
}

TEST_F(SpriteRenderTest, XAbove255UsesD010AndClipsAtTheRightEdge) {
  FillSprite(0, 0xFF);
  SetRegister(0x27, 0x41);
  Place(0, 330, 60);  // $D000 = 74 with $D010 bit 0: left 306
  ASSERT_EQ(C64.memory.ioImage[0xD000], 74);
  Enable(0);
  RenderFrame();
  for (int x = 306; x < 320; ++x) EXPECT_EQ(FramePixel(x, 10), 0x41u) << x;
  EXPECT_NE(FramePixel(305, 10), 0x41u);
  RenderAndCompare();
}

TEST_F(SpriteRenderTest, DoubledCopiesAreClippedOnTheirOwnAtRightAndBottom) {
  FillSprite(0, 0xFF);
  FillSprite(1, 0xFF);
  SetRegister(0x27, 0x21);  // a colour no background cell has
  SetRegister(0x28, 0x21);
  Place(0, 100, 241);  // top 191, doubled height: rows 191-199
  SetRegister(0x17, 0x01);
  Place(1, 329, 100);  // left 305, doubled width: column 319 drawn, its copy dropped
  SetRegister(0x1D, 0x02);
  Enable(0);
  Enable(1);
  RenderFrame();
  EXPECT_EQ(FramePixel(76, 199), 0x21u);
  EXPECT_EQ(FramePixel(319, 50), 0x21u);
  // Nothing wrapped into the top of the next column.
  EXPECT_NE(FramePixel(77, 0), 0x21u);
  RenderAndCompare();
}

// ---- priority, colours and transparency --------------------------------------------------

TEST_F(SpriteRenderTest, HigherNumberedSpriteCoversLowerNumbered) {
  FillSprite(2, 0xFF);
  FillSprite(5, 0xFF);
  Place(2, 100, 100);
  Place(5, 110, 105);
  Enable(2);
  Enable(5);
  RenderFrame();
  EXPECT_EQ(FramePixel(100 - 24 + 12, 100 - 50 + 10), 6u);  // sprite 5's colour
  EXPECT_EQ(FramePixel(100 - 24 + 2, 100 - 50 + 2), 3u);    // sprite 2 outside the overlap
  RenderAndCompare();
}

TEST_F(SpriteRenderTest, MulticolourZeroIsTransparentButStandardColourZeroIsBlack) {
  FillSprite(0, 0x55);  // all %01 pairs
  FillSprite(1, 0xFF);
  SetRegister(0x25, 0);
  SetRegister(0x1C, 0x01);
  SetRegister(0x28, 0);
  SetRegister(0x21, 7);
  for (unsigned cell = 0; cell < 1000; ++cell)
    C64.memory.ram[0x0400 + cell] = 0x20;  // blank screen
  Place(0, 24, 50);
  Place(1, 100, 100);
  Enable(0);
  Enable(1);
  RenderFrame();
  EXPECT_EQ(FramePixel(0, 0), 7u);
  EXPECT_EQ(FramePixel(23, 20), 7u);
  EXPECT_EQ(FramePixel(76, 50), 0u);
  EXPECT_EQ(FramePixel(99, 70), 0u);
}

TEST_F(SpriteRenderTest, ColourValuesAboveFifteenAreKeptWhole) {
  FillSprite(0, 0xFF);
  FillSprite(1, 0b11100100);  // pairs %11 %10 %01 %00
  SetRegister(0x27, 0x1F);
  SetRegister(0x28, 0x32);
  SetRegister(0x25, 0x40);  // low nibble 0, but not the value 0: drawn
  SetRegister(0x26, 0x8E);
  SetRegister(0x1C, 0x02);
  Place(0, 24, 50);
  Place(1, 24, 100);
  Enable(0);
  Enable(1);
  RenderFrame();
  EXPECT_EQ(FramePixel(0, 0), 0x1Fu);
  EXPECT_EQ(FramePixel(0, 50), 0x8Eu);
  EXPECT_EQ(FramePixel(2, 50), 0x32u);
  EXPECT_EQ(FramePixel(4, 50), 0x40u);
  EXPECT_EQ(&PaletteColour(FramePixel(4, 50)), &Palette[0]);
  RenderAndCompare();
}

TEST_F(SpriteRenderTest, PointerAt07F8SelectsDataAt0340) {
  C64.memory.ram[0x07F8] = 0x0D;
  for (int i = 0; i < 63; ++i) C64.memory.ram[0x0340 + i] = 0xFF;
  Place(0, 24, 50);
  Enable(0);
  RenderFrame();
  EXPECT_EQ(FramePixel(23, 20), 1u);
  RenderAndCompare();
}

TEST_F(SpriteRenderTest, BankThreeSpriteDataUnderTheIoAreaIsReadFromRam) {
  C64.memory.ioImage[0xDD00] = 0x00;  // bank $C000, matrix $C400
  SetRegister(0x18, 0x10);            // matrix $C400, characters $C000
  FillNoise(C64.memory.ram, 0xC000, 0x800, 40);
  C64.memory.ram[0xC7F8] = 0x40;  // data at $D000, under the video registers
  C64.memory.ram[0xC7F9] = 0x61;  // data at $D840, under colour RAM
  FillNoise(C64.memory.ram, 0xD000, 63, 41);
  FillNoise(C64.memory.ram, 0xD840, 63, 42);
  Place(0, 24, 50);
  Place(1, 100, 50);
  Enable(0);
  Enable(1);
  RenderAndCompare();
}

TEST_F(SpriteRenderTest, ForceMulticolourDrawsAllEightSpritesEvenWhenNotEnabled) {
  for (int n = 0; n < 8; ++n) {
    FillSprite(n, 0xAA);  // all %10: the sprite colour
    Place(n, 24 + 30 * n, 60 + 12 * n);
  }
  ForceMulticolour = 1;
  RenderFrame();
  for (int n = 0; n < 8; ++n) EXPECT_EQ(FramePixel(30 * n, 10 + 12 * n), n + 1u) << n;
  RenderAndCompare();
}

}  // namespace
