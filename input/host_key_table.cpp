// The PC keyboard (German layout) mapped onto the C64 keyboard matrix and, for the cursor
// keys and Insert (or the keypad), onto the joystick byte; the C64 keys the table leaves
// out on PC keys it leaves free. The handlers run on the emulator thread between two
// passes; the display window hands them the toolkit's key and modifier state.
#include "input/host_key_table.h"

#include <atomic>
#include <cstdio>
#include <optional>
#include <string>

#include "core/debug_log.h"
#include "input/c64_keys.h"
#include "input/key_matrix.h"
#include "platform/host_services.h"

namespace input {

// Unshifted code, shifted code, matrix row, matrix column. Codes are Windows-1252 bytes.
// Every entry whose code matches acts, so a code listed twice reaches two positions.
// Characters that a C64 key shows bypass the table unless Ctrl or Alt is held.
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
    {0x23, 0x27, 6, 1},  // # and apostrophe with Ctrl or Alt: the C64's * position
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
constexpr unsigned char kBackspace = 8;
constexpr unsigned char kDelete = 127;
constexpr int kSpecialKeyOffset = 80;
// Follows the lookup code in the log line of every special-key release. The text is
// Windows-1252: 0xFC is the u with diaeresis, one byte.
constexpr const char* kSpecialReleaseLogText =
    " gedr\xFC"
    "ckt! <Special>";

// The toolkit's special-key codes (freeglut's, the modifier keys among its extensions).
constexpr int kF2 = 2, kF4 = 4, kF6 = 6, kF8 = 8, kF9 = 9, kF10 = 10, kF11 = 11, kF12 = 12;
constexpr int kLeft = 100, kUp = 101, kRight = 102, kDown = 103, kPageUp = 104, kPageDown = 105;
constexpr int kEnd = 107;
constexpr int kInsert = 108, kShiftLeft = 112, kShiftRight = 113, kCtrlLeft = 114;
constexpr int kCtrlRight = 115, kAltLeft = 116, kAltRight = 117;

constexpr MatrixPosition kInstDelKey{0, 0};
constexpr MatrixPosition kCursorRightKey{0, 2};
constexpr MatrixPosition kCursorDownKey{0, 7};

// Special keys the table does not list, and what each one types: held keys for the
// modifiers, the shifted function keys, and C64 keys whose characters the German table
// reaches only with SHIFT (":" and ";") or not at all on some layouts ("*" and "+").
struct SpecialKeyMapping {
  int code;
  C64Key key;
};
constexpr SpecialKeyMapping kUnlistedSpecialKeys[] = {
    {kF2, {{0, 4}, true}},       // SHIFT+F1
    {kF4, {{0, 5}, true}},       // SHIFT+F3
    {kF6, {{0, 6}, true}},       // SHIFT+F5
    {kF8, {{0, 3}, true}},       // SHIFT+F7
    {kF9, {{5, 5}, false}},      // :
    {kF10, {{6, 2}, false}},     // ;
    {kF11, {{6, 1}, false}},     // *
    {kF12, {{5, 0}, false}},     // +
    {kEnd, {{7, 7}, false}},     // RUN/STOP
    {kPageUp, {{6, 3}, false}},  // CLR/HOME
    {kShiftLeft, {LeftShiftKey, false}},
    {kShiftRight, {RightShiftKey, false}},
    {kCtrlLeft, {ControlKey, false}},
    {kCtrlRight, {ControlKey, false}},
    {kAltLeft, {CommodoreKey, false}},
    {kAltRight, {CommodoreKey, false}},
};
// The cursor keys as the C64's two CRSR keys, when they are not the joystick.
constexpr SpecialKeyMapping kCursorKeys[] = {
    {kUp, {kCursorDownKey, true}},
    {kDown, {kCursorDownKey, false}},
    {kLeft, {kCursorRightKey, true}},
    {kRight, {kCursorRightKey, false}},
};

std::atomic<bool> CursorKeysJoystick{true};

// Toolkit special-key codes that drive the joystick instead of the matrix.
bool IsJoystickSpecialKey(int code) {
  switch (code) {
    case kLeft:
    case kUp:
    case kRight:
    case kDown:
    case kInsert: return true;
    default: return false;
  }
}

// The joystick bit of a cursor key or Insert (the table's column for them), or of the
// keypad's digits 8, 2, 4, 6 and 0 with Num Lock; -1 for any other key.
int JoystickBitOfSpecialKey(int code) {
  switch (code) {
    case kUp: return 0;
    case kDown: return 1;
    case kLeft: return 2;
    case kRight: return 3;
    case kInsert: return 4;
    default: return -1;
  }
}
int JoystickBitOfKeypadCharacter(unsigned char key) {
  switch (key) {
    case '8': return 0;
    case '2': return 1;
    case '4': return 2;
    case '6': return 3;
    case '0': return 4;
    default: return -1;
  }
}

// Shift alone counts as shifted; Shift with Ctrl or Alt does not.
bool IsShifted(int modifiers) {
  return modifiers == kModifierShift;
}

bool IsLetter(unsigned char key) {
  return (key >= 'a' && key <= 'z') || (key >= 'A' && key <= 'Z');
}

// With Ctrl held the toolkit hands over control codes: Ctrl+letter as 1-26, Ctrl+2 as 0,
// Ctrl+3 to Ctrl+7 as 27-31, Ctrl+8 as 127. Each counts as the key that made it.
unsigned char KeyUnderControl(unsigned char key) {
  if (key == 0) return '2';
  if (key <= 26) return static_cast<unsigned char>('a' + key - 1);
  if (key <= 31) return static_cast<unsigned char>('3' + key - 27);
  if (key == 127) return '8';
  return key;
}

// What one host key event does, gathered and then handed to the matrix as one key event
// (so that the scan sees SHIFT together with its key): a key follows the event, pressed
// when the PC key goes down and released when it comes up; Press and Release act the same
// either way. Joystick bits change at once.
class KeyChange {
 public:
  explicit KeyChange(bool down) : down_(down) {}
  bool Down() const { return down_; }
  void Key(MatrixPosition key) { down_ ? Press(key) : Release(key); }
  void Press(MatrixPosition key) { event_.Press(key.row, key.column); }
  void Release(MatrixPosition key) { event_.Release(key.row, key.column); }
  void Joystick(int bit) {
    down_ ? PressJoystickBit(bit) : ReleaseJoystickBitAfterScan(bit);
    if (down_) joystickPressed_ |= static_cast<std::uint8_t>(1u << bit);
  }
  // A key typed with SHIFT brings the right SHIFT with it.
  void Type(const C64Key& key) {
    if (key.shifted) Key(RightShiftKey);
    Key(key.position);
  }
  void Submit() const { SubmitKeyEvent(event_); }
  std::uint64_t MatrixPressed() const { return event_.press; }
  std::uint8_t JoystickPressed() const { return joystickPressed_; }

 private:
  bool down_;
  KeyEvent event_;
  std::uint8_t joystickPressed_ = 0;
};

// What the last press of each physical key pressed (emulator thread only).
struct PressedByKey {
  bool known = false;
  std::uint64_t matrix = 0;
  std::uint8_t joystick = 0;
};
PressedByKey PressedByHostKey[kHostKeyCodes];
// What each special key held down pressed, by its code (emulator thread only).
PressedByKey PressedBySpecialKey[256];

bool IsKnownHostKey(int hostKey) {
  return hostKey >= 0 && hostKey < kHostKeyCodes;
}

// The release of a physical key whose press is on record: everything that press pressed
// goes up, except the right SHIFT, which follows the modifier state as on every
// character event.
void ReleaseWhatThePressPressed(PressedByKey& pressed, bool shifted) {
  KeyChange change(false);
  shifted ? change.Press(RightShiftKey) : change.Release(RightShiftKey);
  for (int bit = 0; bit < 64; ++bit) {
    if (((pressed.matrix >> bit) & 1) == 0) continue;
    const MatrixPosition position{bit / 8, bit % 8};
    if (position.row != RightShiftKey.row || position.column != RightShiftKey.column) {
      change.Release(position);
    }
  }
  for (int bit = 0; bit < 8; ++bit) {
    if (pressed.joystick & (1u << bit)) change.Joystick(bit);
  }
  change.Submit();
  pressed = PressedByKey{};
}

// A character neither a C64 key nor the table has a position for: Backspace and Delete.
void TypeUnlistedCharacter(unsigned char key, KeyChange& change) {
  if (key == kBackspace) {
    change.Key(kInstDelKey);  // Shift+Backspace inserts, by the shift rule
    return;
  }
  if (key == kDelete) {
    if (change.Down()) change.Press(RightShiftKey);
    change.Key(kInstDelKey);
  }
}

// The C64 key a character typed without Ctrl or Alt stands for: the key that shows the
// character, whatever PC key and layout delivered it ("*" is Shift+8 on a US keyboard and
// Shift++ on a German one, the C64's unshifted * either way). A letter is its key, with
// SHIFT when the PC's Shift is held (Caps Lock changes nothing). Characters no C64 key
// shows go to the table.
std::optional<C64Key> KeyShowingCharacter(unsigned char key, int modifiers) {
  if ((modifiers & (kModifierCtrl | kModifierAlt)) != 0) return std::nullopt;
  std::optional<C64Key> c64 = KeyForCharacter(key);
  if (c64 && IsLetter(key)) c64->shifted = IsShifted(modifiers);
  return c64;
}

// A character the C64 has a key for: that key with exactly the SHIFT it needs, both
// SHIFTs up otherwise (the PC's Shift that made the character holds the left one). Its
// release lets the right SHIFT follow the modifier state, as every character event does.
void TypeShownCharacter(const C64Key& c64, int modifiers, KeyChange& change) {
  if (!change.Down()) {
    IsShifted(modifiers) ? change.Press(RightShiftKey) : change.Release(RightShiftKey);
  } else if (c64.shifted) {
    change.Press(RightShiftKey);
  } else {
    change.Release(RightShiftKey);
    change.Release(LeftShiftKey);
  }
  change.Key(c64.position);
}

// A character the C64 has a key for types that key. Otherwise RightShiftKey follows the
// modifier state, then every position whose code in the matching column equals the key
// acts; characters found nowhere in the table type their C64 key. All of it is one key
// event.
void TypeCharacterKey(unsigned char key, int modifiers, KeySource source, KeyChange& change) {
  if ((modifiers & kModifierCtrl) != 0) key = KeyUnderControl(key);
  if (source == KeySource::kKeypad && !CursorKeysAsJoystick()) {
    if (const int bit = JoystickBitOfKeypadCharacter(key); bit >= 0) {
      change.Joystick(bit);
      return;
    }
  }
  if (const std::optional<C64Key> c64 = KeyShowingCharacter(key, modifiers)) {
    TypeShownCharacter(*c64, modifiers, change);
    change.Submit();
    return;
  }
  const bool shifted = IsShifted(modifiers);
  shifted ? change.Press(RightShiftKey) : change.Release(RightShiftKey);
  bool listed = false;
  for (const HostKeyEntry& entry : HostKeyTable) {
    const std::uint8_t code = shifted ? entry.shifted : entry.unshifted;
    if (code != key) continue;
    change.Key({entry.row, entry.column});
    listed = true;
  }
  if (!listed && (modifiers & (kModifierCtrl | kModifierAlt)) == 0) {
    TypeUnlistedCharacter(key, change);
  }
  change.Submit();
}

// A character key going down or up; the release of a physical key whose press is on
// record lets go of what that press pressed, whatever character it arrives as.
void ApplyCharacterKey(unsigned char key, int modifiers, KeyOrigin origin, bool down) {
  const bool shifted = IsShifted(modifiers);
  if (!down && IsKnownHostKey(origin.hostKey) && PressedByHostKey[origin.hostKey].known) {
    ReleaseWhatThePressPressed(PressedByHostKey[origin.hostKey], shifted);
    return;
  }
  KeyChange change(down);
  TypeCharacterKey(key, modifiers, origin.source, change);
  if (down && IsKnownHostKey(origin.hostKey)) {
    PressedByHostKey[origin.hostKey] = {true, change.MatrixPressed(), change.JoystickPressed()};
  }
}

// Special keys compare their code + 80 with the unshifted column only and leave the
// shift position alone; the cursor keys and Insert reach the joystick bit named by the
// entry's column at once, the others the entry's matrix position, all of them as one key
// event. With the cursor keys as the cursor, they and the keypad come first. Returns
// what a press pressed.
PressedByKey ApplySpecialKey(int key, KeySource source, bool down) {
  const int code = key & 0xFF;
  KeyChange change(down);
  if (!CursorKeysAsJoystick()) {
    if (source == KeySource::kKeypad && JoystickBitOfSpecialKey(code) >= 0) {
      change.Joystick(JoystickBitOfSpecialKey(code));
      return {true, 0, change.JoystickPressed()};
    }
    for (const SpecialKeyMapping& cursor : kCursorKeys) {
      if (cursor.code != code) continue;
      change.Type(cursor.key);
      change.Submit();
      return {true, change.MatrixPressed(), 0};
    }
  }
  if (code == kPageDown) {  // RESTORE
    if (down) PressRestore();
    return {true, 0, 0};
  }
  const int lookup = code + kSpecialKeyOffset;
  bool listed = false;
  for (const HostKeyEntry& entry : HostKeyTable) {
    if (entry.unshifted != lookup) continue;
    listed = true;
    if (IsJoystickSpecialKey(code)) {
      change.Joystick(entry.column);
    } else {
      change.Key({entry.row, entry.column});
    }
  }
  if (!listed) {
    for (const SpecialKeyMapping& mapping : kUnlistedSpecialKeys) {
      if (mapping.code == code) change.Type(mapping.key);
    }
    // Either Shift key coming up lets go of both SHIFTs: the right one may still be down
    // from the last shifted character.
    if (!down && (code == kShiftLeft || code == kShiftRight)) {
      change.Release(LeftShiftKey);
      change.Release(RightShiftKey);
    }
  }
  change.Submit();
  return {true, change.MatrixPressed(), change.JoystickPressed()};
}

}  // namespace

void OnKeyDown(unsigned char key, int modifiers, KeyOrigin origin) {
  ApplyCharacterKey(key, modifiers, origin, true);
  // Escape ends the whole program at once, after the matrix update, without closing
  // any window first. Ctrl+3 arrives as the same code.
  if (key == kEscape && (modifiers & kModifierCtrl) == 0) platform::EndProcess(1);
}

void OnKeyUp(unsigned char key, int modifiers, KeyOrigin origin) {
  ApplyCharacterKey(key, modifiers, origin, false);
}

void OnSpecialKeyDown(int key, KeySource source) {
  PressedBySpecialKey[key & 0xFF] = ApplySpecialKey(key, source, true);
}

void OnSpecialKeyUp(int key, KeySource source) {
  char code[16];
  std::snprintf(code, sizeof code, "%X", static_cast<unsigned>((key & 0xFF) + kSpecialKeyOffset));
  core::AppendDebugLog(std::string(code) + kSpecialReleaseLogText);
  ApplySpecialKey(key, source, false);
  PressedBySpecialKey[key & 0xFF] = PressedByKey{};
}

void ReleaseHostKeys() {
  for (PressedByKey& pressed : PressedByHostKey) {
    if (pressed.known) ReleaseWhatThePressPressed(pressed, false);
  }
  for (PressedByKey& pressed : PressedBySpecialKey) {
    if (pressed.known) ReleaseWhatThePressPressed(pressed, false);
  }
}

void SetCursorKeysAsJoystick(bool on) {
  if (CursorKeysJoystick.exchange(on) != on) ReleaseAllKeys();
}

bool CursorKeysAsJoystick() {
  return CursorKeysJoystick.load(std::memory_order_relaxed);
}

}  // namespace input
