// The text-mode background renderer. Matrix and glyph fetches go through the video chip's
// view, so the character ROM shows through at $1000 and $9000 of banks 0 and 2.
#include "video/text_renderer.h"

#include "core/memory_map.h"
#include "video/cell_painter.h"
#include "video/vic_state.h"

namespace video {

std::uint32_t CellCounter = 0;

namespace {

// What stays the same for all 1000 cells of one text picture, read once at its start.
struct TextPicture {
  std::uint16_t glyphBase;            // VicBank + CharBaseOffset
  std::uint32_t backgroundColour[3];  // $D021-$D023 as whole bytes
};
TextPicture Picture{};

void ReadGlyph(std::uint8_t code, std::uint8_t (&pattern)[8]) {
  const auto glyph = static_cast<std::uint16_t>(Picture.glyphBase + code * 8);
  for (int row = 0; row < 8; ++row)
    pattern[row] = core::ReadVideoByte(static_cast<std::uint16_t>(glyph + row));
}

std::uint8_t CellColour() {
  return ReadColourRam(CellCounter) & 0x0F;
}

}  // namespace

void DrawTextCell(int x, int y, std::uint8_t code) {
  const std::uint32_t background = Picture.backgroundColour[0];
  const std::uint32_t foreground = CellColour();
  ++CellCounter;
  std::uint8_t pattern[8];
  ReadGlyph(code, pattern);
  PaintHiresCell(x, y, pattern, foreground, background);
}

void DrawMulticolourTextCell(int x, int y, std::uint8_t code) {
  const std::uint8_t cellColour = CellColour();
  if (cellColour < 8) {
    DrawTextCell(x, y, code);
    return;
  }
  // Bit 3 only selects the multicolour form: %11 pairs take colour RAM bits 0-2.
  const std::uint32_t colours[4] = {Picture.backgroundColour[0], Picture.backgroundColour[1],
                                    Picture.backgroundColour[2], cellColour & 0x07u};
  std::uint8_t pattern[8];
  ReadGlyph(code, pattern);
  PaintMulticolourCell(x, y, pattern, colours);
  ++CellCounter;
}

void RenderTextScreen() {
  const std::uint16_t bank = VicBank.load(std::memory_order_relaxed);
  const std::uint16_t screen = ScreenOffset.load(std::memory_order_relaxed);
  const std::uint16_t charBase = CharBaseOffset.load(std::memory_order_relaxed);
  const bool multicolour =
      MulticolourFlag != 0 || ForceMulticolour.load(std::memory_order_relaxed) != 0;
  Picture.glyphBase = static_cast<std::uint16_t>(bank + charBase);
  for (int index = 0; index < 3; ++index) {
    Picture.backgroundColour[index] = VideoRegister(static_cast<std::uint16_t>(0xD021 + index));
  }

  CellCounter = 0;
  auto matrix = static_cast<std::uint16_t>(bank + screen);
  for (int y = 0; y < kScreenHeight; y += 8) {
    for (int x = 0; x < kScreenWidth; x += 8) {
      const std::uint8_t code = core::ReadVideoByte(matrix++);
      if (multicolour) {
        DrawMulticolourTextCell(x, y, code);
      } else {
        DrawTextCell(x, y, code);
      }
    }
  }
}

}  // namespace video
