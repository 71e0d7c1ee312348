// The text-mode background renderer. Every fetch goes through ReadByte under the video
// view, so the character ROM shows through at $1000 and $9000 of banks 0 and 2.
#include "video/text_renderer.h"

#include "core/memory_map.h"
#include "video/frame_buffer.h"
#include "video/vic_state.h"

std::uint32_t CellCounter = 0;

namespace {

constexpr std::uint16_t kColourRam = 0xD800;

// What stays the same for all 1000 cells of one text picture, read once at its start.
struct TextPicture {
  std::uint16_t glyphBase;            // VicBank + CharBaseOffset
  std::uint32_t backgroundColour[3];  // $D021-$D023 as whole bytes
};
TextPicture Picture{};

void ReadGlyph(std::uint8_t code, std::uint8_t (&pattern)[8]) {
  const auto glyph = static_cast<std::uint16_t>(Picture.glyphBase + code * 8);
  for (int row = 0; row < 8; ++row)
    pattern[row] = ReadByte(static_cast<std::uint16_t>(glyph + row));
}

std::uint8_t CellColour() {
  return ReadByte(static_cast<std::uint16_t>(kColourRam + CellCounter)) & 0x0F;
}

}  // namespace

void DrawTextCell(int x, int y, std::uint8_t code) {
  const std::uint32_t background = Picture.backgroundColour[0];
  const std::uint32_t foreground = CellColour();
  ++CellCounter;
  std::uint8_t pattern[8];
  ReadGlyph(code, pattern);
  // The FrameBuffer is column-major, so the eight rows of one pixel column lie side by side.
  for (int column = 0; column < 8; ++column) {
    const unsigned mask = 0x80u >> column;
    std::uint32_t* pixels = &FramePixel(x + column, y);
    for (int row = 0; row < 8; ++row) pixels[row] = (pattern[row] & mask) ? foreground : background;
  }
}

void DrawMulticolourTextCell(int x, int y, std::uint8_t code) {
  const std::uint8_t cellColour = CellColour();
  if (cellColour < 8) {
    DrawTextCell(x, y, code);
    return;
  }
  const std::uint32_t colours[4] = {Picture.backgroundColour[0], Picture.backgroundColour[1],
                                    Picture.backgroundColour[2], cellColour};
  std::uint8_t pattern[8];
  ReadGlyph(code, pattern);
  // Half horizontal resolution: each bit pair gives the colour of two neighbouring pixels.
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
    Picture.backgroundColour[index] = ReadByte(static_cast<std::uint16_t>(0xD021 + index));
  }

  CellCounter = 0;
  auto matrix = static_cast<std::uint16_t>(bank + screen);
  for (int y = 0; y < kScreenHeight; y += 8) {
    for (int x = 0; x < kScreenWidth; x += 8) {
      const std::uint8_t code = ReadByte(matrix++);
      if (multicolour) {
        DrawMulticolourTextCell(x, y, code);
      } else {
        DrawTextCell(x, y, code);
      }
    }
  }
}
