// The emulated screen as palette indices, and the palette itself.
#pragma once

#include <cstdint>

namespace video {

inline constexpr int kScreenWidth = 320;
inline constexpr int kScreenHeight = 200;
inline constexpr int kFrameBufferSize = kScreenWidth * kScreenHeight;

// Column-major: the entry of column x and row y is number x * 200 + y.
extern std::uint32_t FrameBuffer[kFrameBufferSize];

inline std::uint32_t& FramePixel(int x, int y) {
  return FrameBuffer[x * kScreenHeight + y];
}

// Every entry black (0), as at the first power-on.
void ClearFrameBuffer();

struct RgbColour {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
};

// The video chip's 16 colours in its own numbering.
extern const RgbColour Palette[16];

// An entry above 15 is shown through its low four bits, as the chip's 4-bit colour
// registers would hold it: nothing ever indexes past the palette.
inline const RgbColour& PaletteColour(std::uint32_t entry) {
  return Palette[entry & 0x0F];
}

}  // namespace video
