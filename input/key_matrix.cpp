// The keyboard matrix and joystick byte, the bookkeeping that holds back a release until
// the KERNAL's keyboard scan in the frame interrupt has seen the press, and the queue that
// hands a burst of key events to those scans one new key at a time.
#include "input/key_matrix.h"

#include <cassert>
#include <mutex>

namespace input {

namespace {

// The deferred-release records. A position is one bit: matrix position (row, column) is
// bit row * 8 + column of a 64-bit mask; joystick bit b is bit b of an 8-bit mask.
//
// "Unseen" positions were pressed after the last interrupt entry: the machine has not yet
// entered an interrupt (and with it the KERNAL's scan) while they were down. "Pending"
// positions have a release waiting. At an interrupt entry a pending position that is no
// longer unseen was down during the previous entry's scan, so it is released now, before
// this entry's scan; unseen positions become seen and keep their pending release for the
// next entry.
//
// The records change only under DeferredLock, so a re-press on one thread and an applied
// release at an interrupt entry on the other cannot cross (the press would otherwise be
// undone by a release decided just before it). The matrix bytes themselves stay lock-free.
struct DeferredReleases {
  std::uint64_t unseenMatrix = 0;
  std::uint64_t pendingMatrix = 0;
  std::uint8_t unseenJoystick = 0;
  std::uint8_t pendingJoystick = 0;
  // Positions that went up between two entries (a release applied at once): the next
  // scan is the first to see them up, so a new press of one waits until after it, or the
  // KERNAL would take a second tap for the first one still held.
  std::uint64_t upUnscannedMatrix = 0;
  // Positions the last entry's scan is the first to see. That scan runs in the interrupt
  // handler after the entry, and a pass may end in between (and key events come then), so
  // until the next entry they count as not yet scanned either.
  std::uint64_t enteredMatrix = 0;
  // Positions that went up at the last entry, or between the two entries before it: the
  // last entry's scan sees them up, but may not have run yet, so a new press of one still
  // waits for the next entry.
  std::uint64_t upEnteredMatrix = 0;
};

// Key events from the handlers that wait for their turn (SubmitKeyEvent), oldest first,
// in a fixed ring that never allocates: a burst typed within one pass is a handful of
// events, and the eight entries of the next pass apply several of them. Guarded by
// DeferredLock like the records.
struct QueuedKeyEvents {
  KeyEvent events[kQueuedKeyEventCapacity];
  int head = 0;
  int count = 0;
};

std::mutex DeferredLock;
DeferredReleases Deferred;
QueuedKeyEvents Queued;
// Set while any record above is non-zero or an event is queued: the only thing an
// interrupt entry reads when no key is in flight.
std::atomic<bool> DeferredWork{false};

std::uint64_t MatrixBit(int row, int column) {
  return std::uint64_t{1} << ((row & 7) * 8 + (column & 7));
}

std::uint8_t JoystickBit(int bit) {
  return static_cast<std::uint8_t>(1u << (bit & 7));
}

// Returns whether the position was released before: only such a press is new to the
// machine, a press of a held position (SHIFT on every shifted key) has been seen already.
bool ClearMatrixBit(int row, int column) {
  const std::uint8_t bit = static_cast<std::uint8_t>(1u << (column & 7));
  return (core::C64.input.keyMatrix[row & 7].fetch_and(static_cast<std::uint8_t>(~bit)) & bit) != 0;
}

void SetMatrixBit(int row, int column) {
  core::C64.input.keyMatrix[row & 7].fetch_or(static_cast<std::uint8_t>(1u << (column & 7)));
}

// Called with DeferredLock held after every change of the records.
void PublishDeferredWork() {
  const bool work = (Deferred.unseenMatrix | Deferred.pendingMatrix | Deferred.unseenJoystick |
                     Deferred.pendingJoystick | Deferred.upUnscannedMatrix |
                     Deferred.enteredMatrix | Deferred.upEnteredMatrix) != 0 ||
                    Queued.count != 0;
  DeferredWork.store(work, std::memory_order_relaxed);
}

// Presses no scan may have seen yet, outside an interrupt entry. DeferredLock held.
std::uint64_t UnscannedMatrix() {
  return Deferred.unseenMatrix | Deferred.enteredMatrix;
}

std::uint8_t RowBits(std::uint64_t positions, int row) {
  return static_cast<std::uint8_t>(positions >> (row * 8));
}

void SetMatrixBits(std::uint64_t positions) {
  for (int row = 0; row < 8; ++row) {
    if (const std::uint8_t bits = RowBits(positions, row))
      core::C64.input.keyMatrix[row].fetch_or(bits);
  }
}

// The positions of the set that are released now: pressing them would be new to the
// machine.
std::uint64_t ReleasedPositions(std::uint64_t positions) {
  std::uint64_t released = 0;
  for (int row = 0; row < 8; ++row) {
    const std::uint8_t bits = RowBits(positions, row) & core::C64.input.keyMatrix[row].load();
    released |= std::uint64_t{bits} << (row * 8);
  }
  return released;
}

// Presses the positions and returns those that were released before. A press cancels a
// release of its position that is still waiting. DeferredLock held.
std::uint64_t PressPositions(std::uint64_t positions) {
  Deferred.pendingMatrix &= ~positions;
  std::uint64_t pressed = 0;
  for (int row = 0; row < 8; ++row) {
    if (const std::uint8_t bits = RowBits(positions, row)) {
      const std::uint8_t before =
          core::C64.input.keyMatrix[row].fetch_and(static_cast<std::uint8_t>(~bits));
      pressed |= std::uint64_t{static_cast<std::uint8_t>(before & bits)} << (row * 8);
    }
  }
  return pressed;
}

// SHIFT (both), CTRL and the Commodore key: the KERNAL's scan reads them beside the one
// key it reports.
constexpr std::uint64_t kModifierPositions =
    std::uint64_t{1} << (1 * 8 + 7) | std::uint64_t{1} << (6 * 8 + 4) |
    std::uint64_t{1} << (7 * 8 + 2) | std::uint64_t{1} << (7 * 8 + 5);

// The modifiers among the positions that are down now.
std::uint64_t HeldModifiers(std::uint64_t positions) {
  return positions & kModifierPositions & ~ReleasedPositions(positions);
}

// Whether the release of these positions lets go of a modifier that keys pressed with it,
// not yet scanned (`unscanned`), still need.
bool ModifierStillNeeded(std::uint64_t positions, std::uint64_t unscanned) {
  return (unscanned & ~kModifierPositions) != 0 && HeldModifiers(positions) != 0;
}

// Releases one event's positions together: at once, or all at the next entry if one of
// them is in `unscanned` (pressed since the last interrupt entry's scan), so that a
// capital released together with SHIFT is still scanned with SHIFT, or if they hold a
// modifier that an unscanned key was typed with (CTRL up before the scan of CTRL+3).
// Returns whether they went up now. DeferredLock held.
bool ReleasePositionsAfterScan(std::uint64_t positions, std::uint64_t unscanned) {
  if ((positions & unscanned) != 0 || ModifierStillNeeded(positions, unscanned)) {
    Deferred.pendingMatrix |= positions;
    return false;
  }
  SetMatrixBits(positions);
  return true;
}

// The modifiers an event lets go of while it presses a new key: that key is typed with
// exactly the modifiers its event leaves down ("*" typed with the PC's Shift is the C64's
// unshifted *), so they go up with its press, not a scan later. Such an event only takes
// effect while no other new key waits for its first scan, so no key typed earlier loses
// a modifier it needs. DeferredLock held.
std::uint64_t ModifiersUpWithNewKey(const KeyEvent& event, std::uint64_t newPresses) {
  if ((newPresses & ~kModifierPositions) == 0) return 0;
  return event.release & kModifierPositions;
}

// Releases an event's positions: modifiers that its new key must not see at once, the
// rest as ReleasePositionsAfterScan does. Returns the positions that went up now.
// DeferredLock held.
std::uint64_t ReleaseEventPositions(const KeyEvent& event, std::uint64_t newPresses,
                                    std::uint64_t unscanned) {
  const std::uint64_t atOnce = ModifiersUpWithNewKey(event, newPresses);
  SetMatrixBits(atOnce);
  Deferred.pendingMatrix &= ~atOnce;
  Deferred.unseenMatrix &= ~atOnce;
  const std::uint64_t rest = event.release & ~atOnce;
  return atOnce | (ReleasePositionsAfterScan(rest, unscanned) ? rest : 0);
}

// The positions an event presses that are new to the machine: released now, or still
// down with a release waiting (that release goes up before this press). DeferredLock held.
std::uint64_t NewPresses(const KeyEvent& event) {
  return ReleasedPositions(event.press) | (event.press & Deferred.pendingMatrix);
}

// A key event taking effect outside an interrupt entry: its new presses wait for the
// next entry like those of PressMatrixKey. DeferredLock held.
void ApplyKeyEventNow(const KeyEvent& event) {
  const std::uint64_t newPresses = NewPresses(event);
  // A modifier held back for keys not yet scanned must outlast the next entry's scan as
  // well, as if it had been pressed with them.
  if (ModifierStillNeeded(event.release, UnscannedMatrix())) {
    Deferred.unseenMatrix |= HeldModifiers(event.release);
  }
  Deferred.upUnscannedMatrix |=
      ReleaseEventPositions(event, newPresses, UnscannedMatrix()) & ~kModifierPositions;
  Deferred.unseenMatrix |= PressPositions(event.press);
}

void DropOldestQueuedEvent() {
  Queued.head = (Queued.head + 1) % kQueuedKeyEventCapacity;
  --Queued.count;
}

// At an interrupt entry, before its keyboard scan: applies queued events in order until
// one has to wait. `scanned` holds the positions this entry's scan is the first to see;
// `releasedNow` those released at this entry. An event with a new press waits while an
// earlier release is still held back (the scan would see the old key with the new one),
// after another event's new press at this entry (one new key per scan) and while one of
// its positions went up at this entry (the scan has to see the key up between two taps of
// it, or the KERNAL takes the second for the first one still held). DeferredLock held.
// Returns the positions this entry's scan is the first to see, with the queued presses;
// `releasedNow` gains the queued releases.
std::uint64_t ApplyQueuedKeyEvents(std::uint64_t scanned, std::uint64_t& releasedNow) {
  // A press first seen by this entry's scan is this scan's new key already; modifiers
  // are no key of their own to the scan.
  bool newKeyApplied = (scanned & ~kModifierPositions) != 0;
  while (Queued.count != 0) {
    const KeyEvent& event = Queued.events[Queued.head];
    const std::uint64_t newPresses = NewPresses(event);
    if (newPresses != 0) {
      const bool newKey = (newPresses & ~kModifierPositions) != 0;
      if ((newKey && newKeyApplied) || Deferred.pendingMatrix != 0 ||
          (newPresses & releasedNow) != 0) {
        break;
      }
      newKeyApplied = newKeyApplied || newKey;
    }
    releasedNow |= ReleaseEventPositions(event, newPresses, scanned);
    PressPositions(event.press);
    scanned |= newPresses;
    DropOldestQueuedEvent();
  }
  return scanned;
}

}  // namespace

void PressMatrixKey(int row, int column) {
  std::lock_guard lock(DeferredLock);
  const std::uint64_t bit = MatrixBit(row, column);
  Deferred.pendingMatrix &= ~bit;  // a re-press cancels a release still waiting
  if (ClearMatrixBit(row, column)) Deferred.unseenMatrix |= bit;
  PublishDeferredWork();
}

void ReleaseMatrixKey(int row, int column) {
  std::lock_guard lock(DeferredLock);
  const std::uint64_t bit = MatrixBit(row, column);
  Deferred.pendingMatrix &= ~bit;
  Deferred.unseenMatrix &= ~bit;
  Deferred.enteredMatrix &= ~bit;
  SetMatrixBit(row, column);
  PublishDeferredWork();
}

void PressJoystickBit(int bit) {
  std::lock_guard lock(DeferredLock);
  const std::uint8_t mask = JoystickBit(bit);
  Deferred.pendingJoystick &= static_cast<std::uint8_t>(~mask);
  if (core::C64.input.joystick.fetch_and(static_cast<std::uint8_t>(~mask)) & mask) {
    Deferred.unseenJoystick |= mask;
  }
  PublishDeferredWork();
}

void ReleaseJoystickBit(int bit) {
  core::C64.input.joystick.fetch_or(JoystickBit(bit));
}

void ReleaseAllKeys() {
  std::lock_guard lock(DeferredLock);
  Deferred = DeferredReleases{};
  Queued.head = 0;
  Queued.count = 0;
  for (auto& row : core::C64.input.keyMatrix) row.store(0xFF);
  core::C64.input.joystick.store(0xFF);
  PublishDeferredWork();
}

void PressRestore() {
  core::C64.input.restorePressed.store(1);
}

void ReleaseMatrixKeyAfterScan(int row, int column) {
  std::lock_guard lock(DeferredLock);
  const std::uint64_t bit = MatrixBit(row, column);
  if (UnscannedMatrix() & bit) {
    Deferred.pendingMatrix |= bit;
  } else {
    SetMatrixBit(row, column);  // the press has been through a scan already
  }
  PublishDeferredWork();
}

void ReleaseMatrixKeyAtNextEntry(int row, int column) {
  std::lock_guard lock(DeferredLock);
  Deferred.pendingMatrix |= MatrixBit(row, column);
  PublishDeferredWork();
}

void ReleaseJoystickBitAfterScan(int bit) {
  std::lock_guard lock(DeferredLock);
  const std::uint8_t mask = JoystickBit(bit);
  if (Deferred.unseenJoystick & mask) {
    Deferred.pendingJoystick |= mask;
  } else {
    core::C64.input.joystick.fetch_or(mask);
  }
  PublishDeferredWork();
}

void NoteInterruptEntry() {
  // Once per frame on the run loop's path: nothing in flight costs this one load.
  if (!DeferredWork.load(std::memory_order_relaxed)) return;

  // A machine step never waits: if a key handler holds the records this very moment, the
  // due releases and queued events are applied at the next frame's entry instead.
  std::unique_lock lock(DeferredLock, std::try_to_lock);
  if (!lock.owns_lock()) return;
  // Presses not yet through an entry are first seen by this entry's scan.
  const std::uint64_t scanned = Deferred.unseenMatrix;
  const std::uint64_t dueMatrix = Deferred.pendingMatrix & ~scanned;
  SetMatrixBits(dueMatrix);
  Deferred.pendingMatrix &= scanned;
  Deferred.unseenMatrix = 0;
  // Keys let go of since the last entry are first seen up by this entry's scan.
  std::uint64_t upBeforeThisScan = dueMatrix | Deferred.upUnscannedMatrix;
  Deferred.upUnscannedMatrix = 0;

  const std::uint8_t dueJoystick =
      static_cast<std::uint8_t>(Deferred.pendingJoystick & ~Deferred.unseenJoystick);
  if (dueJoystick) core::C64.input.joystick.fetch_or(dueJoystick);
  Deferred.pendingJoystick &= Deferred.unseenJoystick;
  Deferred.unseenJoystick = 0;

  Deferred.enteredMatrix =
      Queued.count != 0 ? ApplyQueuedKeyEvents(scanned, upBeforeThisScan) : scanned;
  Deferred.upEnteredMatrix = upBeforeThisScan & ~kModifierPositions;
  PublishDeferredWork();
}

void KeyEvent::Press(int row, int column) {
  press |= MatrixBit(row, column);
  release &= ~MatrixBit(row, column);
}

void KeyEvent::Release(int row, int column) {
  release |= MatrixBit(row, column);
  press &= ~MatrixBit(row, column);
}

void SubmitKeyEvent(const KeyEvent& event) {
  if ((event.press | event.release) == 0) return;
  std::lock_guard lock(DeferredLock);
  // A second new key waits for the first one's scan even while that one is held: keys
  // that overlap (the next pressed before the last is released) reach the scans in turn.
  // Modifiers pressed just before (Shift, then the key) go to the scan with it.
  const std::uint64_t newPresses = NewPresses(event);
  const bool newKeyUnscanned =
      (UnscannedMatrix() & ~kModifierPositions) != 0 && (newPresses & ~kModifierPositions) != 0;
  // A key tapped again after its release went up between the same two scans waits for
  // the scan that sees it up: a quick double tap types two letters.
  const bool upUnscanned =
      (newPresses & (Deferred.upUnscannedMatrix | Deferred.upEnteredMatrix)) != 0;
  if (Queued.count == 0 && Deferred.pendingMatrix == 0 && !newKeyUnscanned && !upUnscanned) {
    ApplyKeyEventNow(event);  // nothing ahead of it
  } else {
    if (Queued.count == kQueuedKeyEventCapacity) {
      // Better two keys in one scan than a key never typed.
      ApplyKeyEventNow(Queued.events[Queued.head]);
      DropOldestQueuedEvent();
    }
    Queued.events[(Queued.head + Queued.count) % kQueuedKeyEventCapacity] = event;
    ++Queued.count;
  }
  PublishDeferredWork();
}

KeysInFlight CurrentKeysInFlight() {
  std::lock_guard lock(DeferredLock);
  KeysInFlight keys;
  keys.unseenMatrix = Deferred.unseenMatrix;
  keys.pendingMatrix = Deferred.pendingMatrix;
  keys.unseenJoystick = Deferred.unseenJoystick;
  keys.pendingJoystick = Deferred.pendingJoystick;
  keys.upUnscannedMatrix = Deferred.upUnscannedMatrix;
  keys.enteredMatrix = Deferred.enteredMatrix;
  keys.upEnteredMatrix = Deferred.upEnteredMatrix;
  keys.queuedCount = Queued.count;
  for (int i = 0; i < Queued.count; ++i) {
    keys.queued[i] = Queued.events[(Queued.head + i) % kQueuedKeyEventCapacity];
  }
  return keys;
}

void RestoreKeysInFlight(const KeysInFlight& keys) {
  assert(keys.queuedCount >= 0 && keys.queuedCount <= kQueuedKeyEventCapacity);
  std::lock_guard lock(DeferredLock);
  Deferred.unseenMatrix = keys.unseenMatrix;
  Deferred.pendingMatrix = keys.pendingMatrix;
  Deferred.unseenJoystick = keys.unseenJoystick;
  Deferred.pendingJoystick = keys.pendingJoystick;
  Deferred.upUnscannedMatrix = keys.upUnscannedMatrix;
  Deferred.enteredMatrix = keys.enteredMatrix;
  Deferred.upEnteredMatrix = keys.upEnteredMatrix;
  Queued.head = 0;
  Queued.count = keys.queuedCount;
  for (int i = 0; i < keys.queuedCount; ++i) Queued.events[i] = keys.queued[i];
  PublishDeferredWork();
}

}  // namespace input
