// The PC keyboard (German layout) mapped onto the C64 keyboard matrix and, for the cursor
// keys and Insert, onto the joystick byte. The handlers run on the emulator thread between
// two passes; the display window hands them the toolkit's key and modifier state.
#include "input/host_key_table.h"

#include <cstdio>
#include <string>

#include "core/debug_log.h"
#include "input/key_matrix.h"
#include "platform/host_services.h"

namespace input {

// Unshifted code, shifted code, matrix row, matrix column. Codes are Windows-1252 bytes.
// Every entry whose code matches acts, so a code listed twice reaches two positions.
const HostKeyEntry HostKeyTable[kHostKeyCount] = {
    // Letters: the shifted column holds the capitals.
    {0x61, 0x41, 1, 2},  // A
    {0x62, 0x42, 3, 4},  // B
    {0x63, 0x43, 2, 4},  // C
    {0x64, 0x44, 2, 2},  // D
    {0x65, 0x45, 1, 6},  // E
    {0x66, 0x46, 2, 5},  // F
    {0x67, 0x47, 3, 2},  // G
    {0x68, 0x48, 3, 5},  // H
    {0x69, 0x49, 4, 1},  // I
    {0x6A, 0x4A, 4, 2},  // J
    {0x6B, 0x4B, 4, 5},  // K
    {0x6C, 0x4C, 5, 2},  // L
    {0x6D, 0x4D, 4, 4},  // M
    {0x6E, 0x4E, 4, 7},  // N
    {0x6F, 0x4F, 4, 6},  // O
    {0x70, 0x50, 5, 1},  // P
    {0x71, 0x51, 7, 6},  // Q
    {0x72, 0x52, 2, 1},  // R
    {0x73, 0x53, 1, 5},  // S
    {0x74, 0x54, 2, 6},  // T
    {0x75, 0x55, 3, 6},  // U
    {0x76, 0x56, 3, 7},  // V
    {0x77, 0x57, 1, 1},  // W
    {0x78, 0x58, 2, 7},  // X
    {0x79, 0x59, 3, 1},  // Y
    {0x7A, 0x5A, 1, 4},  // Z
    // Digits: the shifted column holds the German layout's shifted characters.
    {0x31, 0x21, 7, 0},  // 1 / !
    {0x32, 0x22, 7, 3},  // 2 / double quote
    {0x33, 0xA7, 1, 0},  // 3 / section sign
    {0x34, 0x24, 1, 3},  // 4 / $
    {0x35, 0x25, 2, 0},  // 5 / %
    {0x36, 0x26, 2, 3},  // 6 / &
    {0x37, 0x2F, 3, 0},  // 7 / slash
    {0x38, 0x28, 3, 3},  // 8 / (
    {0x39, 0x29, 4, 0},  // 9 / )
    {0x30, 0x3D, 4, 3},  // 0 / =
    // Punctuation and RETURN, SPACE.
    {0x0D, 0x0D, 0, 1},  // RETURN
    {0x20, 0x20, 7, 4},  // SPACE
    {0x2C, 0x20, 5, 7},  // comma (Shift+Space lands here as well)
    {0x2E, 0x2E, 5, 4},  // .
    {0x3A, 0x3A, 5, 5},  // :
    {0x2F, 0x2F, 6, 7},  // /
    {0x3D, 0x3D, 6, 5},  // =
    {0x3B, 0x3B, 6, 2},  // ;
    {0x2A, 0x2A, 6, 1},  // *
    {0x2D, 0x2D, 5, 3},  // -
    {0x2B, 0x2B, 5, 0},  // +
    {0x23, 0x27, 6, 1},  // # and apostrophe: the C64's * position
    // Special keys: the toolkit's special-key code plus 80 in both columns.
    {0x51, 0x51, 0, 4},  // F1
    {0x53, 0x53, 0, 5},  // F3
    {0x55, 0x55, 0, 6},  // F5
    {0x57, 0x57, 0, 3},  // F7
    {0xB4, 0xB4, 0, 2},  // Left: joystick bit 2
    {0xB6, 0xB6, 0, 3},  // Right: joystick bit 3
    {0xB7, 0xB7, 0, 1},  // Down: joystick bit 1
    {0xB5, 0xB5, 0, 0},  // Up: joystick bit 0
    {0xBC, 0xBC, 0, 4},  // Insert: joystick bit 4 (fire)
    {0xBA, 0xBA, 0, 0},  // Home: INST/DEL
};

namespace {

constexpr unsigned char kEscape = 27;
constexpr int kSpecialKeyOffset = 80;
// Follows the lookup code in the log line of every special-key release. The text is
// Windows-1252: 0xFC is the u with diaeresis, one byte.
constexpr const char* kSpecialReleaseLogText =
    " gedr\xFC"
    "ckt! <Special>";

// Toolkit special-key codes that drive the joystick instead of the matrix.
bool IsJoystickSpecialKey(int code) {
  switch (code) {
    case 100:  // Left
    case 101:  // Up
    case 102:  // Right
    case 103:  // Down
    case 108:  // Insert
      return true;
    default: return false;
  }
}

// Shift alone counts as shifted; Shift with Ctrl or Alt does not.
bool IsShifted(int modifiers) {
  return modifiers == kModifierShift;
}

// RightShiftKey follows the modifier state of every character-key event, then every
// position whose code in the matching column equals the key acts. All of it is one key
// event, so that the machine's scan sees the shift state together with the key.
template <typename Action>
void ApplyCharacterKey(unsigned char key, int modifiers, Action act) {
  const bool shifted = IsShifted(modifiers);
  KeyEvent event;
  if (shifted) {
    event.Press(RightShiftKey.row, RightShiftKey.column);
  } else {
    event.Release(RightShiftKey.row, RightShiftKey.column);
  }
  for (const HostKeyEntry& entry : HostKeyTable) {
    const std::uint8_t code = shifted ? entry.shifted : entry.unshifted;
    if (code == key) act(event, entry.row, entry.column);
  }
  SubmitKeyEvent(event);
}

// Special keys compare their code + 80 with the unshifted column only and leave the
// shift position alone; the cursor keys and Insert reach the joystick bit named by the
// entry's column at once, the others the entry's matrix position, all of them as one key
// event.
template <typename MatrixAction, typename JoystickAction>
void ApplySpecialKey(int key, MatrixAction onMatrix, JoystickAction onJoystick) {
  const int code = key & 0xFF;
  const int lookup = code + kSpecialKeyOffset;
  KeyEvent event;
  for (const HostKeyEntry& entry : HostKeyTable) {
    if (entry.unshifted != lookup) continue;
    if (IsJoystickSpecialKey(code)) {
      onJoystick(entry.column);
    } else {
      onMatrix(event, entry.row, entry.column);
    }
  }
  SubmitKeyEvent(event);
}

}  // namespace

void OnKeyDown(unsigned char key, int modifiers) {
  ApplyCharacterKey(key, modifiers,
                    [](KeyEvent& event, int row, int column) { event.Press(row, column); });
  // Escape ends the whole program at once, after the matrix update, without closing
  // any window first.
  if (key == kEscape) platform::EndProcess(1);
}

void OnKeyUp(unsigned char key, int modifiers) {
  ApplyCharacterKey(key, modifiers,
                    [](KeyEvent& event, int row, int column) { event.Release(row, column); });
}

void OnSpecialKeyDown(int key) {
  ApplySpecialKey(
      key, [](KeyEvent& event, int row, int column) { event.Press(row, column); },
      [](int bit) { PressJoystickBit(bit); });
}

void OnSpecialKeyUp(int key) {
  char code[16];
  std::snprintf(code, sizeof code, "%X", static_cast<unsigned>((key & 0xFF) + kSpecialKeyOffset));
  core::AppendDebugLog(std::string(code) + kSpecialReleaseLogText);
  ApplySpecialKey(
      key, [](KeyEvent& event, int row, int column) { event.Release(row, column); },
      [](int bit) { ReleaseJoystickBitAfterScan(bit); });
}

}  // namespace input
