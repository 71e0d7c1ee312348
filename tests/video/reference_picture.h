// An independent model of the emulated picture for the video tests: every pixel is worked
// out on its own, straight from C64.memory.ram, C64.memory.romMap and C64.memory.ioImage, with none
// of the renderers' code. The expected picture is row-major (index y * 320 + x), unlike the
// column-major FrameBuffer, so that a mix-up of the two layouts cannot cancel out.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "core/machine.h"
#include "tests/support/frame_compare.h"
#include "video/frame_buffer.h"
#include "video/vic_state.h"

namespace reference {

constexpr int kWidth = 320;
constexpr int kHeight = 200;
using Picture = std::vector<std::uint32_t>;

// What the video chip sees at an address: the character ROM copies at $1000 and $9000,
// RAM everywhere else (the I/O chips at $D000-$DFFF are the processor's alone). Colour
// RAM and the registers are read from the I/O image on their own.
inline std::uint8_t VideoView(unsigned address) {
  address &= 0xFFFF;
  if ((address >= 0x1000 && address < 0x2000) || (address >= 0x9000 && address < 0xA000)) {
    return core::C64.memory.romMap[address];
  }
  return core::C64.memory.ram[address];
}

inline std::uint8_t Register(unsigned number) {
  return core::C64.memory.ioImage[0xD000 + number];
}
inline bool Bit(unsigned value, int bit) {
  return ((value >> bit) & 1) != 0;
}

struct Setup {
  unsigned bank;
  unsigned screen;
  unsigned charBase;
  bool bitmap;
  bool multicolour;
};

inline Setup CurrentSetup() {
  static const unsigned kBankBySelect[4] = {0xC000, 0x8000, 0x4000, 0x0000};
  Setup setup{};
  setup.bank = video::BankOverride != video::FollowRegister
                   ? video::BankOverride.load()
                   : kBankBySelect[core::C64.memory.ioImage[0xDD00] % 4];
  setup.screen = video::ScreenOverride != video::FollowRegister ? video::ScreenOverride.load()
                                                                : (Register(0x18) / 16) * 1024u;
  setup.charBase = video::CharBaseOverride != video::FollowRegister
                       ? video::CharBaseOverride.load()
                       : ((Register(0x18) / 2) % 8) * 2048u;
  if (video::ForceText) {
    setup.bitmap = false;
  } else if (video::ForceBitmap) {
    setup.bitmap = true;
  } else {
    setup.bitmap = Bit(Register(0x11), 5);
  }
  setup.multicolour = Bit(Register(0x16), 4) || video::ForceMulticolour;
  return setup;
}

inline std::uint32_t BackgroundPixel(const Setup& s, int x, int y) {
  const unsigned cell = (y / 8) * 40 + x / 8;
  const int row = y % 8;
  const int column = x % 8;
  const int pair = (x % 8) / 2;
  const unsigned colourRam = core::C64.memory.ioImage[0xD800 + cell] % 16;
  if (!s.bitmap) {
    const unsigned code = VideoView(s.bank + s.screen + cell);
    const unsigned pattern = VideoView(s.bank + s.charBase + code * 8 + row);
    if (s.multicolour && colourRam >= 8) {
      // Bit 3 picks the multicolour form; %11 pairs show colour RAM bits 0-2 alone.
      const unsigned colours[4] = {Register(0x21), Register(0x22), Register(0x23), colourRam % 8};
      return colours[(pattern >> (6 - 2 * pair)) % 4];
    }
    return Bit(pattern, 7 - column) ? colourRam : Register(0x21);
  }
  const unsigned base = s.bank + (Bit(Register(0x18), 3) ? 0x2000 : 0);
  const unsigned pattern = VideoView(base + cell * 8 + row);
  const unsigned matrix = VideoView(s.bank + s.screen + cell);
  if (s.multicolour) {
    const unsigned colours[4] = {Register(0x21), matrix / 16, matrix % 16, colourRam};
    return colours[(pattern >> (6 - 2 * pair)) % 4];
  }
  return Bit(pattern, 7 - column) ? matrix / 16 : matrix % 16;
}

inline void PaintSprites(const Setup& s, Picture& picture) {
  for (int n = 0; n < 8; ++n) {
    const bool enabled = Bit(Register(0x15), n);
    const bool multicolour = video::ForceMulticolour || (enabled && Bit(Register(0x1C), n));
    if (!enabled && !multicolour) continue;
    const int left = Register(2 * n) + (Bit(Register(0x10), n) ? 256 : 0) - 24;
    const int top = Register(2 * n + 1) - 50;
    if (left < 0 || top < 0) continue;
    const int xScale = Bit(Register(0x1D), n) ? 2 : 1;
    const int yScale = Bit(Register(0x17), n) ? 2 : 1;
    const unsigned data = s.bank + VideoView(s.bank + s.screen + 0x3F8 + n) * 64;
    for (int sy = 0; sy < 21; ++sy) {
      for (int sx = 0; sx < 24; ++sx) {
        const unsigned byte = VideoView(data + sy * 3 + sx / 8);
        std::uint32_t colour = 0;
        bool drawn = false;
        if (multicolour) {
          const unsigned colours[4] = {0, Register(0x25), Register(0x27 + n), Register(0x26)};
          colour = colours[(byte >> (6 - 2 * ((sx % 8) / 2))) % 4];
          drawn = colour != 0;
        } else {
          colour = Register(0x27 + n);
          drawn = Bit(byte, 7 - sx % 8);
        }
        if (!drawn) continue;
        for (int dy = 0; dy < yScale; ++dy) {
          for (int dx = 0; dx < xScale; ++dx) {
            const int x = left + sx * xScale + dx;
            const int y = top + sy * yScale + dy;
            if (x < kWidth && y < kHeight) picture[y * kWidth + x] = colour;
          }
        }
      }
    }
  }
}

// The picture that the machine's memory and registers describe right now.
inline Picture ExpectedPicture() {
  const Setup setup = CurrentSetup();
  Picture picture(kWidth * kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) picture[y * kWidth + x] = BackgroundPixel(setup, x, y);
  }
  PaintSprites(setup, picture);
  return picture;
}

inline std::uint32_t Expected(const Picture& picture, int x, int y) {
  return picture[y * kWidth + x];
}

// Compares the FrameBuffer with a model picture and names the first differing pixels.
inline ::testing::AssertionResult FrameBufferMatches(const Picture& expected) {
  return FrameBufferShows([&](int x, int y) { return Expected(expected, x, y); });
}

// The number of distinct colour values in a picture: a golden picture of one colour
// would prove little.
inline std::size_t DistinctColours(const Picture& picture) {
  std::vector<bool> seen(256);
  std::size_t count = 0;
  for (std::uint32_t value : picture) {
    if (value < 256 && !seen[value]) {
      seen[value] = true;
      ++count;
    }
  }
  return count;
}

// The character generator placed where the video chip sees it ($1000 and $9000) and at
// $D000 for the processor, as power-on does.
inline void LoadCharacterRom() {
  const std::filesystem::path path =
      std::filesystem::path(C64EMU_SHARED_DIR) / "roms" / "characters.901225-01.bin";
  std::ifstream file(path, std::ios::binary);
  ASSERT_TRUE(file) << "cannot open " << path;
  const std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                                std::istreambuf_iterator<char>());
  ASSERT_EQ(bytes.size(), 4096u);
  for (unsigned base : {0x1000u, 0x9000u, 0xD000u}) {
    for (unsigned i = 0; i < 4096; ++i)
      core::C64.memory.romMap[base + i] = static_cast<std::uint8_t>(bytes[i]);
  }
}

}  // namespace reference
