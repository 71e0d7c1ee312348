// The PC keyboard's mapping onto the C64 matrix (German layout) and the four keyboard
// handlers, free of any toolkit: the display window passes the toolkit's modifier state.
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

// The toolkit's modifier bit for Shift; shifted means exactly this bit alone.
inline constexpr int kModifierShift = 1;

void OnKeyDown(unsigned char key, int modifiers);
void OnKeyUp(unsigned char key, int modifiers);
void OnSpecialKeyDown(int key);
void OnSpecialKeyUp(int key);

}  // namespace input
