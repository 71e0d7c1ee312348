// The classic machine's 320 x 200 FrameBuffer in the display window: one unit polygon per
// emulated pixel. The window is single-buffered and keeps what was drawn, so a changed
// picture needs only its changed pixels; with a software OpenGL even those can take tens
// of milliseconds, longer than a frame. While the speed limit paces the machine, a new
// picture's columns are therefore drawn in the waits before the next frames (each wait
// draws until shortly before its frame is due), so that drawing never delays a frame
// and the sound queue sees them arrive evenly.
#pragma once

#include <cstdint>

namespace video {

// Draws the whole FrameBuffer into the window (fitted viewport, projection, 64,000
// polygons, flush) and notes it as shown; nothing is left to draw.
void DrawFrameBuffer();

// Whether the FrameBuffer differs from the picture the window shows (or is about to, once
// the columns left to draw are drawn).
bool FrameBufferDiffersFromShown();

// The window's picture is lost (an exposure, a new size, the other model's picture
// shown): every pixel counts as changed.
void ForgetPictureOnWindow();

// The FrameBuffer's changes are to be drawn: all 320 columns are due, beginning where the
// last drawing stopped, so that on a host too slow to finish in the waits every column
// still gets its turn.
void DrawFrameBufferChangesLater();

// Drawing in a wait stops this long before the frame is due: the last column, its flush
// and the wake-up after it fit comfortably.
inline constexpr std::int64_t kDrawingMarginNanoseconds = 2'000'000;

// Draws due columns (those pixels that differ from the window) until the steady clock
// reaches `frameDue` less the margin, or none is due; at least one column when any is
// due, so that drawing always moves on. Only on the display thread, which owns the OpenGL
// context; elsewhere it does nothing. Returns true when nothing is left to draw.
bool DrawFrameBufferChangesBefore(std::int64_t frameDue);

// Draws every due column now.
void FinishDrawingFrameBuffer();

}  // namespace video
