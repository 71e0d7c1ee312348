// The line sequencing on its own: which lines are bad for each YSCROLL and for DEN, the
// cycles each line takes from the processor, where the vertical border opens and closes
// for RSEL (and stays open when RSEL changes at the right line), and the snapshot.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/video/raster_line_reference.h"

using namespace core;
using line_reference::RunFrame;

namespace {

TEST_F(RasterLineTest, BadLinesAreTheYscrollLinesOf30ToF7OnlyWithDenInLine30) {
  for (int yscroll = 0; yscroll < 8; ++yscroll) {
    SetRegister(0x11, static_cast<std::uint8_t>(0x10 | yscroll));
    const auto frame = RunFrame(raster);
    for (int line = 0; line < 312; ++line) {
      const bool bad = line >= 48 && line <= 247 && line % 8 == yscroll;
      EXPECT_EQ(frame.badLine[line], bad) << "YSCROLL " << yscroll << ", line " << line;
      EXPECT_EQ(frame.stolen[line], bad ? 43 : 0) << "YSCROLL " << yscroll << ", line " << line;
    }
  }
  SetRegister(0x11, 0x03);  // DEN clear in line $30: no bad line, though set from $31 on
  const auto late = RunFrame(raster, [](int line) {
    if (line == 0x31) SetRegister(0x11, 0x13);
  });
  for (int line = 0; line < 312; ++line) EXPECT_FALSE(late.badLine[line]) << line;
}

TEST_F(RasterLineTest, EachFetchedSpriteTakesTwoCyclesOnTheLinesItShows) {
  SetRegister(0x15, 0x25);  // sprites 0 and 5 at Y 100, 2 Y-expanded at 101
  SetRegister(0x17, 0x04);
  for (int n : {0, 2, 5}) SetRegister(2 * n + 1, n == 2 ? 101 : 100);
  const auto frame = RunFrame(raster);
  for (int line = 0; line < 312; ++line) {
    const int sprites = (line >= 101 && line <= 121) * 2 + (line >= 102 && line <= 143);
    const int badLine = line >= 48 && line <= 247 && line % 8 == 3 ? 43 : 0;
    EXPECT_EQ(frame.stolen[line], badLine + 2 * sprites) << line;
  }
}

struct BorderCase {
  std::uint8_t control;  // $D011 for the whole frame
  int open, close;       // the lines the border opens and closes at (open == close: never)
};

TEST_F(RasterLineTest, VerticalBorderOpensAndClosesAtTheRselLines) {
  const BorderCase cases[] = {{0x1B, 51, 251}, {0x13, 55, 247}, {0x0B, 0, 0}};
  for (const BorderCase& c : cases) {
    SetRegister(0x11, c.control);
    raster = VicRaster{};
    RunFrame(raster);  // a second frame starts from the first one's bottom
    RunFrame(raster, [&](int line) {
      EXPECT_EQ(raster.verticalBorderOpen, line - 1 >= c.open && line - 1 < c.close)
          << int{c.control} << ", line " << line - 1;
    });
  }
  // 24 rows from line 249 to 252: the bottom comparison at 247 has passed and 251 no
  // longer matches, so the border stays open all through the next frame.
  SetRegister(0x11, 0x1B);
  const auto trick = [](int line) { SetRegister(0x11, line >= 249 && line < 253 ? 0x13 : 0x1B); };
  RunFrame(raster, trick);
  RunFrame(raster, [&](int line) {
    trick(line);
    EXPECT_TRUE(raster.verticalBorderOpen) << line;
  });
}

TEST_F(RasterLineTest, SnapshotTakenMidFrameContinuesTheSamePicture) {
  SetRegister(0x15, 0xFF);
  for (int n = 0; n < 8; ++n) SetRegister(2 * n + 1, static_cast<std::uint8_t>(140 + n));
  const auto upTo = [&](VicRaster& unit, int from, int to) {
    for (int line = from; line < to; ++line) {
      unit.BeginLine(static_cast<std::uint16_t>(line), &C64.memory.ioImage[0xD000]);
      video::DrawRasterLine(static_cast<std::uint16_t>(line), unit, &C64.memory.ioImage[0xD000],
                            video::RasterPicture);
    }
  };
  upTo(raster, 0, 150);
  StateWriter writer;
  raster.Save(writer);
  upTo(raster, 150, 312);
  const video::LinePicture straight = video::RasterPicture;

  VicRaster restored{};
  StateReader reader(writer.Bytes());
  ASSERT_TRUE(restored.Load(reader));
  upTo(restored, 150, 312);
  EXPECT_EQ(std::memcmp(&straight, &video::RasterPicture, sizeof straight), 0);

  // Out of range (RC 8, then a truncated section): refused, the record left as it was.
  std::vector<std::uint8_t> bad = writer.Bytes();
  bad[8 + 6] = 8;  // after the tag, the length and three 16-bit fields
  const auto bytesOf = [](const VicRaster& unit) {
    StateWriter out;
    unit.Save(out);
    return out.Bytes();
  };
  const std::vector<std::uint8_t> before = bytesOf(restored);
  for (const auto& bytes : {bad, std::vector<std::uint8_t>(bad.begin(), bad.begin() + 40)}) {
    StateReader badReader(bytes);
    EXPECT_FALSE(restored.Load(badReader));
    EXPECT_FALSE(badReader.Ok());
    EXPECT_EQ(bytesOf(restored), before);
  }
}

}  // namespace
