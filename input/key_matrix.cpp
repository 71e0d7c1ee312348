// The keyboard matrix and joystick byte, and the bookkeeping that holds back a release
// until the KERNAL's keyboard scan in the frame interrupt has seen the press.
#include "input/key_matrix.h"

#include <mutex>

std::atomic<std::uint8_t> KeyMatrix[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
std::atomic<std::uint8_t> JoystickState{0xFF};

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
};

std::mutex DeferredLock;
DeferredReleases Deferred;
// Set while any record above is non-zero: the only thing an interrupt entry reads when
// no key is in flight.
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
  return (KeyMatrix[row & 7].fetch_and(static_cast<std::uint8_t>(~bit)) & bit) != 0;
}

void SetMatrixBit(int row, int column) {
  KeyMatrix[row & 7].fetch_or(static_cast<std::uint8_t>(1u << (column & 7)));
}

// Called with DeferredLock held after every change of the records.
void PublishDeferredWork() {
  const bool work = (Deferred.unseenMatrix | Deferred.pendingMatrix | Deferred.unseenJoystick |
                     Deferred.pendingJoystick) != 0;
  DeferredWork.store(work, std::memory_order_relaxed);
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
  SetMatrixBit(row, column);
}

void PressJoystickBit(int bit) {
  std::lock_guard lock(DeferredLock);
  const std::uint8_t mask = JoystickBit(bit);
  Deferred.pendingJoystick &= static_cast<std::uint8_t>(~mask);
  if (JoystickState.fetch_and(static_cast<std::uint8_t>(~mask)) & mask) {
    Deferred.unseenJoystick |= mask;
  }
  PublishDeferredWork();
}

void ReleaseJoystickBit(int bit) {
  JoystickState.fetch_or(JoystickBit(bit));
}

void ReleaseAllKeys() {
  std::lock_guard lock(DeferredLock);
  Deferred = DeferredReleases{};
  for (auto& row : KeyMatrix) row.store(0xFF);
  JoystickState.store(0xFF);
  PublishDeferredWork();
}

void ReleaseMatrixKeyAfterScan(int row, int column) {
  std::lock_guard lock(DeferredLock);
  const std::uint64_t bit = MatrixBit(row, column);
  if (Deferred.unseenMatrix & bit) {
    Deferred.pendingMatrix |= bit;
  } else {
    SetMatrixBit(row, column);  // the press has been through a scan already
  }
  PublishDeferredWork();
}

void ReleaseJoystickBitAfterScan(int bit) {
  std::lock_guard lock(DeferredLock);
  const std::uint8_t mask = JoystickBit(bit);
  if (Deferred.unseenJoystick & mask) {
    Deferred.pendingJoystick |= mask;
  } else {
    JoystickState.fetch_or(mask);
  }
  PublishDeferredWork();
}

void NoteInterruptEntry() {
  // Once per frame on the run loop's path: nothing in flight costs this one load.
  if (!DeferredWork.load(std::memory_order_relaxed)) return;

  // A machine step never waits: if a key handler holds the records this very moment, the
  // due releases are applied at the next frame's entry instead.
  std::unique_lock lock(DeferredLock, std::try_to_lock);
  if (!lock.owns_lock()) return;
  const std::uint64_t dueMatrix = Deferred.pendingMatrix & ~Deferred.unseenMatrix;
  for (int position = 0; position < 64; ++position) {
    if (dueMatrix & (std::uint64_t{1} << position)) SetMatrixBit(position / 8, position % 8);
  }
  Deferred.pendingMatrix &= Deferred.unseenMatrix;
  Deferred.unseenMatrix = 0;

  const std::uint8_t dueJoystick =
      static_cast<std::uint8_t>(Deferred.pendingJoystick & ~Deferred.unseenJoystick);
  if (dueJoystick) JoystickState.fetch_or(dueJoystick);
  Deferred.pendingJoystick &= Deferred.unseenJoystick;
  Deferred.unseenJoystick = 0;

  PublishDeferredWork();
}
