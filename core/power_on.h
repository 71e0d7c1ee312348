// Power-on and the user's reset.
#pragma once

namespace core {

// Puts the machine into its start state. On the first start it also clears the picture
// and opens the display through the host hooks (the desktop program's display window
// runs there until the process ends).
void PowerOn(bool firstStart);

// The user's reset: unlimited step budget, PowerOn for a reset under the pass lock, a
// 100 ms pause, then one pass of RunLoop on the calling thread.
void Reset();

}  // namespace core
