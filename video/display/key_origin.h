// The X key behind each of the display window's keyboard callbacks: freeglut hands over
// the same character or special-key code for the keypad and the main keys (8 and the
// keypad's 8, Up and the keypad's Up) and the character a key gives at that moment, so
// the window looks at the X event for the keypad and for the key's code.
#pragma once

#include "input/host_key_table.h"

namespace video {

// From now on every key event that freeglut's connection reads is noted (freeglut's
// connection must be current, as after glutCreateWindow). Call once, on the thread that
// runs the window.
void WatchKeyEvents();

// The key behind the event freeglut is delivering: a press or release of `character`, or
// of the special key `specialKey` when `character` is negative. Events freeglut read
// before it and delivered no callback for are passed over; an event it never noted counts
// as an unknown main key.
input::KeyOrigin OriginOfKeyEvent(bool press, int character, int specialKey);

// True once after the Warp key (Scroll Lock) went down: the speed limit switches.
bool TakeWarpKey();

// True once after part of the window has come into view (and at first): what it shows
// must be drawn again even if the picture has not changed.
bool TakeExposure();

// True once after the window has lost the keyboard focus (another window took it, or the
// pointer left it where the focus follows the pointer): the releases of keys held then
// go to that other window, never to this one.
bool TakeFocusLoss();

// The window's X id once WatchKeyEvents has seen it, 0 before: the main window hands the
// keyboard back to it after its dialogs.
unsigned long DisplayWindowXId();

}  // namespace video
