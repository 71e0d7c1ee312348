// Power-on and the user's reset.
#pragma once

#include <cstdint>

namespace core {

// Copies the ROM images into a 64 KB image at their addresses: BASIC at $A000, the
// KERNAL at $E000, the character generator at $D000 and its copies at $1000 and $9000.
void PlaceRoms(std::uint8_t* memory);

// Puts the machine into its start state. On the first start it also clears the picture
// and opens the display through the host hooks (the desktop program's display window
// runs there until the process ends).
void PowerOn(bool firstStart);

// The user's reset: unlimited step budget, PowerOn for a reset under the pass lock, a
// 100 ms pause, then one pass of RunLoop on the calling thread.
void Reset();

}  // namespace core
