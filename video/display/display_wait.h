// The display window's wait for the next frame's time: asleep on its X connection, so that
// a key pressed meanwhile ends the wait (and the pass) instead of waiting for the pass's
// end, up to eight frames later.
#pragma once

#include <cstdint>

namespace video {

// Notes the calling thread as the one that runs the display window (freeglut's connection
// is current there). Call once, after the window is created.
void NoteDisplayThread();

// Whether the calling thread is the display thread, the one the OpenGL context is
// current on.
bool OnDisplayThread();

// Sleeps until the steady clock reaches `steadyNanoseconds`. On the display thread the
// classic picture's due columns are drawn first, until shortly before that time, and the
// sleep ends early, returning true, as soon as an X event waits to be handled; on any other
// thread (the debug window running a pass) it just sleeps and returns false.
bool WaitForFrameOrInput(std::int64_t steadyNanoseconds);

}  // namespace video
