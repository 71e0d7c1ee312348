// The PC keyboard's mapping onto the C64 matrix (German layout, and every other C64 key
// on keys the table leaves free) and the four keyboard handlers, free of any toolkit: the
// display window passes the toolkit's modifier state and where the key came from.
#pragma once

#include <cstdint>

namespace input {

struct HostKeyEntry {
  std::uint8_t unshifted;
  std::uint8_t shifted;
  std::uint8_t row;
  std::uint8_t column;
};
inline constexpr int kHostKeyCount = 58;
extern const HostKeyEntry HostKeyTable[kHostKeyCount];

// The toolkit's modifier bits; shifted means exactly the Shift bit alone.
inline constexpr int kModifierShift = 1;
inline constexpr int kModifierCtrl = 2;
inline constexpr int kModifierAlt = 4;

// Where a key event comes from. The numeric keypad's keys arrive with the same characters
// and special-key codes as the main keys; only the display window can tell them apart.
enum class KeySource { kMain, kKeypad };
// The key behind an event, as far as the display window knows it: its source and the
// physical key (the window system's key code 0-255, -1 unknown). A character key's release
// may arrive as another character than its press (Shift let go first: " goes down as
// Shift+', ' comes up), so a release of a known key lets go of what its press pressed.
struct KeyOrigin {
  KeyOrigin(KeySource from = KeySource::kMain, int key = -1) : source(from), hostKey(key) {}
  KeySource source;
  int hostKey;
};
inline constexpr int kHostKeyCodes = 256;

// A character typed with neither Ctrl nor Alt held that a C64 key shows types that key
// (KeyForCharacter), with SHIFT where that key needs it and without either SHIFT
// otherwise, whatever layout delivered it; a letter is its key, with SHIFT when Shift is
// held. Every other character acts as HostKeyTable says; Backspace is INST/DEL and Delete
// SHIFT+INST/DEL. With Ctrl held, the
// toolkit's control codes count as the keys that made them (Ctrl+3 arrives as 27, which
// then is no Escape).
void OnKeyDown(unsigned char key, int modifiers, KeyOrigin origin = {});
// The PC keyboard now types into another window: every matrix position and joystick line
// a PC key holds goes up, as their releases will not come here. Keys the autostart holds
// stay down.
void ReleaseHostKeys();
void OnKeyUp(unsigned char key, int modifiers, KeyOrigin origin = {});
// Special keys beyond the table: F2, F4, F6, F8 are SHIFT+F1, F3, F5, F7; F9 ":", F10 ";",
// F11 "*", F12 "+"; End RUN/STOP, Page Up CLR/HOME; the left Shift key the C64's left
// SHIFT, the right one its right SHIFT (either going up lets go of both); Ctrl CTRL and
// Alt the Commodore key, held while the PC key is. Scroll Lock is no C64 key: the display
// window takes it as Warp (the speed limit off and on).
void OnSpecialKeyDown(int key, KeySource source = KeySource::kMain);
// Num Lock (the toolkit's special-key code 109), which the mapping leaves free: the display
// window switches fullscreen on and off with it. The handlers above ignore it.
inline constexpr int kFullScreenKey = 109;
void OnSpecialKeyUp(int key, KeySource source = KeySource::kMain);

// On (the start): the cursor keys and Insert are the joystick, as the table says. Off: the
// cursor keys are the C64's CRSR keys (up and left with SHIFT) and the keypad's 8, 2, 4,
// 6 and 0 (or its arrows and Insert without Num Lock) are the joystick; Insert stays fire.
// A change lets go of every key, so that none stays down under its old meaning.
void SetCursorKeysAsJoystick(bool on);
bool CursorKeysAsJoystick();

}  // namespace input
