// Passes from two threads never overlap, and a thread waiting for the pass lock keeps
// serving its wait hook.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "core/machine.h"
#include "core/run_control.h"
#include "core/run_loop.h"
#include "tests/support/test_machine.h"

using namespace core;

namespace {

std::atomic<int> HookCalls{0};

class PassLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ZeroWholeMachine();
    for (int n = 0; n < 8; ++n) C64.cpu.flagMasks[n] = static_cast<std::uint8_t>(1u << n);
    C64.memory.ram[0x0001] = 0x30;
    const std::uint8_t loop[] = {0xE8, 0x4C, 0x00, 0x10};  // INX; JMP $1000
    for (int i = 0; i < 4; ++i) C64.memory.ram[0x1000 + i] = loop[i];
    C64.cpu.PC = 0x1000;
    C64.cpu.P = 0x24;
  }
};

TEST_F(PassLockTest, PassesAndLockedWritesNeverInterleave) {
  std::atomic<bool> stop{false};
  std::atomic<int> passes{0};
  std::thread emulator([&] {
    while (!stop) {
      RunPass();
      passes.fetch_add(1);
    }
  });
  // The writes below begin once the other thread runs passes, however busy the host.
  while (passes.load() == 0) std::this_thread::yield();
  int interleaved = 0;
  for (int i = 0; i < 200; ++i) {
    PassLock lock;
    // While the lock is held no instruction runs anywhere.
    const std::int64_t before = C64.cpu.instructionCount;
    C64.memory.ram[0x3000 + (i & 0xFF)] = static_cast<std::uint8_t>(i);
    std::this_thread::yield();
    if (C64.cpu.instructionCount != before) ++interleaved;
  }
  stop = true;
  emulator.join();
  EXPECT_EQ(interleaved, 0);
  EXPECT_GT(C64.cpu.instructionCount, 0);
}

TEST_F(PassLockTest, WaitingThreadRunsItsHookAndNestedLocksDoNotDeadlock) {
  std::atomic<bool> holding{false};
  std::atomic<bool> release{false};
  std::thread holder([&] {
    PassLock lock;
    holding = true;
    while (!release) std::this_thread::yield();
  });
  while (!holding) std::this_thread::yield();

  SetPassWaitHookForThisThread([] { ++HookCalls; });
  // The holder gives the lock up only once the waiting thread has served its hook.
  std::thread releaser([&] {
    while (HookCalls < 3) std::this_thread::yield();
    release = true;
  });
  {
    PassLock outer;
    EXPECT_TRUE(ThisThreadHoldsPassLock());
    PassLock inner;  // the same thread again: no deadlock
  }
  EXPECT_FALSE(ThisThreadHoldsPassLock());
  SetPassWaitHookForThisThread(nullptr);
  holder.join();
  releaser.join();
  EXPECT_GE(HookCalls, 3);
}

}  // namespace
