// The picture's place in the display window, and the View menu's requests carried out on
// the display thread.
#include "video/display/window_view.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <atomic>
#include <cassert>

namespace video {

namespace {

// The window's size, kept by the reshape callback on the display thread.
int WindowWidth = 0;
int WindowHeight = 0;
// Set by a reshape until the display draws for the new size (the display thread only).
bool Resized = true;

// 0: no size asked for; 1-4: that multiple of the picture's size.
std::atomic<int> RequestedScale{0};
// 1 while an odd number of fullscreen toggles waits.
std::atomic<int> FullScreenToggleWaits{0};

// Clears the rectangle (x, y from the bottom left) to black, if it is not empty.
void ClearRectangle(int x, int y, int width, int height) {
  if (width <= 0 || height <= 0) return;
  glScissor(x, y, width, height);
  glClear(GL_COLOR_BUFFER_BIT);
}

}  // namespace

Viewport FitPicture(int windowWidth, int windowHeight, int pictureWidth, int pictureHeight) {
  assert(pictureWidth > 0 && pictureHeight > 0);
  const int width = std::max(windowWidth, 0);
  const int height = std::max(windowHeight, 0);
  // Products in 64 bits: a window's side times a picture's side.
  const long long wide = static_cast<long long>(width) * pictureHeight;
  const long long tall = static_cast<long long>(height) * pictureWidth;
  Viewport fit{0, 0, width, height};
  if (wide > tall) {
    fit.width = static_cast<int>((tall + pictureHeight / 2) / pictureHeight);
    fit.x = (width - fit.width) / 2;
  } else if (wide < tall) {
    fit.height = static_cast<int>((wide + pictureWidth / 2) / pictureWidth);
    fit.y = (height - fit.height) / 2;
  }
  assert(fit.x >= 0 && fit.y >= 0 && fit.x + fit.width <= width && fit.y + fit.height <= height);
  return fit;
}

void NoteWindowSize(int width, int height) {
  WindowWidth = width;
  WindowHeight = height;
  Resized = true;
}

bool TakeWindowResize() {
  const bool resized = Resized;
  Resized = false;
  return resized;
}

void SetPictureViewport(int pictureWidth, int pictureHeight) {
  const Viewport fit = FitPicture(WindowWidth, WindowHeight, pictureWidth, pictureHeight);
  // The bars only: clearing under the picture as well would show black for a moment on a
  // single-buffered window.
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glEnable(GL_SCISSOR_TEST);
  ClearRectangle(0, 0, fit.x, WindowHeight);
  ClearRectangle(fit.x + fit.width, 0, WindowWidth - fit.x - fit.width, WindowHeight);
  ClearRectangle(0, 0, WindowWidth, fit.y);
  ClearRectangle(0, fit.y + fit.height, WindowWidth, WindowHeight - fit.y - fit.height);
  glDisable(GL_SCISSOR_TEST);
  glViewport(fit.x, fit.y, fit.width, fit.height);
}

void RequestWindowScale(int scale) {
  assert(scale >= 1 && scale <= 4);
  RequestedScale.store(scale);
}

void RequestFullScreenToggle() {
  FullScreenToggleWaits.fetch_xor(1);
}

void ApplyViewRequests(int pictureWidth, int pictureHeight) {
  if (FullScreenToggleWaits.exchange(0) != 0) glutFullScreenToggle();
  // freeglut leaves fullscreen itself before it gives the window a size.
  if (const int scale = RequestedScale.exchange(0); scale != 0) {
    glutReshapeWindow(scale * pictureWidth, scale * pictureHeight);
  }
}

}  // namespace video
