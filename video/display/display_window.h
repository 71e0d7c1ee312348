// The display window "Emulator" at (100, 100), twice the picture's size: the classic
// machine's 320 x 200 FrameBuffer as one unit polygon per emulated pixel, the accurate
// machine's 384 x 272 picture as one texture on one quad, either scaled to the window
// with its aspect ratio kept (window_view.h). Its display callback is what drives the
// machine: each call runs a pass of the run loop and draws the picture.
#pragma once

#include "video/display/classic_picture.h"

namespace video {

// Opens the window and enters the toolkit's main loop; returns only if the loop ends.
// Installed as the first-start hook of PowerOn on EmulatorThread.
void OpenDisplayWindow();

// The display callback: runs a pass when none is under way, then under the pass lock
// carries out the View menu's requests and draws the machine's picture when the pass made
// one that differs from the one shown (or the window was exposed), and requests the next
// redisplay. The Warp key switches the speed limit here. While the machine is stopped it
// sleeps between rounds until an X event comes (at most 50 ms).
void DisplayFrame();

// The size of the picture the display window shows for the machine's model: 320 x 200 in
// the classic machine, 384 x 272 in the accurate one.
struct PictureSize {
  int width;
  int height;
};
PictureSize ShownPictureSize();

// The parts of OpenDisplayWindow, for the tests and the benchmark, which drive the
// window themselves instead of entering the main loop.
//
// Keeps glibc from handing the software renderer's large per-picture buffers back to the
// kernel after every picture, which would make each picture several times slower.
void KeepFreedMemoryForReuse();
// Steps 1-6 of opening the window: toolkit, mode, size, position, title, callbacks, log.
void CreateDisplayWindow();
// Draws what the display callback draws for the machine's model: the FrameBuffer, or
// ShownPicture through its texture, in the fitted viewport; no pass.
void DrawMachinePicture();
// One round of the toolkit's event processing (freeglut's glutMainLoopEvent).
void ProcessDisplayWindowEvents();
// Waits until the OpenGL implementation has finished everything drawn so far (glFinish).
void WaitForDrawingToFinish();

}  // namespace video
