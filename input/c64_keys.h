// The keys of the C64 keyboard: their matrix positions, their names and the characters
// they type. The PC keyboard mapping uses them for characters its table does not list;
// the headless runner's scripts name keys and type characters through them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "input/key_matrix.h"

namespace input {

// The modifier keys; the right SHIFT is RightShiftKey (key_matrix.h).
inline constexpr MatrixPosition LeftShiftKey{1, 7};
inline constexpr MatrixPosition ControlKey{7, 2};
inline constexpr MatrixPosition CommodoreKey{7, 5};
// The keys that change what the others type; the KERNAL's scan takes them apart from the
// one key it reports, so they may stay down across several scans.
bool IsModifierKey(MatrixPosition position);

// A key as typed: its position, with or without the right SHIFT.
struct C64Key {
  MatrixPosition position;
  bool shifted = false;
};

// The key that types the character on the C64: letters, digits, space, RETURN (13) and
// the punctuation printed on the keys; an upper-case letter is SHIFT+letter (a graphics
// character of the start-up character set). '\' and the Windows-1252 pound sign 0xA3 are
// the pound key, '^' is the up-arrow key and '_' the left-arrow key, the characters those
// keys type in ASCII's places. No key for anything else.
std::optional<C64Key> KeyForCharacter(unsigned char character);

// A key by its name, upper case: the labels RETURN, SPACE, RUNSTOP, HOME, DEL, DOWN, RIGHT,
// F1, F3, F5, F7, POUND, UPARROW, LEFTARROW and the modifiers SHIFT (the left one),
// RSHIFT, CTRL and C=; the shifted meanings CLR, INST, UP, LEFT, F2, F4, F6 and F8; STOP
// and CBM as other names of RUNSTOP and C=. No key for another name.
std::optional<C64Key> KeyNamed(std::string_view name);
// Every name KeyNamed knows, separated by spaces, for messages.
std::string KeyNames();

}  // namespace input
