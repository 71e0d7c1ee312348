// The C64 keyboard matrix and the joystick byte behind CIA 1's ports. Both are changed
// with atomic bit operations, so presses from the emulator thread and from the
// user-interface thread (autostart) never undo each other.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/machine.h"

namespace input {

struct MatrixPosition {
  int row;
  int column;
};
inline constexpr MatrixPosition RightShiftKey{6, 4};

void PressMatrixKey(int row, int column);
// Releases at once; a release of the position still waiting for a scan is dropped.
void ReleaseMatrixKey(int row, int column);
void PressJoystickBit(int bit);
void ReleaseJoystickBit(int bit);
// All keys and directions released and queued key events dropped (power-on and reset).
void ReleaseAllKeys();
// RESTORE, which is not on the matrix: a press sends one pulse to the NMI input, which
// the accurate machine takes at its next instruction boundary (the classic machine has
// no NMI and ignores it).
void PressRestore();

// Key events arrive only between two passes, and a pass lasts eight frames, so a key
// pressed and released within one pass would never be scanned. A release asked for
// through ReleaseMatrixKeyAfterScan therefore waits until the machine has taken at least
// one frame's interrupt (and with it the KERNAL's keyboard scan) with the press visible:
// a press that has not yet been through an interrupt entry is released at the entry after
// the first one; so is a press first seen by the last entry (that entry's scan runs in its
// handler, and a pass may end, and key events arrive, in between); a press seen by an
// earlier entry is released at once. Every press (PressMatrixKey,
// PressJoystickBit) cancels a release of its position that is still waiting.
// NoteInterruptEntry is called by the interrupt entry; it applies due releases and queued
// key events (SubmitKeyEvent below), never waits, and costs one relaxed atomic load when
// no key is in flight.
void ReleaseMatrixKeyAfterScan(int row, int column);
// The same for a thread that releases while the machine runs (the autostart): the release
// always waits for an interrupt entry, since the scan of an entry already taken may still
// be running, and a press not yet seen waits for the entry after its first as above.
void ReleaseMatrixKeyAtNextEntry(int row, int column);
// The same for a joystick direction or fire, so that a quick tap reaches a game that
// reads the port once per frame.
void ReleaseJoystickBitAfterScan(int bit);
void NoteInterruptEntry();

// The matrix positions one host key event presses and releases together (Shift+7 presses
// the right SHIFT, the 7 and the / at once). A position is bit row * 8 + column.
struct KeyEvent {
  std::uint64_t press = 0;
  std::uint64_t release = 0;
  // The last call for a position wins.
  void Press(int row, int column);
  void Release(int row, int column);
};
// Key events reach the matrix in order, one new key per keyboard scan: the KERNAL takes
// only one of two keys that go down before the same scan, so two taps typed within one
// pass, or two keys that overlap there, would lose a letter. An event takes effect at
// once while nothing is queued, no release waits for a scan and, if it presses a new
// position, no press is waiting for its first scan and none of its positions went up
// since the last scan (a key tapped twice between two passes: its release took effect at
// once, and the press waits for the scan that sees it up); its presses count as not yet
// scanned, as with PressMatrixKey. Otherwise the event waits in a short queue, and each interrupt
// entry, before its scan, applies queued events in order until one has to wait:
// - an event's releases go up together, at this entry, or at the next one if one of its
//   positions has not been through a scan yet (a capital and SHIFT go up together) or if
//   it lets go of a modifier (SHIFT, CTRL, the Commodore key) while a key pressed since
//   the last scan has not been through one (CTRL up before the scan of CTRL+3); the same
//   holds for an event that takes effect at once, except that an event pressing a new key
//   lets go of its modifiers with that press (the key is typed with exactly the SHIFT its
//   event leaves down);
// - an event that presses a new position waits while an earlier release still waits,
//   when another new press is first scanned at this entry, and while one of its positions
//   went up at this entry or since the last one (a doubled letter needs one scan with the key up
//   between the two taps). Modifiers count as no new press of their own: the scan reads them beside
//   its one key, so Shift and the key pressed after it go to the same scan.
// Pressing a position that is already down (SHIFT on every shifted key) is not new unless
// its release is still waiting: then the release comes first. PressMatrixKey and the
// ReleaseMatrixKey calls bypass the queue (the autostart waits for the scans itself).
// A full queue applies its oldest event at once rather
// than lose a key. Handlers submit on the emulator thread; the records are guarded by the
// same lock as the deferred releases, which NoteInterruptEntry only ever tries to take.
void SubmitKeyEvent(const KeyEvent& event);
inline constexpr int kQueuedKeyEventCapacity = 32;

// The keys in flight, as a snapshot holds them: the deferred releases' records and the
// queued key events, oldest first.
struct KeysInFlight {
  std::uint64_t unseenMatrix = 0;
  std::uint64_t pendingMatrix = 0;
  std::uint8_t unseenJoystick = 0;
  std::uint8_t pendingJoystick = 0;
  // Which positions the next keyboard scans still have to see up, or see at all.
  std::uint64_t upUnscannedMatrix = 0;
  std::uint64_t enteredMatrix = 0;
  std::uint64_t upEnteredMatrix = 0;
  KeyEvent queued[kQueuedKeyEventCapacity];
  int queuedCount = 0;
};
KeysInFlight CurrentKeysInFlight();
// Replaces the records; the matrix and joystick lines are the machine record's own.
void RestoreKeysInFlight(const KeysInFlight& keys);

}  // namespace input
