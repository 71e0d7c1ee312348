// The accurate machine's picture in the display window: ShownPicture, all 384 x 272
// pixels with the border, through the palette into one texture and onto one quad.
#pragma once

namespace video {

// Draws ShownPicture over the current viewport and flushes: the palette indices become
// colour words, which replace the texture's contents (the texture is made at the first
// call, on the window's OpenGL context, and kept); the texture is drawn with its pixels
// unsmoothed on a single quad. No pass; the caller holds the pass lock.
void DrawLinePicture();

}  // namespace video
