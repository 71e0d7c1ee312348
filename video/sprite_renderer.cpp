// The sprite renderer: 24 x 21 pixel images of 63 bytes, optionally doubled in width and
// height, in one colour or in the multicolour form at half horizontal resolution. There
// is no sprite-to-background priority and no collision detection.
#include "video/sprite_renderer.h"

#include <cstdint>

#include "core/memory_map.h"
#include "video/frame_buffer.h"
#include "video/vic_state.h"

namespace video {

namespace {

constexpr int kSpriteRows = 21;
constexpr int kSpriteBytesPerRow = 3;
// Sprite X = 24, Y = 50 is the top-left pixel of the frame.
constexpr int kLeftOffset = 24;
constexpr int kTopOffset = 50;
// The sprite pointers are the last eight bytes of the 1 KB video matrix area.
constexpr std::uint16_t kPointerOffset = 0x3F8;

struct SpritePlacement {
  int left;
  int top;
  bool wide;  // doubled in width
  bool tall;  // doubled in height
};

// Each copy of a pixel is clipped on its own, so a doubled pixel in column 319 or row 199
// loses only the copy that would fall outside the frame (and never wraps into the next
// column of the column-major FrameBuffer). left and top are never negative here.
inline void PlotClipped(int x, int y, std::uint32_t colour) {
  if (x < kScreenWidth && y < kScreenHeight) FramePixel(x, y) = colour;
}

// One walked pixel (column c, row r of the possibly doubled sprite) and its copies.
inline void PlotSpritePixel(const SpritePlacement& sprite, int c, int r, std::uint32_t colour) {
  const int x = sprite.left + c;
  const int y = sprite.top + r;
  PlotClipped(x, y, colour);
  if (sprite.wide) PlotClipped(x + 1, y, colour);
  if (sprite.tall) PlotClipped(x, y + 1, colour);
  if (sprite.wide && sprite.tall) PlotClipped(x + 1, y + 1, colour);
}

// A set bit is drawn in the sprite colour, even when that colour is 0; a clear bit
// leaves what lies below.
void DrawStandardSprite(const SpritePlacement& sprite, std::uint16_t data, std::uint32_t colour) {
  const int columnStep = sprite.wide ? 2 : 1;
  const int rowStep = sprite.tall ? 2 : 1;
  for (int row = 0; row < kSpriteRows; ++row) {
    for (int byte = 0; byte < kSpriteBytesPerRow; ++byte) {
      const std::uint8_t bits = core::ReadVideoByte(data++);
      for (int bit = 0; bit < 8; ++bit) {
        if (bits & (0x80u >> bit)) {
          PlotSpritePixel(sprite, (byte * 8 + bit) * columnStep, row * rowStep, colour);
        }
      }
    }
  }
}

// Each bit pair covers two walked columns: %00 is transparent, %01 is multicolour 0,
// %10 the sprite colour, %11 multicolour 1. A colour value of 0 also stands for no pixel.
void DrawMulticolourSprite(const SpritePlacement& sprite, std::uint16_t data,
                           const std::uint32_t (&colours)[4]) {
  const int columnStep = sprite.wide ? 2 : 1;
  const int rowStep = sprite.tall ? 2 : 1;
  for (int row = 0; row < kSpriteRows; ++row) {
    for (int byte = 0; byte < kSpriteBytesPerRow; ++byte) {
      const std::uint8_t bits = core::ReadVideoByte(data++);
      for (int pair = 0; pair < 4; ++pair) {
        const std::uint32_t colour = colours[(bits >> (6 - 2 * pair)) & 3];
        if (colour == 0) continue;
        const int c = (byte * 8 + pair * 2) * columnStep;
        PlotSpritePixel(sprite, c, row * rowStep, colour);
        PlotSpritePixel(sprite, c + columnStep, row * rowStep, colour);
      }
    }
  }
}

}  // namespace

void RenderSprites() {
  const std::uint16_t bank = VicBank.load(std::memory_order_relaxed);
  const std::uint16_t screen = ScreenOffset.load(std::memory_order_relaxed);
  const bool forceMulticolour = ForceMulticolour.load(std::memory_order_relaxed) != 0;
  const std::uint8_t positionHigh = VideoRegister(0xD010);
  const std::uint8_t enabled = VideoRegister(0xD015);
  const std::uint8_t doubledHeight = VideoRegister(0xD017);
  const std::uint8_t multicolour = VideoRegister(0xD01C);
  const std::uint8_t doubledWidth = VideoRegister(0xD01D);
  const std::uint32_t multicolour0 = VideoRegister(0xD025);
  const std::uint32_t multicolour1 = VideoRegister(0xD026);
  const auto pointers = static_cast<std::uint16_t>(bank + screen + kPointerOffset);

  for (int n = 0; n < 8; ++n) {
    const unsigned mask = 1u << n;
    const bool isEnabled = (enabled & mask) != 0;
    if (!isEnabled && !forceMulticolour) continue;
    const bool multicolourForm = forceMulticolour || (multicolour & mask) != 0;

    SpritePlacement sprite{};
    sprite.left = VideoRegister(static_cast<std::uint16_t>(0xD000 + 2 * n)) +
                  ((positionHigh & mask) ? 256 : 0) - kLeftOffset;
    sprite.top = VideoRegister(static_cast<std::uint16_t>(0xD001 + 2 * n)) - kTopOffset;
    // A sprite that reaches past the left or top edge is not shown at all; one that
    // starts beyond the right or bottom edge has nothing to show.
    if (sprite.left < 0 || sprite.top < 0) continue;
    if (sprite.left >= kScreenWidth || sprite.top >= kScreenHeight) continue;
    sprite.wide = (doubledWidth & mask) != 0;
    sprite.tall = (doubledHeight & mask) != 0;

    const std::uint8_t pointer = core::ReadVideoByte(static_cast<std::uint16_t>(pointers + n));
    const auto data = static_cast<std::uint16_t>(bank + pointer * 64);
    const std::uint32_t colour = VideoRegister(static_cast<std::uint16_t>(0xD027 + n));
    if (multicolourForm) {
      const std::uint32_t colours[4] = {0, multicolour0, colour, multicolour1};
      DrawMulticolourSprite(sprite, data, colours);
    } else {
      DrawStandardSprite(sprite, data, colour);
    }
  }
}

}  // namespace video
