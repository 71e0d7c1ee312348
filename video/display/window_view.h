// The display window's view of its picture: the picture scaled to the window keeping its
// aspect ratio, centred between black bars, and the size and fullscreen requests that
// other threads (the main window's View menu) leave for the display thread, which alone
// may call the toolkit.
#pragma once

namespace video {

struct Viewport {
  int x;  // from the window's left edge
  int y;  // from the window's bottom edge, as OpenGL counts
  int width;
  int height;
};

// The largest rectangle of the picture's aspect ratio that fits the window, centred: the
// whole height with bars left and right in a window wider than the picture, the whole
// width with bars above and below in a narrower one.
Viewport FitPicture(int windowWidth, int windowHeight, int pictureWidth, int pictureHeight);

// The reshape callback: the window's size as the toolkit reports it.
void NoteWindowSize(int width, int height);
// Whether the window's size changed since the last call: the picture must be drawn again.
bool TakeWindowResize();

// Paints the window outside the fitted picture black and sets the OpenGL viewport to it,
// so that a drawing over the whole viewport fills the picture's rectangle.
void SetPictureViewport(int pictureWidth, int pictureHeight);

// From any thread: the window to `scale` (1-4) times the picture's size, or fullscreen
// switched on or off. The requests wait in atomics until the display callback takes them.
void RequestWindowScale(int scale);
void RequestFullScreenToggle();

// The display callback, on the display thread: carries out the requests waiting, a size
// as `scale` times the picture's size given here. Two fullscreen toggles asked for between
// two calls cancel out.
void ApplyViewRequests(int pictureWidth, int pictureHeight);

}  // namespace video
