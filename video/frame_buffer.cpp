// The frame buffer and the palette.
#include "video/frame_buffer.h"

#include <algorithm>
#include <iterator>

namespace video {

std::uint32_t FrameBuffer[kFrameBufferSize];

void ClearFrameBuffer() {
  std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), 0u);
}

const RgbColour Palette[16] = {
    {0, 0, 0},        // black
    {252, 252, 252},  // white
    {139, 31, 0},     // red
    {101, 205, 136},  // cyan
    {167, 59, 159},   // purple
    {79, 179, 23},    // green
    {27, 13, 147},    // blue
    {243, 235, 91},   // yellow
    {163, 71, 0},     // orange
    {63, 28, 0},      // brown
    {203, 123, 111},  // light red
    {69, 68, 68},     // dark grey
    {131, 131, 131},  // grey
    {151, 255, 151},  // light green
    {79, 147, 211},   // light blue
    {187, 187, 187},  // light grey
};

}  // namespace video
