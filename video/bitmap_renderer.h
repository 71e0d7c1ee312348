// The bitmap background: 8,000 bytes laid out as 40 x 25 cells of 8 bytes, coloured per
// cell from the video matrix (and, in multicolour, from colour RAM and $D021).
#pragma once

namespace video {

// Draws the whole 320 x 200 background in bitmap mode. The bitmap lies at VicBank plus
// $2000 when $D018 bit 3 is set, else at VicBank itself; the multicolour form is used
// when MulticolourFlag or ForceMulticolour is set.
void RenderBitmapScreen();

}  // namespace video
