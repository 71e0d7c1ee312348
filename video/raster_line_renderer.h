// The video chip's picture drawn one raster line at a time: the whole visible PAL area of
// 384 x 272 pixels with its border, every display mode, the sprites with their priorities,
// and the collisions found on each line.
#pragma once

#include <cstdint>

#include "core/chips/vic_raster.h"

namespace video {

inline constexpr int kPictureWidth = 384;
inline constexpr int kPictureHeight = 272;
inline constexpr int kFirstPictureLine = 16;  // raster line 16 is picture row 0
// The display window's top-left in picture coordinates: display column 0 (sprite X 24)
// is picture x 32, raster line 51 is picture row 35. Sprite X coordinate x stands at
// picture x x + 8; X $1F0-$1F7 are the picture's first eight columns (the line's counter
// wraps from $1F7 to 0), and $1F8-$1FF never appear on a PAL line.
inline constexpr int kDisplayLeft = 32;
inline constexpr int kDisplayTop = 35;

// Palette indices 0-15, row by row.
struct LinePicture {
  std::uint8_t pixels[kPictureHeight][kPictureWidth];
};
// The picture being drawn, line by line.
extern LinePicture RasterPicture;
// The last whole frame, as PublishRasterPicture left it: what the display window shows,
// never a mix of two frames, however the machine was stopped or stepped.
extern LinePicture ShownPicture;

// The horizontal border's comparisons for CSEL ($D016 bit 3), as picture x: the display
// shows from Left up to (not including) Right. 40 columns: 32-351; 38 columns: 39-342,
// seven pixels covered on the left and nine on the right.
inline int BorderLeft(bool fortyColumns) {
  return fortyColumns ? 32 : 39;
}
inline int BorderRight(bool fortyColumns) {
  return fortyColumns ? 352 : 343;
}

struct LineCollisions {
  std::uint8_t spriteSprite;      // $D01E bits
  std::uint8_t spriteBackground;  // $D01F bits
};

// Draws raster line `line` (after raster.BeginLine for it, with the same registers
// $D000-$D03F) into its row of `picture` when the line is one of 16-287, and finds the
// line's collisions on every line; they are stored in raster.lineSpriteSprite and
// raster.lineSpriteBackground as well as returned. Sprite-sprite collisions count over
// the whole line, border included; sprite-background collisions wherever the line's
// graphics run (display columns 0-319 moved by XSCROLL) and the vertical border is open.
// Character and bitmap data are read through the video chip's view of memory.
LineCollisions DrawRasterLine(std::uint16_t line, core::VicRaster& raster,
                              const std::uint8_t* registers, LinePicture& picture);

// The accurate machine's picture at the end of a pass (every frame): RasterPicture copied
// whole into ShownPicture for the display window, the picture's pointers (VicBank and the
// offsets) brought up to date as a render would, and on every eighth frame (a frame
// count that is a multiple of eight) its display area of 320 x 200 pixels copied into the
// FrameBuffer.
void PublishRasterPicture();

// After a snapshot has brought the FrameBuffer back: ShownPicture as that display area of
// 320 x 200 pixels inside a border of `borderColour` (0-15), so that the display window
// shows the snapshot's picture until the machine's next frame replaces it.
void ShowFrameBufferInBorder(std::uint8_t borderColour);

}  // namespace video
