// The C64 keyboard matrix and the joystick byte behind CIA 1's ports. Both are changed
// with atomic bit operations, so presses from the emulator thread and from the
// user-interface thread (autostart) never undo each other.
#pragma once

#include <atomic>
#include <cstdint>

// Bit c of row r is the key at row r, column c: 1 released, 0 pressed.
extern std::atomic<std::uint8_t> KeyMatrix[8];
// Active low: bit 0 up, 1 down, 2 left, 3 right, 4 fire; $FF when idle.
extern std::atomic<std::uint8_t> JoystickState;

struct MatrixPosition {
  int row;
  int column;
};
inline constexpr MatrixPosition RightShiftKey{6, 4};

void PressMatrixKey(int row, int column);
void ReleaseMatrixKey(int row, int column);
void PressJoystickBit(int bit);
void ReleaseJoystickBit(int bit);
// All keys and directions released (power-on and reset).
void ReleaseAllKeys();

// Key events arrive only between two passes, and a pass lasts eight frames, so a key
// pressed and released within one pass would never be scanned. A release asked for
// through ReleaseMatrixKeyAfterScan therefore waits until the machine has taken at least
// one frame's interrupt (and with it the KERNAL's keyboard scan) with the press visible:
// a press that has not yet been through an interrupt entry is released at the entry after
// the first one; a press already seen is released at once. Every press (PressMatrixKey,
// PressJoystickBit) cancels a release of its position that is still waiting.
// NoteInterruptEntry is called by the interrupt entry; it applies due releases and costs
// one relaxed atomic load when no key is in flight.
void ReleaseMatrixKeyAfterScan(int row, int column);
// The same for a joystick direction or fire, so that a quick tap reaches a game that
// reads the port once per frame.
void ReleaseJoystickBitAfterScan(int bit);
void NoteInterruptEntry();
