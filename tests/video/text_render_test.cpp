// Standard and multicolour text: whole pictures against the model, plus the cell rules
// that the model does not spell out (CellCounter, colour RAM's upper nibble, reversed
// glyphs, where the glyphs come from in each bank).
#include <gtest/gtest.h>

#include "tests/video/video_fixture.h"
#include "video/text_renderer.h"

using namespace core;
using namespace video;

namespace {

class TextRenderTest : public VideoTest {
 protected:
  void SetUp() override {
    VideoTest::SetUp();
    SetRegister(0x18, 0x15);  // matrix $0400, characters $1000 (the ROM copy)
    for (unsigned cell = 0; cell < 1000; ++cell)
      C64.memory.ram[0x0400 + cell] = static_cast<std::uint8_t>(cell * 7);
    FillNoise(C64.memory.ioImage, 0xD800, 1000, 1);  // colour RAM, upper nibbles included
    SetRegister(0x21, 6);
    SetRegister(0x22, 2);
    SetRegister(0x23, 5);
  }
};

TEST_F(TextRenderTest, StandardTextMatchesTheModelAndCountsEveryCell) {
  RenderAndCompare();
  EXPECT_EQ(CellCounter, 1000u);
}

TEST_F(TextRenderTest, FirstCellShowsGlyphOneInColourRamColourOnBackground) {
  C64.memory.ram[0x0400] = 1;
  C64.memory.ioImage[0xD800] = 0x0E;
  RenderFrame();
  for (int row = 0; row < 8; ++row) {
    const std::uint8_t pattern = C64.memory.romMap[0x1000 + 8 + row];
    for (int column = 0; column < 8; ++column) {
      const std::uint32_t wanted = (pattern & (0x80 >> column)) ? 14u : 6u;
      EXPECT_EQ(FramePixel(column, row), wanted) << column << "," << row;
    }
  }
}

TEST_F(TextRenderTest, ColourRamUpperNibbleNeverMatters) {
  C64.memory.ram[0x0400] = 0xA0;  // reversed space: every pixel foreground
  C64.memory.ioImage[0xD800] = 0xF3;
  RenderFrame();
  EXPECT_EQ(FramePixel(0, 0), 3u);
  EXPECT_EQ(FramePixel(7, 7), 3u);
}

TEST_F(TextRenderTest, UpperCharacterSetAt1800) {
  SetRegister(0x18, 0x17);
  RenderAndCompare();
}

TEST_F(TextRenderTest, BankOneReadsGlyphsFromRamNotTheRomCopy) {
  C64.memory.ioImage[0xDD00] = 0x02;  // %10: bank $4000
  for (unsigned cell = 0; cell < 1000; ++cell)
    C64.memory.ram[0x4400 + cell] = static_cast<std::uint8_t>(cell);
  FillNoise(C64.memory.ram, 0x5000, 0x800, 2);
  RenderAndCompare();
  // Cell 0 is code 0: its first row is the RAM byte at $5000.
  const bool set = (C64.memory.ram[0x5000] & 0x80) != 0;
  EXPECT_EQ(FramePixel(0, 0),
            set ? static_cast<std::uint32_t>(C64.memory.ioImage[0xD800] & 0x0F) : 6u);
}

TEST_F(TextRenderTest, BankThreeGlyphsAndMatrixUnderTheIoAreaComeFromRam) {
  C64.memory.ioImage[0xDD00] = 0x00;  // %00: bank $C000, characters at $D000
  FillNoise(C64.memory.ram, 0xC400, 1000, 3);
  FillNoise(C64.memory.ram, 0xD000, 0x800, 4);      // RAM under I/O: what the video chip sees
  FillNoise(C64.memory.ioImage, 0xD400, 0x400, 5);  // the I/O bytes beside it must not show
  for (unsigned n = 0x24; n < 0x40; ++n)
    C64.memory.ioImage[0xD000 + n] = static_cast<std::uint8_t>(n * 37);
  RenderAndCompare();

  SetRegister(0x18, 0x40);  // the matrix at $D000, the characters at $C000
  FillNoise(C64.memory.ram, 0xC000, 0x800, 6);
  FillNoise(C64.memory.ram, 0xD000, 1000, 7);
  RenderAndCompare();
}

TEST_F(TextRenderTest, MulticolourTextMixesBothCellKindsAndCountsEveryCell) {
  SetRegister(0x16, 0x10);
  RenderAndCompare();
  EXPECT_EQ(CellCounter, 1000u);
}

TEST_F(TextRenderTest, MulticolourCellWithNibbleDPaintsElevenPairsInItsLowThreeBits) {
  SetRegister(0x16, 0x10);
  FillNoise(C64.memory.ram, 0x2000, 0x800, 6);
  SetRegister(0x18, 0x18);  // characters at $2000 in RAM
  C64.memory.ram[0x0400] = 0;
  C64.memory.ram[0x2000] = 0b00011011;  // pairs %00 %01 %10 %11
  C64.memory.ioImage[0xD800] = 0x0D;
  RenderFrame();
  const std::uint32_t wanted[8] = {6, 6, 2, 2, 5, 5, 5, 5};  // %11 in 13 & 7 = 5, not 13
  for (int column = 0; column < 8; ++column) EXPECT_EQ(FramePixel(column, 0), wanted[column]);

  C64.memory.ioImage[0xD800] = 0x09;  // %11 pairs white, not brown
  RenderFrame();
  EXPECT_EQ(FramePixel(6, 0), 1u);
  EXPECT_EQ(FramePixel(7, 0), 1u);
}

TEST_F(TextRenderTest, ColourValuesAboveFifteenReachTheFrameBufferWhole) {
  SetRegister(0x21, 0xF6);
  C64.memory.ram[0x0400] = 0x20;  // space: background only
  RenderFrame();
  EXPECT_EQ(FramePixel(0, 0), 0xF6u);
  const RgbColour& shown = PaletteColour(FramePixel(0, 0));
  EXPECT_EQ(&shown, &Palette[6]);
}

}  // namespace
