// The keyboard matrix and joystick byte: atomic bit updates from two threads, and
// releases held back until the frame interrupt's keyboard scan has seen the press.
#include "input/key_matrix.h"

#include <gtest/gtest.h>

#include <atomic>
#include <barrier>
#include <bit>
#include <cstdint>
#include <initializer_list>
#include <thread>

using namespace input;

namespace {

bool MatrixPressed(int row, int column) {
  return (core::C64.input.keyMatrix[row].load() & (1u << column)) == 0;
}
bool JoystickPressed(int bit) {
  return (core::C64.input.joystick.load() & (1u << bit)) == 0;
}

// All pressed matrix positions, bit row * 8 + column.
std::uint64_t PressedPositions() {
  std::uint64_t pressed = 0;
  for (int row = 0; row < 8; ++row) {
    pressed |= std::uint64_t{static_cast<std::uint8_t>(~core::C64.input.keyMatrix[row].load())}
               << (row * 8);
  }
  return pressed;
}
std::uint64_t Bit(MatrixPosition p) {
  return std::uint64_t{1} << (p.row * 8 + p.column);
}

constexpr MatrixPosition kSix{2, 3}, kStar{6, 1}, kSeven{3, 0}, kSlash{6, 7}, kX{2, 7};

// One handler call's group: these positions down, or these up.
void Down(std::initializer_list<MatrixPosition> positions) {
  KeyEvent event;
  for (const MatrixPosition& p : positions) event.Press(p.row, p.column);
  SubmitKeyEvent(event);
}
void Up(std::initializer_list<MatrixPosition> positions) {
  KeyEvent event;
  for (const MatrixPosition& p : positions) event.Release(p.row, p.column);
  SubmitKeyEvent(event);
}

class KeyMatrixTest : public ::testing::Test {
 protected:
  void SetUp() override { ReleaseAllKeys(); }
  void TearDown() override { ReleaseAllKeys(); }
};

TEST_F(KeyMatrixTest, PressAndReleaseAreIdempotentBitUpdates) {
  PressMatrixKey(3, 5);
  PressMatrixKey(3, 5);
  PressMatrixKey(3, 0);
  EXPECT_EQ(core::C64.input.keyMatrix[3].load(), 0xFF & ~0x20 & ~0x01);
  ReleaseMatrixKey(3, 5);
  ReleaseMatrixKey(3, 5);
  EXPECT_EQ(core::C64.input.keyMatrix[3].load(), 0xFE);
  PressJoystickBit(4);
  PressJoystickBit(0);
  EXPECT_EQ(core::C64.input.joystick.load(), 0xEE);
  ReleaseJoystickBit(4);
  EXPECT_EQ(core::C64.input.joystick.load(), 0xFE);
  ReleaseAllKeys();
  EXPECT_EQ(core::C64.input.keyMatrix[3].load(), 0xFF);
  EXPECT_EQ(core::C64.input.joystick.load(), 0xFF);
}

TEST_F(KeyMatrixTest, ReleaseWaitsUntilAnInterruptHasSeenThePress) {
  PressMatrixKey(2, 7);
  ReleaseMatrixKeyAfterScan(2, 7);
  EXPECT_TRUE(MatrixPressed(2, 7)) << "no interrupt yet: the press must stay";
  NoteInterruptEntry();
  EXPECT_TRUE(MatrixPressed(2, 7)) << "this interrupt's scan still has to see it";
  NoteInterruptEntry();
  EXPECT_FALSE(MatrixPressed(2, 7));
  NoteInterruptEntry();  // nothing left to do
  EXPECT_EQ(core::C64.input.keyMatrix[2].load(), 0xFF);
}

TEST_F(KeyMatrixTest, ReleaseOfAScannedPressIsImmediate) {
  PressMatrixKey(1, 1);
  NoteInterruptEntry();
  // The entry's scan runs in its handler, and a pass may end before it: until the next
  // entry the press may still be unscanned.
  ReleaseMatrixKeyAfterScan(1, 1);
  EXPECT_TRUE(MatrixPressed(1, 1));
  NoteInterruptEntry();
  EXPECT_FALSE(MatrixPressed(1, 1));
  PressMatrixKey(1, 1);
  NoteInterruptEntry();
  NoteInterruptEntry();  // the first entry's scan has certainly run
  ReleaseMatrixKeyAfterScan(1, 1);
  EXPECT_FALSE(MatrixPressed(1, 1));
  // A position nobody pressed is simply released.
  core::C64.input.keyMatrix[5].store(0x00);
  ReleaseMatrixKeyAfterScan(5, 3);
  EXPECT_EQ(core::C64.input.keyMatrix[5].load(), 0x08);
}

TEST_F(KeyMatrixTest, RepressCancelsAWaitingRelease) {
  PressMatrixKey(4, 4);
  ReleaseMatrixKeyAfterScan(4, 4);
  PressMatrixKey(4, 4);  // before any interrupt
  NoteInterruptEntry();
  NoteInterruptEntry();
  EXPECT_TRUE(MatrixPressed(4, 4));

  ReleaseAllKeys();
  PressMatrixKey(4, 4);
  ReleaseMatrixKeyAfterScan(4, 4);
  NoteInterruptEntry();
  PressMatrixKey(4, 4);  // between the scan and the due release
  NoteInterruptEntry();
  NoteInterruptEntry();
  EXPECT_TRUE(MatrixPressed(4, 4));
}

TEST_F(KeyMatrixTest, WaitingReleasesAreIndependentPerPosition) {
  PressMatrixKey(0, 1);
  NoteInterruptEntry();
  PressMatrixKey(0, 2);  // same row, pressed one frame later
  ReleaseMatrixKeyAfterScan(0, 1);
  ReleaseMatrixKeyAfterScan(0, 2);
  EXPECT_EQ(core::C64.input.keyMatrix[0].load(), 0xF9);
  NoteInterruptEntry();
  EXPECT_EQ(core::C64.input.keyMatrix[0].load(), 0xFB);
  NoteInterruptEntry();
  EXPECT_EQ(core::C64.input.keyMatrix[0].load(), 0xFF);
}

TEST_F(KeyMatrixTest, JoystickReleaseWaitsLikewise) {
  PressJoystickBit(2);
  ReleaseJoystickBitAfterScan(2);
  NoteInterruptEntry();
  EXPECT_TRUE(JoystickPressed(2));
  NoteInterruptEntry();
  EXPECT_FALSE(JoystickPressed(2));

  PressJoystickBit(4);
  NoteInterruptEntry();
  ReleaseJoystickBitAfterScan(4);
  EXPECT_FALSE(JoystickPressed(4));
  EXPECT_EQ(core::C64.input.joystick.load(), 0xFF);
}

TEST_F(KeyMatrixTest, TapsWithinOnePassReachConsecutiveScansOneKeyEach) {
  // "6*7" typed within one pass: all six events arrive before the next interrupt entry.
  Down({kSix});
  EXPECT_EQ(PressedPositions(), Bit(kSix)) << "nothing ahead of the first press";
  Up({kSix});
  Down({kStar});
  Up({kStar});
  Down({kSeven});
  Up({kSeven});
  EXPECT_EQ(PressedPositions(), Bit(kSix));
  for (MatrixPosition key : {kSix, kStar, kSeven}) {
    NoteInterruptEntry();  // this entry's scan sees the key alone
    EXPECT_EQ(PressedPositions(), Bit(key)) << key.row << "," << key.column;
  }
  NoteInterruptEntry();
  EXPECT_EQ(PressedPositions(), 0u);
  // Nothing in flight any more: the next press applies at once again.
  Down({kX});
  EXPECT_EQ(PressedPositions(), Bit(kX));
}

TEST_F(KeyMatrixTest, OverlappingKeysWithinOnePassReachConsecutiveScansOneKeyEach) {
  // Rolled "6*7": each key goes down before the one before it comes up.
  Down({kSix});
  Down({kStar});
  Up({kSix});
  Down({kSeven});
  Up({kStar});
  Up({kSeven});
  EXPECT_EQ(PressedPositions(), Bit(kSix)) << "the second key waits for the first one's scan";
  const std::uint64_t expected[] = {Bit(kSix), Bit(kStar), Bit(kSeven), 0};
  for (std::uint64_t pressed : expected) {
    NoteInterruptEntry();
    EXPECT_EQ(PressedPositions(), pressed);
  }
}

TEST_F(KeyMatrixTest, AGroupGoesDownTogetherAndAHeldShiftIsNotANewKey) {
  // Shift+7 (SHIFT, 7 and /) after a tap of 6, then a second shifted key with SHIFT held.
  Down({kSix});
  Up({kSix});
  Down({RightShiftKey, kSeven, kSlash});
  Up({kSeven, kSlash});
  Down({RightShiftKey, kStar});
  Up({RightShiftKey, kStar});
  NoteInterruptEntry();
  EXPECT_EQ(PressedPositions(), Bit(kSix));
  NoteInterruptEntry();
  EXPECT_EQ(PressedPositions(), Bit(RightShiftKey) | Bit(kSeven) | Bit(kSlash));
  NoteInterruptEntry();
  EXPECT_EQ(PressedPositions(), Bit(RightShiftKey) | Bit(kStar));
  NoteInterruptEntry();
  EXPECT_EQ(PressedPositions(), 0u);
}

TEST_F(KeyMatrixTest, ADoubledKeyIsScannedUpBetweenItsTwoTaps) {
  Down({kX});
  Up({kX});
  Down({kX});
  Up({kX});
  const std::uint64_t expected[] = {Bit(kX), 0, Bit(kX), 0};
  for (std::uint64_t pressed : expected) {
    NoteInterruptEntry();
    EXPECT_EQ(PressedPositions(), pressed);
  }
}

TEST_F(KeyMatrixTest, DirectCallsBypassTheQueue) {
  Down({kSix});
  Up({kSix});
  Down({kStar});                      // queued
  PressMatrixKey(kX.row, kX.column);  // autostart: visible at once
  EXPECT_EQ(PressedPositions(), Bit(kSix) | Bit(kX));
  ReleaseMatrixKey(kX.row, kX.column);
  EXPECT_EQ(PressedPositions(), Bit(kSix));
  ReleaseAllKeys();  // drops the queued press as well
  NoteInterruptEntry();
  EXPECT_EQ(PressedPositions(), 0u);
}

TEST_F(KeyMatrixTest, AFullQueueAppliesItsOldestEventsAtOnce) {
  Down({kX});
  Up({kX});
  // Presses of 40 other positions: the oldest ones beyond the queue's room go down now.
  constexpr int kPresses = 40;
  constexpr int kAtOnce = kPresses - kQueuedKeyEventCapacity;
  std::uint64_t all = 0;
  for (int i = 0, position = 0; i < kPresses; ++position) {
    if (position == kX.row * 8 + kX.column) continue;
    Down({{position / 8, position % 8}});
    all |= std::uint64_t{1} << position;
    ++i;
  }
  EXPECT_EQ(std::popcount(PressedPositions() & all), kAtOnce);
  for (int i = 0; i < kQueuedKeyEventCapacity + 2; ++i) NoteInterruptEntry();
  EXPECT_EQ(PressedPositions(), all) << "no key lost";
}

// The emulator thread (keyboard handlers) and the user-interface thread (autostart) change
// bits of the same row while a pass takes interrupts: no update may undo another's. The
// two threads press and release in lockstep so that their updates collide.
TEST_F(KeyMatrixTest, ConcurrentUpdatesNeverUndoEachOther) {
  constexpr int kRounds = 20000;
  std::atomic<int> failures{0};
  std::atomic<bool> done{false};
  std::barrier lockstep(2);

  auto typist = [&](int column) {
    const int other = 7 - column;
    for (int i = 0; i < kRounds; ++i) {
      PressMatrixKey(7, column);
      PressJoystickBit(column & 3);
      lockstep.arrive_and_wait();
      if (!MatrixPressed(7, column) || !MatrixPressed(7, other)) ++failures;
      if (!JoystickPressed(column & 3)) ++failures;
      lockstep.arrive_and_wait();
      if (i % 2 == 0) {
        ReleaseMatrixKey(7, column);
        ReleaseJoystickBit(column & 3);
      } else {
        ReleaseMatrixKeyAfterScan(7, column);
        ReleaseJoystickBitAfterScan(column & 3);
        // An entry that finds the records busy (the other threads) leaves the due releases
        // to a later one; a release that was undone would never come.
        for (int n = 0; n < 10000 && (MatrixPressed(7, column) || JoystickPressed(column & 3));
             ++n) {
          NoteInterruptEntry();
          std::this_thread::yield();
        }
      }
      lockstep.arrive_and_wait();
      // Both keys of this round have been through interrupt entries or released at once:
      // both must be up now, neither release undone by the other thread.
      if (MatrixPressed(7, column) || MatrixPressed(7, other)) ++failures;
      if (JoystickPressed(column & 3)) ++failures;
      lockstep.arrive_and_wait();
    }
    PressMatrixKey(7, column);  // leave the key held
  };
  // A pass on a third thread taking frame interrupts throughout.
  std::thread interrupts([&] {
    while (!done.load()) {
      NoteInterruptEntry();
      std::this_thread::yield();
    }
  });
  std::thread a(typist, 1);
  std::thread b(typist, 6);
  a.join();
  b.join();
  done = true;
  interrupts.join();

  EXPECT_EQ(failures.load(), 0);
  for (int i = 0; i < 2; ++i) NoteInterruptEntry();
  EXPECT_EQ(core::C64.input.keyMatrix[7].load(), 0xFF & ~0x02 & ~0x40);
  EXPECT_EQ(core::C64.input.joystick.load(), 0xFF);
}

// Key events from the emulator thread while another thread runs a pass: every tap goes
// down and comes up again, in whatever interleaving.
TEST_F(KeyMatrixTest, KeyEventsAndInterruptEntriesOnTwoThreads) {
  std::atomic<bool> done{false};
  std::thread interrupts([&] {
    while (!done.load()) {
      NoteInterruptEntry();
      std::this_thread::yield();
    }
  });
  for (int i = 0; i < 5000; ++i) {
    const MatrixPosition key{i % 8, (i / 8) % 8};
    Down({RightShiftKey, key});
    Up({RightShiftKey, key});
  }
  done = true;
  interrupts.join();
  for (int i = 0; i < kQueuedKeyEventCapacity * 2 + 2; ++i) NoteInterruptEntry();
  EXPECT_EQ(PressedPositions(), 0u);
}

}  // namespace
