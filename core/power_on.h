// Power-on and the user's reset.
#pragma once

// Puts the machine into its start state. On the first start it also clears the
// FrameBuffer and calls the first-start hook (the desktop program opens its display
// window there, which runs until the process ends).
void PowerOn(bool firstStart);

// The user's reset: unlimited step budget, PowerOn for a reset under the pass lock, a
// 100 ms pause, then one pass of RunLoop on the calling thread.
void Reset();

using FirstStartHook = void (*)();
void SetFirstStartHook(FirstStartHook hook);
