// An independent model of the picture of video bank 3 ($C000-$FFFF), the bank cc65's
// plasma and hi-res graphics use: there the video chip sees RAM only (no character ROM
// image, never the I/O registers), so each pixel comes from the RAM image, the video
// registers and the colour RAM alone.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "core/machine.h"
#include "tests/support/frame_compare.h"

namespace bank3 {

inline bool BitmapMode() {
  return (core::C64.memory.ioImage[0xD011] & 0x20) != 0;
}

// The colour (0-15) of pixel (x, y) that the RAM image and the registers describe.
inline unsigned Pixel(const std::uint8_t* ram, int x, int y) {
  const unsigned pointers = core::C64.memory.ioImage[0xD018];
  const unsigned matrix = 0xC000 + (pointers >> 4) * 0x400;
  const unsigned cell = (y / 8) * 40 + x / 8;
  const bool set = [&] {
    if (BitmapMode()) {
      const unsigned bitmap = 0xC000 + ((pointers & 0x08) ? 0x2000 : 0);
      return (ram[bitmap + cell * 8 + y % 8] >> (7 - x % 8)) & 1;
    }
    const unsigned glyphs = 0xC000 + ((pointers >> 1) & 7) * 0x800;
    return (ram[glyphs + ram[matrix + cell] * 8 + y % 8] >> (7 - x % 8)) & 1;
  }() != 0;
  if (BitmapMode()) return set ? ram[matrix + cell] >> 4 : ram[matrix + cell] & 0x0F;
  return set ? core::C64.memory.ioImage[0xD800 + cell] & 0x0F
             : core::C64.memory.ioImage[0xD021] & 0x0F;
}

// Holds the FrameBuffer against the model: the video chip must be in bank 3, in standard
// text or hi-res bitmap mode, with no sprites on (the model covers no more).
inline ::testing::AssertionResult FrameMatchesRam(const std::uint8_t* ram) {
  if ((core::C64.memory.ioImage[0xDD00] & 0x03) != 0)
    return ::testing::AssertionFailure() << "not bank 3";
  if ((core::C64.memory.ioImage[0xD011] & 0x40) != 0 ||
      (core::C64.memory.ioImage[0xD016] & 0x10) != 0 || core::C64.memory.ioImage[0xD015] != 0) {
    return ::testing::AssertionFailure() << "extended colour, multicolour or sprites";
  }
  // The chip's 4-bit colour.
  return FrameBufferShows([&](int x, int y) { return Pixel(ram, x, y); }, 0x0F);
}

}  // namespace bank3
