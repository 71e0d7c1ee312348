// Tells the numeric keypad's keys from the main keys for the display window's keyboard
// callbacks: freeglut hands over the same character or special-key code for both (8 and
// the keypad's 8, Up and the keypad's Up), so the window looks at the X event behind it.
#pragma once

#include "input/host_key_table.h"

namespace video {

// From now on every key event that freeglut's connection reads is noted (freeglut's
// connection must be current, as after glutCreateWindow). Call once, on the thread that
// runs the window.
void WatchKeyEvents();

// The source of the key event freeglut is delivering: a press or release of `character`,
// or of the special key `specialKey` when `character` is negative. Events freeglut read
// before it and delivered no callback for are passed over; an event it never noted counts
// as a main key.
input::KeySource SourceOfKeyEvent(bool press, int character, int specialKey);

}  // namespace video
