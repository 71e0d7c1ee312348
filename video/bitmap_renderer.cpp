// The bitmap background renderer, standard (hi-res) and multicolour. Bitmap and matrix
// fetches go through the video chip's view: a bitmap at $0000 of bank 0 shows the
// character ROM copy in its cells 512 to 999; in bank 3 the bitmap is read from the RAM
// under the KERNAL and a matrix at $D000 from the RAM under the I/O area.
#include "video/bitmap_renderer.h"

#include <cstdint>

#include "core/memory_map.h"
#include "video/cell_painter.h"
#include "video/vic_state.h"

namespace video {

namespace {

constexpr int kCells = 1000;
constexpr int kCellsPerRow = 40;

void ReadCellPattern(std::uint16_t cellAddress, std::uint8_t (&pattern)[8]) {
  for (int row = 0; row < 8; ++row) {
    pattern[row] = core::ReadVideoByte(static_cast<std::uint16_t>(cellAddress + row));
  }
}

// Ink where a bit is set, paper where it is clear: the matrix byte's two nibbles.
void DrawHiresCell(int x, int y, std::uint16_t cellAddress, std::uint8_t matrixByte) {
  std::uint8_t pattern[8];
  ReadCellPattern(cellAddress, pattern);
  PaintHiresCell(x, y, pattern, matrixByte >> 4, matrixByte & 0x0F);
}

// Each bit pair picks $D021, the matrix byte's high or low nibble, or the colour RAM
// nibble.
void DrawMulticolourCell(int x, int y, std::uint16_t cellAddress,
                         const std::uint32_t (&colours)[4]) {
  std::uint8_t pattern[8];
  ReadCellPattern(cellAddress, pattern);
  PaintMulticolourCell(x, y, pattern, colours);
}

}  // namespace

void RenderBitmapScreen() {
  const std::uint16_t bank = VicBank.load(std::memory_order_relaxed);
  const std::uint16_t screen = ScreenOffset.load(std::memory_order_relaxed);
  const bool multicolour =
      MulticolourFlag != 0 || ForceMulticolour.load(std::memory_order_relaxed) != 0;
  // The bank plus the bitmap's offset, modulo 64 KB.
  const auto bitmap =
      static_cast<std::uint16_t>(bank + ((VideoRegister(0xD018) & 0x08) ? 0x2000 : 0x0000));
  // Only the multicolour form uses background colour 0.
  const std::uint32_t background = multicolour ? VideoRegister(0xD021) : 0;
  const auto matrix = static_cast<std::uint16_t>(bank + screen);

  for (int cell = 0; cell < kCells; ++cell) {
    const int x = 8 * (cell % kCellsPerRow);
    const int y = 8 * (cell / kCellsPerRow);
    const auto cellAddress = static_cast<std::uint16_t>(bitmap + 8 * cell);
    const std::uint8_t matrixByte = core::ReadVideoByte(static_cast<std::uint16_t>(matrix + cell));
    if (multicolour) {
      const std::uint32_t colours[4] = {
          background, static_cast<std::uint32_t>(matrixByte >> 4),
          static_cast<std::uint32_t>(matrixByte & 0x0F),
          static_cast<std::uint32_t>(ReadColourRam(static_cast<unsigned>(cell)) & 0x0F)};
      DrawMulticolourCell(x, y, cellAddress, colours);
    } else {
      DrawHiresCell(x, y, cellAddress, matrixByte);
    }
  }
}

}  // namespace video
