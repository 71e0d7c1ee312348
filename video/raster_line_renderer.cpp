// One raster line of the picture: the graphics sequencer's 320 pixels in the line's mode,
// the eight sprites over them by the chip's priority rules, and the border over both.
// Works on fixed arrays on the stack: nothing is allocated per line.
#include "video/raster_line_renderer.h"

#include <cassert>
#include <cstring>

#include "core/machine.h"
#include "core/memory_map.h"
#include "video/frame_buffer.h"
#include "video/vic_state.h"

namespace video {

LinePicture RasterPicture;
LinePicture ShownPicture;

namespace {

constexpr int kLineLength = 504;      // sprite X positions on a PAL line (63 cycles x 8)
constexpr int kGraphicsLength = 328;  // 320 display pixels and up to 7 moved out by XSCROLL
constexpr int kGraphicsX = 24;        // sprite X of display column 0
constexpr int kBehindBackground = 0x10;

enum Mode : int {
  kStandardText = 0,
  kMulticolourText = 1,
  kStandardBitmap = 2,
  kMulticolourBitmap = 3,
  kExtendedText = 4,
  // ECM with MCM and/or BMM: the chip draws black but keeps the foreground of the
  // multicolour text, standard bitmap or multicolour bitmap form.
  kInvalidText = 5,
  kInvalidBitmap = 6,
  kInvalidMulticolourBitmap = 7,
};

struct LineGraphics {
  std::uint8_t colour[kGraphicsLength];
  std::uint8_t foreground[kGraphicsLength];  // 1 where the pixel counts as foreground
};

inline void PaintHires(LineGraphics& out, int x, std::uint8_t pattern, std::uint8_t set,
                       std::uint8_t clear) {
  for (int bit = 0; bit < 8; ++bit) {
    const std::uint8_t on = (pattern >> (7 - bit)) & 1;
    out.colour[x + bit] = on ? set : clear;
    out.foreground[x + bit] = on;
  }
}

// %10 and %11 pairs are foreground, %00 and %01 background.
inline void PaintMulticolour(LineGraphics& out, int x, std::uint8_t pattern,
                             const std::uint8_t (&colours)[4]) {
  for (int pair = 0; pair < 4; ++pair) {
    const int value = (pattern >> (6 - 2 * pair)) & 3;
    out.colour[x + 2 * pair] = out.colour[x + 2 * pair + 1] = colours[value];
    out.foreground[x + 2 * pair] = out.foreground[x + 2 * pair + 1] =
        static_cast<std::uint8_t>(value >> 1);
  }
}

// The 40 cells of the line: in display state from the matrix line and RC, in idle state
// the byte at $3FFF of the bank ($39FF with ECM) with matrix and colour taken as 0.
void DrawGraphics(const core::VicRaster& raster, const std::uint8_t* registers, LineGraphics& out) {
  const std::uint8_t control = registers[0x11];
  const std::uint8_t control2 = registers[0x16];
  const std::uint8_t pointers = registers[0x18];
  const int mode = ((control >> 4) & 4) | ((control >> 4) & 2) | ((control2 >> 4) & 1);
  const int scroll = control2 & 7;
  const std::uint16_t bank = core::VideoBank();
  // ECM holds address lines 9 and 10 low in every graphics fetch.
  const std::uint16_t addressMask = (mode & 4) ? 0x39FF : 0x3FFF;
  const std::uint16_t charBase = static_cast<std::uint16_t>(((pointers >> 1) & 7) * 0x800);
  const std::uint16_t bitmapBase = (pointers & 0x08) ? 0x2000 : 0x0000;
  std::uint8_t background[4];
  for (int n = 0; n < 4; ++n) background[n] = registers[0x21 + n] & 0x0F;

  for (int x = 0; x < scroll; ++x) {
    out.colour[x] = background[0];
    out.foreground[x] = 0;
  }
  for (int x = scroll + 320; x < kGraphicsLength; ++x) out.foreground[x] = 0;

  const bool display = raster.displayState;
  const std::uint8_t idlePattern =
      core::ReadVideoByte(static_cast<std::uint16_t>(bank | addressMask));
  for (int column = 0; column < 40; ++column) {
    const std::uint8_t code = display ? raster.matrixCodes[column] : 0;
    const std::uint8_t colour = display ? raster.matrixColours[column] : 0;
    std::uint8_t pattern = idlePattern;
    if (display) {
      const std::uint16_t offset =
          (mode & 2) ? static_cast<std::uint16_t>(bitmapBase |
                                                  (((raster.vc + column) & 0x3FF) << 3) | raster.rc)
                     : static_cast<std::uint16_t>(charBase | (code << 3) | raster.rc);
      pattern = core::ReadVideoByte(static_cast<std::uint16_t>(bank | (offset & addressMask)));
    }
    const int x = scroll + 8 * column;
    switch (mode) {
      case kStandardText: PaintHires(out, x, pattern, colour, background[0]); break;
      case kMulticolourText:
      case kInvalidText:
        if (colour & 0x08) {
          const std::uint8_t colours[4] = {background[0], background[1], background[2],
                                           static_cast<std::uint8_t>(colour & 0x07)};
          PaintMulticolour(out, x, pattern, colours);
        } else {
          PaintHires(out, x, pattern, colour, background[0]);
        }
        break;
      case kStandardBitmap:
      case kInvalidBitmap: PaintHires(out, x, pattern, code >> 4, code & 0x0F); break;
      case kMulticolourBitmap:
      case kInvalidMulticolourBitmap: {
        const std::uint8_t colours[4] = {background[0], static_cast<std::uint8_t>(code >> 4),
                                         static_cast<std::uint8_t>(code & 0x0F), colour};
        PaintMulticolour(out, x, pattern, colours);
        break;
      }
      case kExtendedText: PaintHires(out, x, pattern, colour, background[code >> 6]); break;
    }
  }
  if (mode > kExtendedText) std::memset(out.colour, 0, sizeof out.colour);
}

struct LineSprites {
  std::uint8_t owners[kLineLength];  // bit n: sprite n has a pixel here
  std::uint8_t colour[kLineLength];  // the lowest-numbered one's colour, | kBehindBackground
};

// Sprites 7 down to 0, so that where they meet the lowest-numbered one's pixel stays.
// Every meeting sets the bits of all sprites there.
void DrawSprites(const core::VicRaster& raster, const std::uint8_t* registers,
                 const LineGraphics* graphics, LineSprites& out, LineCollisions& found) {
  std::memset(out.owners, 0, sizeof out.owners);
  const std::uint8_t multicolour0 = registers[0x25] & 0x0F;
  const std::uint8_t multicolour1 = registers[0x26] & 0x0F;
  for (int n = 7; n >= 0; --n) {
    const std::uint8_t bit = static_cast<std::uint8_t>(1u << n);
    if (!(raster.spriteDisplay & bit)) continue;
    const int start = registers[2 * n] | ((registers[0x10] & bit) ? 256 : 0);
    if (start >= kLineLength) continue;
    const int width = (registers[0x1D] & bit) ? 2 : 1;
    const bool multicolour = (registers[0x1C] & bit) != 0;
    const std::uint8_t behind = (registers[0x1B] & bit) ? kBehindBackground : 0;
    const std::uint8_t colours[4] = {
        0, multicolour0, static_cast<std::uint8_t>(registers[0x27 + n] & 0x0F), multicolour1};
    const std::uint32_t data = raster.spriteData[n];
    for (int pixel = 0; pixel < 24; ++pixel) {
      const int value =
          multicolour ? (data >> (22 - (pixel & ~1))) & 3 : ((data >> (23 - pixel)) & 1) << 1;
      if (value == 0) continue;
      const std::uint8_t colour = colours[value] | behind;
      for (int copy = 0; copy < width; ++copy) {
        int x = start + pixel * width + copy;
        if (x >= kLineLength) x -= kLineLength;
        if (out.owners[x] != 0) found.spriteSprite |= out.owners[x] | bit;
        out.owners[x] |= bit;
        out.colour[x] = colour;
        const int graphicsX = x - kGraphicsX;
        if (graphics && graphicsX >= 0 && graphicsX < kGraphicsLength &&
            graphics->foreground[graphicsX]) {
          found.spriteBackground |= bit;
        }
      }
    }
  }
}

}  // namespace

LineCollisions DrawRasterLine(std::uint16_t line, core::VicRaster& raster,
                              const std::uint8_t* registers, LinePicture& picture) {
  LineCollisions found{};
  const bool open = raster.verticalBorderOpen;
  LineGraphics graphics;
  if (open) DrawGraphics(raster, registers, graphics);
  LineSprites sprites;
  const bool anySprite = raster.spriteDisplay != 0;
  if (anySprite) DrawSprites(raster, registers, open ? &graphics : nullptr, sprites, found);
  raster.lineSpriteSprite = found.spriteSprite;
  raster.lineSpriteBackground = found.spriteBackground;

  if (line < kFirstPictureLine || line >= kFirstPictureLine + kPictureHeight) return found;
  std::uint8_t* row = picture.pixels[line - kFirstPictureLine];
  const std::uint8_t border = registers[0x20] & 0x0F;
  if (!open) {
    std::memset(row, border, kPictureWidth);
    return found;
  }
  const bool fortyColumns = (registers[0x16] & 0x08) != 0;
  const int left = BorderLeft(fortyColumns);
  const int right = BorderRight(fortyColumns);
  std::memset(row, border, left);
  std::memset(row + right, border, kPictureWidth - right);
  // Picture x p is display x p - 32 and sprite X p - 8 inside the window.
  for (int x = left; x < right; ++x) {
    const int graphicsX = x - kDisplayLeft;
    std::uint8_t colour = graphics.colour[graphicsX];
    if (anySprite) {
      const int spriteX = graphicsX + kGraphicsX;
      if (sprites.owners[spriteX] != 0) {
        const std::uint8_t sprite = sprites.colour[spriteX];
        if (!((sprite & kBehindBackground) && graphics.foreground[graphicsX])) {
          colour = sprite & 0x0F;
        }
      }
    }
    row[x] = colour;
  }
  return found;
}

void PublishRasterPicture() {
  UpdatePicturePointers();
  std::memcpy(&ShownPicture, &RasterPicture, sizeof ShownPicture);
  // The FrameBuffer (for snapshots and the tests) every eighth frame, as the classic
  // machine renders it: filling its 256 KB costs more than the rest of a frame's work
  // outside the line drawing.
  if (core::C64.run.frameCounter.load(std::memory_order_relaxed) % core::FramesPerPass != 0) {
    return;
  }
  for (int x = 0; x < kScreenWidth; ++x) {
    std::uint32_t* column = &FramePixel(x, 0);
    const std::uint8_t* pixel = &RasterPicture.pixels[kDisplayTop][kDisplayLeft + x];
    for (int y = 0; y < kScreenHeight; ++y) column[y] = pixel[y * kPictureWidth];
  }
}

void ShowFrameBufferInBorder(std::uint8_t borderColour) {
  assert(borderColour < 16);
  std::memset(&ShownPicture, borderColour, sizeof ShownPicture);
  for (int y = 0; y < kScreenHeight; ++y) {
    std::uint8_t* row = &ShownPicture.pixels[kDisplayTop + y][kDisplayLeft];
    for (int x = 0; x < kScreenWidth; ++x) row[x] = static_cast<std::uint8_t>(FramePixel(x, y));
  }
}

}  // namespace video
