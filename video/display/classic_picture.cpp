// The classic picture's polygons, drawn whole or a column at a time into the waits
// between frames.
#include "video/display/classic_picture.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cassert>
#include <cstring>
#include <limits>

#include "core/machine.h"
#include "platform/host_services.h"
#include "video/display/display_wait.h"
#include "video/display/window_view.h"
#include "video/frame_buffer.h"

namespace video {

namespace {

// What the window shows, column by column as the FrameBuffer (column x is entries
// 200x to 200x + 199).
std::uint32_t PictureOnWindow[kFrameBufferSize];
// No FrameBuffer entry (a palette index) is ever this: a pixel the window has lost.
constexpr std::uint32_t kLostPixel = 0xFFFFFFFF;
// Columns still to be drawn, and the first of them; drawing goes round from there.
int ColumnsDue = 0;
int NextColumn = 0;
constexpr int kColumnsPerFlush = 8;

// Row 0 at the top: (x, y) lands at (x, 200 - y) of a 320 x 200 orthographic view in the
// fitted viewport. Set up for one drawing and taken down after it, with a flush: the
// window is single-buffered, and without one Mesa's software renderer never shows it.
class PictureProjection {
 public:
  PictureProjection() {
    SetPictureViewport(kScreenWidth, kScreenHeight);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0.0, kScreenWidth, 0.0, kScreenHeight);
    glScalef(1.0f, -1.0f, 1.0f);
    glTranslatef(0.0f, -static_cast<float>(kScreenHeight), 0.0f);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
  }
  ~PictureProjection() {
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glFlush();
  }
  PictureProjection(const PictureProjection&) = delete;
  PictureProjection& operator=(const PictureProjection&) = delete;
};

// Draws column x's pixels (all of them, or those that differ from the window's) and notes
// the column as shown.
void DrawColumn(int x, bool onlyChanges) {
  assert(x >= 0 && x < kScreenWidth);
  const int first = x * kScreenHeight;
  for (int y = 0; y < kScreenHeight; ++y) {
    const int pixel = first + y;
    if (onlyChanges && PictureOnWindow[pixel] == FrameBuffer[pixel]) continue;
    const RgbColour& colour = PaletteColour(FrameBuffer[pixel]);
    glColor3ub(colour.red, colour.green, colour.blue);
    const float left = static_cast<float>(x);
    const float top = static_cast<float>(y);
    glBegin(GL_POLYGON);
    glVertex2f(left, top);
    glVertex2f(left + 1.0f, top);
    glVertex2f(left + 1.0f, top + 1.0f);
    glVertex2f(left, top + 1.0f);
    glEnd();
  }
  std::memcpy(&PictureOnWindow[first], &FrameBuffer[first], kScreenHeight * sizeof FrameBuffer[0]);
}

}  // namespace

void DrawFrameBuffer() {
  PictureProjection projection;
  for (int x = 0; x < kScreenWidth; ++x) DrawColumn(x, false);
  ColumnsDue = 0;
}

bool FrameBufferDiffersFromShown() {
  return std::memcmp(PictureOnWindow, FrameBuffer, sizeof PictureOnWindow) != 0;
}

void ForgetPictureOnWindow() {
  std::fill(std::begin(PictureOnWindow), std::end(PictureOnWindow), kLostPixel);
}

void DrawFrameBufferChangesLater() {
  ColumnsDue = kScreenWidth;
}

bool DrawFrameBufferChangesBefore(std::int64_t frameDue) {
  if (ColumnsDue == 0) return true;
  if (!OnDisplayThread()) return false;
  // The other model's picture fills the window instead (and is drawn whole on a switch back).
  if (core::C64.model != core::MachineModel::kClassic) {
    ColumnsDue = 0;
    return true;
  }
  const std::int64_t until = frameDue - kDrawingMarginNanoseconds;
  PictureProjection projection;
  do {
    DrawColumn(NextColumn, true);
    NextColumn = (NextColumn + 1) % kScreenWidth;
    --ColumnsDue;
    // The software renderer does most of its work when the polygons are flushed: the time
    // is read after every few columns' flush, so that it counts.
    if (ColumnsDue % kColumnsPerFlush == 0) glFlush();
  } while (ColumnsDue > 0 && platform::SteadyNanoseconds() < until);
  return ColumnsDue == 0;
}

void FinishDrawingFrameBuffer() {
  DrawFrameBufferChangesBefore(std::numeric_limits<std::int64_t>::max());
}

}  // namespace video
