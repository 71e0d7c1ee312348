// The KERNAL's serial-bus routines trapped for device 8 with the real KERNAL visible: each
// reaches the host hook with its byte and returns to its caller as its RTS would; other
// devices, and routines for a device 8 not addressed, run the KERNAL's own code.
#include <gtest/gtest.h>

#include <vector>

#include "core/host_hooks.h"
#include "core/machine.h"
#include "core/run_control.h"
#include "core/run_loop.h"
#include "tests/support/test_machine.h"

using namespace core;

namespace {

struct BusCall {
  SerialCall call;
  std::uint8_t byte;
};
std::vector<BusCall> Calls;

SerialReply RecordCall(SerialCall call, std::uint8_t byte) {
  Calls.push_back({call, byte});
  return call == SerialCall::kAcptr ? SerialReply{0x5A, 0x40} : SerialReply{};
}

class SerialBusTrapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PowerOnTestMachine();
    HostHooks hooks = InstalledHostHooks();
    hooks.serialBus = &RecordCall;
    InstallHostHooks(hooks);
    Calls.clear();
    C64.memory.ram[0x0000] = 0x2F;
    C64.memory.ram[0x0001] = 0x37;  // BASIC, KERNAL and I/O visible
  }
  void TearDown() override { shell::InstallMachineHooks(); }
  // Calls the routine at `entry` as JSR from $C0FE would (NOP at the return address $C101)
  // and steps one instruction, with I and C set to see them cleared.
  void CallRoutine(std::uint16_t entry, std::uint8_t a) {
    C64.memory.ram[0xC101] = 0xEA;
    // JSR pushed $C100, its last byte, high byte first, from SP $F1.
    C64.cpu.SP = 0xEF;
    C64.memory.ram[0x01F0] = 0x00;
    C64.memory.ram[0x01F1] = 0xC1;
    C64.cpu.A = a;
    SetFlag(kFlagC);
    SetFlag(kFlagI);
    C64.cpu.PC = entry;
    PassLock lock;
    const std::int64_t target = C64.cpu.instructionCount + 1;
    while (C64.cpu.instructionCount < target) MachineStep();
  }
};

TEST_F(SerialBusTrapTest, EachRoutineReachesDeviceEightOnlyWhenItIsAddressed) {
  constexpr std::uint8_t kNone = 0, kL = kBusListening, kT = kBusTalking;
  const struct {
    const char* routine;
    std::uint16_t entry;
    std::uint8_t before, a;
    bool handled;
    SerialCall call;
    std::uint8_t after;
  } kCases[] = {
      {"LISTEN 8", 0xED0C, kNone, 8, true, SerialCall::kListen, kL},
      {"TALK 8", 0xED09, kL, 8, true, SerialCall::kTalk, kT},
      {"LISTEN 9", 0xED0C, kL, 9, false, SerialCall::kListen, kNone},
      {"TALK 4", 0xED09, kT, 4, false, SerialCall::kTalk, kNone},
      {"SECOND", 0xEDB9, kL, 0x61, true, SerialCall::kSecond, kL},
      {"SECOND, not listening", 0xEDB9, kT, 0x61, false, SerialCall::kSecond, kT},
      {"TKSA", 0xEDC7, kT, 0x6F, true, SerialCall::kTksa, kT},
      {"TKSA, not talking", 0xEDC7, kNone, 0x6F, false, SerialCall::kTksa, kNone},
      {"CIOUT", 0xEDDD, kL, 'X', true, SerialCall::kCiout, kL},
      {"CIOUT, not listening", 0xEDDD, kNone, 'X', false, SerialCall::kCiout, kNone},
      {"UNLSN", 0xEDFE, kL, 0, true, SerialCall::kUnlisten, kNone},
      {"UNTLK", 0xEDEF, kT, 0, true, SerialCall::kUntalk, kNone},
      {"UNTLK, not talking", 0xEDEF, kNone, 0, false, SerialCall::kUntalk, kNone},
      {"ACPTR", 0xEE13, kT, 0, true, SerialCall::kAcptr, kT},
      {"ACPTR, not talking", 0xEE13, kL, 0, false, SerialCall::kAcptr, kL},
  };
  for (const auto& row : kCases) {
    SCOPED_TRACE(row.routine);
    Calls.clear();
    C64.memory.ram[0x90] = 0x01;
    C64.traps.busDevice8 = row.before;
    CallRoutine(row.entry, row.a);
    EXPECT_EQ(C64.traps.busDevice8, row.after);
    if (!row.handled) {
      EXPECT_TRUE(Calls.empty());
      EXPECT_NE(C64.cpu.PC, 0xC102);  // still in the KERNAL's routine
      continue;
    }
    ASSERT_EQ(Calls.size(), 1u);
    EXPECT_EQ(Calls[0].call, row.call);
    // Back at the caller, past the NOP there, with the stack as before the JSR.
    EXPECT_EQ(C64.cpu.PC, 0xC102);
    EXPECT_EQ(C64.cpu.SP, 0xF1);
    EXPECT_FALSE(FlagSet(kFlagC));
    // CIOUT may only keep its byte: I as it was. The others end with CLI.
    EXPECT_EQ(FlagSet(kFlagI), row.call == SerialCall::kCiout);
    if (row.call == SerialCall::kAcptr) {
      EXPECT_EQ(C64.cpu.A, 0x5A);
      EXPECT_EQ(C64.memory.ram[0x90], 0x41);  // EOI OR-ed into what was there
    } else {
      EXPECT_EQ(Calls[0].byte, row.a);
      EXPECT_EQ(C64.cpu.A, row.a);
      EXPECT_EQ(C64.memory.ram[0x90], 0x01);
    }
  }
}

// SAVE to tape, where it would wait for RECORD and PLAY, goes to the KERNAL's error 5.
TEST_F(SerialBusTrapTest, TapeSaveGoesToDeviceNotPresent) {
  C64.cpu.PC = 0xF664;
  PassLock lock;
  const std::int64_t target = C64.cpu.instructionCount + 1;
  while (C64.cpu.instructionCount < target) MachineStep();
  EXPECT_EQ(C64.cpu.PC, 0xF709);  // after the LDA #$05 at $F707
  EXPECT_EQ(C64.cpu.A, 5);
}

}  // namespace
