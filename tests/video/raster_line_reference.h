// The line tests' driver and their independent model of the 384 x 272 picture: every
// pixel worked out on its own from the registers recorded at each line's start, memory,
// and the display's closed forms (first bad line 48 + YSCROLL, rows of eight lines,
// sprite rows from Y + 1), with none of the line renderer's code.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "core/chips/vic_raster.h"
#include "core/machine.h"
#include "tests/video/reference_picture.h"
#include "tests/video/video_fixture.h"
#include "video/raster_line_renderer.h"

namespace line_reference {

using Registers = std::array<std::uint8_t, 64>;

// One frame's registers at each line's start, and what the units reported per line.
struct Frame {
  std::array<Registers, 312> registers;
  std::array<video::LineCollisions, 312> collisions;
  std::array<int, 312> stolen;
  std::array<bool, 312> badLine;
};

// Lines 0-311 once: `change(line)` may write registers before the line begins.
inline Frame RunFrame(
    core::VicRaster& raster, const std::function<void(int)>& change = [](int) {}) {
  Frame frame{};
  std::uint8_t* registers = &core::C64.memory.ioImage[0xD000];
  for (int line = 0; line < 312; ++line) {
    change(line);
    std::copy(registers, registers + 64, frame.registers[line].begin());
    raster.BeginLine(static_cast<std::uint16_t>(line), registers);
    frame.collisions[line] = video::DrawRasterLine(static_cast<std::uint16_t>(line), raster,
                                                   registers, video::RasterPicture);
    frame.stolen[line] = raster.StolenCycles();
    frame.badLine[line] = raster.badLine;
  }
  return frame;
}

struct Model {
  const Frame& frame;
  // Whether the vertical border is open on a line; by default the window of RSEL as
  // recorded at that line, and never with DEN clear.
  std::function<bool(int)> windowOpen = [this](int line) {
    const Registers& r = frame.registers[line];
    if (!(r[0x11] & 0x10)) return false;
    return (r[0x11] & 0x08) ? line >= 51 && line < 251 : line >= 55 && line < 247;
  };

  unsigned Bank() const { return 0xC000 - 0x4000 * (core::C64.memory.ioImage[0xDD00] % 4); }

  // The background at picture x of a line: colour and whether it is foreground.
  std::pair<unsigned, bool> Graphics(int line, int x) const {
    const Registers& r = frame.registers[line];
    const bool ecm = r[0x11] & 0x40, bmm = r[0x11] & 0x20, mcm = r[0x16] & 0x10;
    const int shifted = x - 32 - (r[0x16] & 7);
    if (shifted < 0) return {r[0x21] % 16, false};
    const int first = 48 + (r[0x11] & 7);  // the first bad line
    const bool display = line >= first && line < first + 200;
    const unsigned cell = display ? (line - first) / 8 * 40 + shifted / 8 : 0;
    const unsigned code = display ? reference::VideoView(Bank() + (r[0x18] / 16) * 1024 + cell) : 0;
    const unsigned colour = display ? core::C64.memory.ioImage[0xD800 + cell] % 16 : 0;
    unsigned address = bmm ? (r[0x18] & 8) * 0x400 + cell * 8 + (line - first) % 8
                           : (r[0x18] / 2 % 8) * 0x800 + code * 8 + (line - first) % 8;
    if (!display) address = 0x3FFF;
    if (ecm) address &= ~0x600u;
    const unsigned byte = reference::VideoView(Bank() + address);
    const unsigned bit = (byte >> (7 - shifted % 8)) & 1;
    const unsigned pair = (byte >> (6 - shifted % 8 / 2 * 2)) & 3;
    const bool pairs = mcm && (bmm || colour >= 8);
    const bool foreground = pairs ? pair >= 2 : bit == 1;
    unsigned shown = 0;
    if (!bmm && !pairs) shown = bit ? colour : r[0x21 + (ecm ? code / 64 : 0)];
    if (!bmm && pairs) shown = pair == 3 ? colour % 8 : r[0x21 + pair];
    if (bmm && !mcm) shown = bit ? code / 16 : code % 16;
    if (bmm && mcm)
      shown = pair == 0 ? r[0x21] : pair == 1 ? code / 16 : pair == 2 ? code % 16 : colour;
    if (ecm && (bmm || mcm)) shown = 0;
    return {shown % 16, foreground};
  }

  // Sprite n's colour at picture x of a line, or -1 where it shows no pixel.
  int Sprite(int line, int n, int x) const {
    const Registers& r = frame.registers[line];
    if (!((r[0x15] >> n) & 1)) return -1;
    const int tall = (r[0x17] >> n) & 1 ? 2 : 1, wide = (r[0x1D] >> n) & 1 ? 2 : 1;
    int row = -1;
    for (int start : {r[2 * n + 1] + 0, r[2 * n + 1] + 256}) {
      if (line > start && line <= start + 21 * tall) row = (line - start - 1) / tall;
    }
    const int column = (x - 8 - r[2 * n] - ((r[0x10] >> n) & 1) * 256) / wide;
    if (row < 0 || x - 8 - r[2 * n] - ((r[0x10] >> n) & 1) * 256 < 0 || column >= 24) return -1;
    const unsigned pointer = reference::VideoView(Bank() + (r[0x18] / 16) * 1024 + 0x3F8 + n);
    const unsigned byte = reference::VideoView(Bank() + pointer * 64 + row * 3 + column / 8);
    if ((r[0x1C] >> n) & 1) {
      const unsigned pair = (byte >> (6 - column % 8 / 2 * 2)) & 3;
      const int colours[4] = {-1, r[0x25] % 16, r[0x27 + n] % 16, r[0x26] % 16};
      return colours[pair];
    }
    return (byte >> (7 - column % 8)) & 1 ? r[0x27 + n] % 16 : -1;
  }

  unsigned Pixel(int line, int x) const {
    const Registers& r = frame.registers[line];
    const int left = (r[0x16] & 8) ? 32 : 39, right = (r[0x16] & 8) ? 352 : 343;
    if (!windowOpen(line) || x < left || x >= right) return r[0x20] % 16;
    const auto [background, foreground] = Graphics(line, x);
    for (int n = 0; n < 8; ++n) {  // the lowest-numbered sprite with a pixel decides
      const int colour = Sprite(line, n, x);
      if (colour < 0) continue;
      return ((r[0x1B] >> n) & 1) && foreground ? background : colour;
    }
    return background;
  }
};

// Holds RasterPicture against the model and names the first pixels that differ.
inline ::testing::AssertionResult PictureMatches(const Model& model) {
  int differences = 0;
  std::string report;
  for (int row = 0; row < video::kPictureHeight; ++row) {
    for (int x = 0; x < video::kPictureWidth; ++x) {
      const unsigned shown = video::RasterPicture.pixels[row][x];
      const unsigned wanted = model.Pixel(row + 16, x);
      if (shown == wanted) continue;
      if (++differences <= 8) {
        char text[80];
        std::snprintf(text, sizeof text, "\n  line %d, x %d: shown %u, expected %u", row + 16, x,
                      shown, wanted);
        report += text;
      }
    }
  }
  if (differences == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << differences << " pixels differ:" << report;
}

}  // namespace line_reference

// Text in bank 0 (matrix $0400, the ROM characters at $1000), a bitmap at $2000, colour
// RAM noise, and sprite data at $0C00-$0DFF (pointers $30-$37).
class RasterLineTest : public VideoTest {
 protected:
  void SetUp() override {
    VideoTest::SetUp();
    FillNoise(core::C64.memory.ram, 0x0400, 1000, 11);
    FillNoise(core::C64.memory.ram, 0x2000, 0x2000, 12);
    FillNoise(core::C64.memory.ioImage, 0xD800, 1024, 13);
    FillNoise(core::C64.memory.ram, 0x0C00, 0x200, 14);
    for (int n = 0; n < 8; ++n)
      core::C64.memory.ram[0x07F8 + n] = static_cast<std::uint8_t>(0x30 + n);
    core::C64.memory.ram[0x3FFF] = 0x5A;  // the idle byte
    core::C64.memory.ram[0x39FF] = 0xC3;  // the idle byte with ECM
    SetRegister(0x11, 0x1B);              // DEN, 25 rows, YSCROLL 3
    SetRegister(0x16, 0x08);              // 40 columns, XSCROLL 0
    SetRegister(0x18, 0x15);              // matrix $0400, characters $1000
    const std::uint8_t colours[] = {14, 6, 2, 5, 7, 10, 13, 1, 2, 3, 4, 5, 7, 8, 9};
    for (int n = 0; n < 15; ++n) SetRegister(0x20 + n, colours[n]);  // $D020-$D02E
  }

  core::VicRaster raster{};
};
