// The display window "Emulator": 640 x 400 at (100, 100), the 320 x 200 FrameBuffer
// stretched over it, one unit polygon per emulated pixel. Its display callback is what
// drives the machine: each call runs a pass of the run loop and draws the picture.
#pragma once

namespace video {

// Opens the window and enters the toolkit's main loop; returns only if the loop ends.
// Installed as the first-start hook of PowerOn on EmulatorThread.
void OpenDisplayWindow();

// The display callback: runs a pass when none is under way, draws the FrameBuffer when the
// pass made a picture that differs from the one shown (or the window was exposed), and
// requests the next redisplay. The Warp key switches the speed limit here. While the
// machine is stopped it sleeps between rounds until an X event comes (at most 50 ms).
void DisplayFrame();

// The parts of OpenDisplayWindow, for the tests and the benchmark, which drive the
// window themselves instead of entering the main loop.
//
// Keeps glibc from handing the software renderer's large per-picture buffers back to the
// kernel after every picture, which would make each picture several times slower.
void KeepFreedMemoryForReuse();
// Steps 1-6 of opening the window: toolkit, mode, size, position, title, callbacks, log.
void CreateDisplayWindow();
// Draws the FrameBuffer into the window (projection, 64,000 polygons, flush); no pass.
void DrawFrameBuffer();
// One round of the toolkit's event processing (freeglut's glutMainLoopEvent).
void ProcessDisplayWindowEvents();
// Waits until the OpenGL implementation has finished everything drawn so far (glFinish).
void WaitForDrawingToFinish();

}  // namespace video
