// The text-mode background: 40 x 25 character cells of 8 x 8 pixels, standard and
// multicolour, drawn from the video matrix, the character generator and colour RAM.
#pragma once

#include <cstdint>

namespace video {

// The cell being drawn (0 to 999) and so the offset into colour RAM at $D800. Set to 0 at
// the start of each text render; every finished cell advances it by exactly one, so it
// reads 1000 after a full screen.
extern std::uint32_t CellCounter;

// Draws the whole 320 x 200 background in text mode with the pointers RenderFrame has
// just worked out; the multicolour form is used when MulticolourFlag or ForceMulticolour
// is set.
void RenderTextScreen();

// One standard cell with its top-left pixel at column x, row y (multiples of 8): glyph
// `code` of the character generator in the colour RAM colour of cell CellCounter on
// background colour 0. Uses the glyph base and background colours latched by the running
// RenderTextScreen. Advances CellCounter.
void DrawTextCell(int x, int y, std::uint8_t code);

// One multicolour cell: a colour RAM nibble below 8 draws a standard cell; otherwise
// each bit pair of the glyph picks background 0, 1, 2 or the nibble's bits 0-2 for two
// pixels.
// Advances CellCounter.
void DrawMulticolourTextCell(int x, int y, std::uint8_t code);

}  // namespace video
