// Standard and multicolour bitmaps in the places the bank and $D018 bit 3 put them.
#include <gtest/gtest.h>

#include "tests/video/video_fixture.h"

using namespace core;
using namespace video;

namespace {

class BitmapRenderTest : public VideoTest {
 protected:
  void SetUp() override {
    VideoTest::SetUp();
    SetRegister(0x11, 0x3B);  // bitmap mode
    SetRegister(0x18, 0x18);  // matrix $0400, bitmap $2000
    SetRegister(0x21, 11);
    FillNoise(C64.memory.ram, 0x0400, 1000, 10);
    FillNoise(C64.memory.ram, 0x2000, 8000, 11);
    FillNoise(C64.memory.ioImage, 0xD800, 1000, 12);
  }
};

TEST_F(BitmapRenderTest, HiresAt2000MatchesTheModel) {
  RenderAndCompare();
}

TEST_F(BitmapRenderTest, HiresMatrixNibblesAreInkAndPaper) {
  C64.memory.ram[0x0400] = 0x10;
  C64.memory.ram[0x2000] = 0x80;
  RenderFrame();
  EXPECT_EQ(FramePixel(0, 0), 1u);
  for (int column = 1; column < 8; ++column) EXPECT_EQ(FramePixel(column, 0), 0u);
}

TEST_F(BitmapRenderTest, HiresAt0000ShowsTheCharacterRomCopyFromCell512) {
  SetRegister(0x18, 0x10);  // matrix $0400 inside the bitmap, bitmap $0000
  FillNoise(C64.memory.ram, 0x0000, 0x1000, 13);
  RenderAndCompare();
  // Cell 512 (cell row 12, column 32) row 0 is the first byte of the character ROM.
  const std::uint8_t matrix = C64.memory.ram[0x0400 + 512];
  const bool set = (C64.memory.romMap[0x1000] & 0x80) != 0;
  EXPECT_EQ(FramePixel(256, 96), static_cast<std::uint32_t>(set ? matrix >> 4 : matrix & 0x0F));
}

TEST_F(BitmapRenderTest, MulticolourMatchesTheModel) {
  SetRegister(0x16, 0x18);
  RenderAndCompare();
}

TEST_F(BitmapRenderTest, MulticolourPairsUseD021MatrixNibblesAndColourRam) {
  SetRegister(0x16, 0x18);
  C64.memory.ram[0x0400] = 0x47;
  C64.memory.ram[0x2000] = 0b00011011;
  C64.memory.ioImage[0xD800] = 0xF5;
  RenderFrame();
  const std::uint32_t wanted[8] = {11, 11, 4, 4, 7, 7, 5, 5};
  for (int column = 0; column < 8; ++column) EXPECT_EQ(FramePixel(column, 0), wanted[column]);
}

TEST_F(BitmapRenderTest, BankThreeBitmapIsReadFromRamUnderTheKernal) {
  C64.memory.ioImage[0xDD00] = 0x00;  // bank $C000
  SetRegister(0x18, 0x38);            // matrix $CC00, bitmap $E000
  C64.memory.ram[0x0001] = 0x37;      // the processor would see the KERNAL there
  FillNoise(C64.memory.ram, 0xCC00, 1000, 14);
  FillNoise(C64.memory.ram, 0xE000, 8000, 15);
  FillNoise(C64.memory.romMap, 0xE000, 8000, 16);
  RenderAndCompare();
  const std::uint8_t matrix = C64.memory.ram[0xCC00];
  const bool set = (C64.memory.ram[0xE000] & 0x80) != 0;
  EXPECT_EQ(FramePixel(0, 0), static_cast<std::uint32_t>(set ? matrix >> 4 : matrix & 0x0F));
}

// The hi-res layout of a C graphics library: matrix at $D000 and bitmap at $E000, both in
// the RAM under I/O and KERNAL, with register and colour-RAM bytes beside them.
TEST_F(BitmapRenderTest, BankThreeMatrixUnderTheIoAreaIsReadFromRam) {
  C64.memory.ioImage[0xDD00] = 0x00;  // bank $C000
  SetRegister(0x18, 0x48);            // matrix $D000, bitmap $E000
  C64.memory.ram[0x0001] = 0x35;      // the processor would see I/O at $D000
  FillNoise(C64.memory.ram, 0xD000, 1000, 19);
  FillNoise(C64.memory.ram, 0xE000, 8000, 20);
  FillNoise(C64.memory.ioImage, 0xD040, 0x3C0, 21);
  RenderAndCompare();
  const std::uint8_t matrix = C64.memory.ram[0xD000];
  const bool set = (C64.memory.ram[0xE000] & 0x80) != 0;
  EXPECT_EQ(FramePixel(0, 0), static_cast<std::uint32_t>(set ? matrix >> 4 : matrix & 0x0F));
}

TEST_F(BitmapRenderTest, MulticolourBankThreeMatchesTheModel) {
  C64.memory.ioImage[0xDD00] = 0x00;
  SetRegister(0x18, 0x38);
  SetRegister(0x16, 0x10);
  FillNoise(C64.memory.ram, 0xCC00, 1000, 17);
  FillNoise(C64.memory.ram, 0xE000, 8000, 18);
  RenderAndCompare();
}

TEST_F(BitmapRenderTest, BackgroundValueAboveFifteenIsKeptWhole) {
  SetRegister(0x16, 0x10);
  SetRegister(0x21, 0x9B);
  C64.memory.ram[0x2000] = 0x00;
  RenderFrame();
  EXPECT_EQ(FramePixel(0, 0), 0x9Bu);
  EXPECT_EQ(&PaletteColour(FramePixel(0, 0)), &Palette[11]);
}

}  // namespace
