// Whole pictures drawn line by line against the model: colour splits between lines, the
// scroll registers, 24 rows and 38 columns, every mode (the invalid ones black), extended
// colour and the idle graphics.
#include <gtest/gtest.h>

#include <set>

#include "tests/video/raster_line_reference.h"

using line_reference::Model;
using line_reference::PictureMatches;
using line_reference::RunFrame;
using video::RasterPicture;

namespace {

TEST_F(RasterLineTest, BorderAndBackgroundColoursSplitAtTheLinesTheyChangeAt) {
  const auto frame = RunFrame(raster, [](int line) {
    if (line == 100) SetRegister(0x20, 2), SetRegister(0x21, 0);
    if (line == 180) SetRegister(0x20, 7), SetRegister(0x21, 11);
  });
  EXPECT_TRUE(PictureMatches(Model{frame}));
  for (const auto& [line, border] : {std::pair{99, 14}, {100, 2}, {179, 2}, {180, 7}}) {
    EXPECT_EQ(RasterPicture.pixels[line - 16][0], border) << line;
    EXPECT_EQ(RasterPicture.pixels[line - 16][383], border) << line;
  }
}

TEST_F(RasterLineTest, ScrollRegistersMoveTheDisplayInsideTheWindow) {
  for (int yscroll = 0; yscroll < 8; ++yscroll) {
    for (int xscroll : {0, 1, 4, 7}) {
      SetRegister(0x11, static_cast<std::uint8_t>(0x18 | yscroll));
      SetRegister(0x16, static_cast<std::uint8_t>(0x08 | xscroll));
      raster = core::VicRaster{};
      EXPECT_TRUE(PictureMatches(Model{RunFrame(raster)})) << yscroll << ", " << xscroll;
    }
  }
}

TEST_F(RasterLineTest, TwentyFourRowsAndThirtyEightColumnsNarrowTheWindow) {
  SetRegister(0x11, 0x17);
  SetRegister(0x16, 0x03);
  const auto frame = RunFrame(raster);
  EXPECT_TRUE(PictureMatches(Model{frame}));
  // The window's corners: line 55, x 39 shown; line 54, x 38 and line 247, x 343 border.
  EXPECT_NE(RasterPicture.pixels[55 - 16][39], 14);
  EXPECT_EQ(RasterPicture.pixels[55 - 16][38], 14);
  EXPECT_EQ(RasterPicture.pixels[54 - 16][39], 14);
  EXPECT_NE(RasterPicture.pixels[246 - 16][342], 14);
  EXPECT_EQ(RasterPicture.pixels[246 - 16][343], 14);
  EXPECT_EQ(RasterPicture.pixels[247 - 16][342], 14);
}

TEST_F(RasterLineTest, EveryModeMatchesTheModelAndTheInvalidOnesAreBlack) {
  for (int mode = 0; mode < 8; ++mode) {  // ECM, BMM, MCM as bits 2, 1, 0
    SetRegister(0x11, static_cast<std::uint8_t>(0x1B | (mode & 6) << 4));
    SetRegister(0x16, static_cast<std::uint8_t>(0x08 | (mode & 1) << 4));
    SetRegister(0x18, 0x19);  // matrix $0400, characters and bitmap at $2000
    raster = core::VicRaster{};
    const auto frame = RunFrame(raster);
    EXPECT_TRUE(PictureMatches(Model{frame})) << "mode " << mode;
    const std::uint8_t* row = RasterPicture.pixels[100];
    const std::set<int> colours(row + 32, row + 352);
    EXPECT_EQ(colours.size() > 3, mode < 5) << "mode " << mode << ": " << colours.size();
  }
}

TEST_F(RasterLineTest, ExtendedColourTakesTheBackgroundFromTheCodesTopBits) {
  SetRegister(0x11, 0x5B);
  for (unsigned cell = 0; cell < 4; ++cell)
    core::C64.memory.ram[0x0400 + cell] = static_cast<std::uint8_t>(0x20 + 0x40 * cell);
  const auto frame = RunFrame(raster);
  EXPECT_TRUE(PictureMatches(Model{frame}));
  const int backgrounds[4] = {6, 2, 5, 7};  // glyph $20 (space) on $D021-$D024
  for (int cell = 0; cell < 4; ++cell)
    EXPECT_EQ(RasterPicture.pixels[35][32 + 8 * cell], backgrounds[cell]) << cell;
}

TEST_F(RasterLineTest, IdleLinesShowTheByteAt3FFFOr39FFInBlack) {
  for (std::uint8_t control : {0x1F, 0x5F}) {  // YSCROLL 7: lines 51-54 are idle
    SetRegister(0x11, control);
    raster = core::VicRaster{};
    const auto frame = RunFrame(raster);
    EXPECT_TRUE(PictureMatches(Model{frame}));
    const unsigned idle = control & 0x40 ? 0xC3 : 0x5A;
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(RasterPicture.pixels[51 - 16][32 + x], (idle >> (7 - x)) & 1 ? 0 : 6) << x;
    }
  }
}

}  // namespace
