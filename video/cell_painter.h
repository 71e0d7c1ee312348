// Painting one 8 x 8 cell of the background into the FrameBuffer from its eight pattern
// bytes (one per pixel row, leftmost pixel in bit 7): shared by the text and bitmap
// renderers, whose cells differ only in where pattern and colours come from.
#pragma once

#include <cstdint>

#include "video/frame_buffer.h"

namespace video {

// A set bit paints `set`, a clear bit `clear`.
inline void PaintHiresCell(int x, int y, const std::uint8_t (&pattern)[8], std::uint32_t set,
                           std::uint32_t clear) {
  // The FrameBuffer is column-major: the eight rows of one pixel column lie side by side.
  for (int column = 0; column < 8; ++column) {
    const unsigned mask = 0x80u >> column;
    std::uint32_t* pixels = &FramePixel(x + column, y);
    for (int row = 0; row < 8; ++row) pixels[row] = (pattern[row] & mask) ? set : clear;
  }
}

// Half horizontal resolution: each bit pair picks one of four colours for two
// neighbouring pixels.
inline void PaintMulticolourCell(int x, int y, const std::uint8_t (&pattern)[8],
                                 const std::uint32_t (&colours)[4]) {
  for (int pair = 0; pair < 4; ++pair) {
    const int shift = 6 - 2 * pair;
    std::uint32_t* left = &FramePixel(x + 2 * pair, y);
    std::uint32_t* right = &FramePixel(x + 2 * pair + 1, y);
    for (int row = 0; row < 8; ++row) {
      const std::uint32_t colour = colours[(pattern[row] >> shift) & 3];
      left[row] = colour;
      right[row] = colour;
    }
  }
}

}  // namespace video
