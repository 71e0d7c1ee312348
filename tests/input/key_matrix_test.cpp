// The keyboard matrix and joystick byte: atomic bit updates from two threads, and
// releases held back until the frame interrupt's keyboard scan has seen the press.
#include "input/key_matrix.h"

#include <gtest/gtest.h>

#include <atomic>
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
// bits of the same row while a pass takes interrupts: no update may undo another's.
TEST_F(KeyMatrixTest, ConcurrentUpdatesNeverUndoEachOther) {
  constexpr int kRounds = 20000;
  std::atomic<int> failures{0};
  std::atomic<bool> done{false};

  auto typist = [&](int column) {
    for (int i = 0; i < kRounds; ++i) {
      PressMatrixKey(7, column);
      if (!MatrixPressed(7, column)) ++failures;
      ReleaseMatrixKey(7, column);
      if (MatrixPressed(7, column)) ++failures;
      PressMatrixKey(7, column);
      PressJoystickBit(column & 3);
      ReleaseMatrixKeyAfterScan(7, column);
      ReleaseJoystickBitAfterScan(column & 3);
    }
    PressMatrixKey(7, column);  // leave the key held
  };
  std::thread interrupts([&] {
    while (!done.load()) NoteInterruptEntry();
  });
  std::thread a(typist, 1);
  std::thread b(typist, 6);
  a.join();
  b.join();
  done = true;
  interrupts.join();

  EXPECT_EQ(failures.load(), 0);
  // The final presses were made after every release request of their own thread.
  for (int i = 0; i < 4; ++i) NoteInterruptEntry();
  EXPECT_EQ(KeyMatrix[7].load(), 0xFF & ~0x02 & ~0x40);
  EXPECT_EQ(JoystickState.load(), 0xFF);
}

}  // namespace
