// The keyboard matrix and joystick byte: atomic bit updates from two threads, and
// releases held back until the frame interrupt's keyboard scan has seen the press.
#include "input/key_matrix.h"

#include <gtest/gtest.h>

#include <atomic>
#include <barrier>
#include <thread>

namespace {

bool MatrixPressed(int row, int column) {
  return (KeyMatrix[row].load() & (1u << column)) == 0;
}
bool JoystickPressed(int bit) {
  return (JoystickState.load() & (1u << bit)) == 0;
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
  EXPECT_EQ(KeyMatrix[3].load(), 0xFF & ~0x20 & ~0x01);
  ReleaseMatrixKey(3, 5);
  ReleaseMatrixKey(3, 5);
  EXPECT_EQ(KeyMatrix[3].load(), 0xFE);
  PressJoystickBit(4);
  PressJoystickBit(0);
  EXPECT_EQ(JoystickState.load(), 0xEE);
  ReleaseJoystickBit(4);
  EXPECT_EQ(JoystickState.load(), 0xFE);
  ReleaseAllKeys();
  EXPECT_EQ(KeyMatrix[3].load(), 0xFF);
  EXPECT_EQ(JoystickState.load(), 0xFF);
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
  EXPECT_EQ(KeyMatrix[2].load(), 0xFF);
}

TEST_F(KeyMatrixTest, ReleaseOfAScannedPressIsImmediate) {
  PressMatrixKey(1, 1);
  NoteInterruptEntry();
  ReleaseMatrixKeyAfterScan(1, 1);
  EXPECT_FALSE(MatrixPressed(1, 1));
  // A position nobody pressed is simply released.
  KeyMatrix[5].store(0x00);
  ReleaseMatrixKeyAfterScan(5, 3);
  EXPECT_EQ(KeyMatrix[5].load(), 0x08);
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
  EXPECT_EQ(KeyMatrix[0].load(), 0xFB);
  NoteInterruptEntry();
  EXPECT_EQ(KeyMatrix[0].load(), 0xFB);
  NoteInterruptEntry();
  EXPECT_EQ(KeyMatrix[0].load(), 0xFF);
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
  EXPECT_EQ(JoystickState.load(), 0xFF);
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
        NoteInterruptEntry();
        NoteInterruptEntry();
      }
      lockstep.arrive_and_wait();
      // Both keys of this round have been through two interrupt entries or released
      // at once: both must be up now, neither release undone by the other thread.
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
  EXPECT_EQ(KeyMatrix[7].load(), 0xFF & ~0x02 & ~0x40);
  EXPECT_EQ(JoystickState.load(), 0xFF);
}

}  // namespace
