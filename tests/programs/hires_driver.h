// The picture of cc65's c64-hi TGI driver: bitmap at $E000 and colour matrix at $D000,
// both in the RAM under the KERNAL and the I/O area of video bank 3, and the checks the
// graphics samples' tests make on it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "core/machine.h"
#include "tests/programs/bank3_picture.h"
#include "tests/programs/sample_run.h"

namespace hires {

constexpr unsigned kBitmap = 0xE000;
constexpr unsigned kMatrix = 0xD000;

inline bool PixelSet(int x, int y) {
  return ((core::C64.memory.ram[kBitmap + (y / 8) * 320 + (x / 8) * 8 + y % 8] >> (7 - x % 8)) &
          1) != 0;
}

// The driver's mode, with every matrix cell holding `colours` (set pixels' colour in the
// high nibble, the others' in the low one: the palette the program chose).
inline void ExpectDriverMode(std::uint8_t colours) {
  EXPECT_EQ(core::C64.memory.ioImage[0xDD00] & 0x03, 0) << "bank 3";
  EXPECT_EQ(core::C64.memory.ioImage[0xD018], 0x48) << "matrix at $D000, bitmap at $E000";
  EXPECT_TRUE(bank3::BitmapMode());
  int wrong = 0;
  for (unsigned cell = 0; cell < 1000; ++cell)
    wrong += core::C64.memory.ram[kMatrix + cell] != colours;
  EXPECT_EQ(wrong, 0) << "matrix cells other than " << int{colours};
}

// Renders a picture now and holds it against the one the RAM describes.
inline void ExpectPictureOfRam() {
  RenderPicture();
  EXPECT_TRUE(bank3::FrameMatchesRam(core::C64.memory.ram));
}

}  // namespace hires
