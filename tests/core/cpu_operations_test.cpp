// The processor's operations called directly: arithmetic (binary and decimal), compares,
// the read-modify-write writes and read-backs, the undocumented operations' own rules,
// branches and the stack and control operations.
#include "core/cpu_operations.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/debug_log.h"
#include "core/machine.h"
#include "core/memory_map.h"
#include "tests/support/test_machine.h"

using namespace core;

namespace {

constexpr std::uint8_t C = 0x01, Z = 0x02, I = 0x04, D = 0x08, B = 0x10, V = 0x40, N = 0x80;

class CpuOperations : public ::testing::Test {
 protected:
  void SetUp() override {
    ZeroWholeMachine();
    for (int i = 0; i < 8; ++i) C64.cpu.flagMasks[i] = static_cast<std::uint8_t>(1 << i);
    C64.memory.ram[0x0001] = 0;  // every address is RAM
    C64.cpu.PC = 0x1000;
    C64.cpu.SP = 0xFF;
  }
  // BASIC, KERNAL and I/O visible, with a recognisable ROM byte at $A000.
  static void ShowRoms() {
    C64.memory.ram[0x0001] = 0x37;
    C64.memory.romMap[0xA000] = 0x81;
    C64.memory.ram[0xA000] = 0x00;
  }
};

// ---- Arithmetic ----------------------------------------------------------------------

struct ArithmeticCase {
  const char* name;
  std::uint8_t a, value, flagsIn;
  std::uint8_t expectA, expectFlags;  // expectFlags compared under kArithmeticFlags
};
constexpr std::uint8_t kArithmeticFlags = N | V | Z | C;

void CheckArithmetic(void (*operation)(std::uint8_t, std::uint8_t), const ArithmeticCase& c) {
  C64.cpu.A = c.a;
  C64.cpu.P = c.flagsIn;
  C64.cpu.PC = 0x1000;
  operation(c.value, 2);
  EXPECT_EQ(C64.cpu.A, c.expectA) << c.name;
  EXPECT_EQ(C64.cpu.P & kArithmeticFlags, c.expectFlags) << c.name;
  EXPECT_EQ(C64.cpu.P & D, c.flagsIn & D) << c.name;
  EXPECT_EQ(C64.cpu.PC, 0x1002) << c.name;
}

TEST_F(CpuOperations, AdcBinaryAndDecimal) {
  const ArithmeticCase cases[] = {
      {"7F+01 overflows", 0x7F, 0x01, 0, 0x80, N | V},
      {"FF+01 carries to zero", 0xFF, 0x01, 0, 0x00, Z | C},
      {"80+80 overflow and carry", 0x80, 0x80, 0, 0x00, V | Z | C},
      {"carry in", 0x10, 0x20, C, 0x31, 0},
      {"decimal 09+01", 0x09, 0x01, D, 0x10, 0},
      // N from the uncorrected $A0, Z from the binary sum $9A.
      {"decimal 99+01", 0x99, 0x01, D, 0x00, N | C},
      {"decimal 58+46+1", 0x58, 0x46, D | C, 0x05, N | V | C},  // N, V from the uncorrected $A5
      {"decimal 12+34", 0x12, 0x34, D, 0x46, 0},
      // Z from the binary sum $00; the decimal result is $60 with carry.
      {"decimal 80+80", 0x80, 0x80, D, 0x60, V | Z | C},
      // Z from the binary sum $00 although the uncorrected sum is $106.
      {"decimal 99+67", 0x99, 0x67, D, 0x66, Z | C},
  };
  for (const auto& c : cases) CheckArithmetic(op::Adc, c);
}

TEST_F(CpuOperations, SbcBinaryAndDecimal) {
  const ArithmeticCase cases[] = {
      {"80-01 overflows", 0x80, 0x01, C, 0x7F, V | C},
      {"00-01 borrows", 0x00, 0x01, C, 0xFF, N},
      {"borrow in", 0x10, 0x01, 0, 0x0E, C},
      {"equal gives zero", 0x42, 0x42, C, 0x00, Z | C},
      {"decimal 00-01", 0x00, 0x01, D | C, 0x99, N},
      {"decimal 10-01", 0x10, 0x01, D | C, 0x09, C},
      {"decimal 50-25", 0x50, 0x25, D | C, 0x25, C},
      {"decimal 12-21 borrows", 0x12, 0x21, D | C, 0x91, N},
      {"decimal 00-00 with borrow in", 0x00, 0x00, D, 0x99, N},
      {"decimal 46-46", 0x46, 0x46, D | C, 0x00, Z | C},
      // A digit above 9: the borrowed low nibble $EA is lifted back to $FA.
      {"decimal 00-0F", 0x00, 0x0F, D, 0x9A, N},
  };
  for (const auto& c : cases) CheckArithmetic(op::Sbc, c);
}

TEST_F(CpuOperations, ComparesAndSbx) {
  C64.cpu.A = 0x10;
  op::Cmp(0x20, 2);
  EXPECT_EQ(C64.cpu.P, N);
  C64.cpu.X = 0x20;
  op::Cpx(0x20, 2);
  EXPECT_EQ(C64.cpu.P, Z | C);
  C64.cpu.Y = 0x80;
  op::Cpy(0x01, 3);
  EXPECT_EQ(C64.cpu.P, C);  // $7F: N clear
  EXPECT_EQ(C64.cpu.PC, 0x1007);

  // SBX: X = (A AND X) - value; C is bit 7 of the new X, not the borrow.
  C64.cpu.P = 0;
  C64.cpu.A = 0xFF;
  C64.cpu.X = 0x0F;
  op::Sbx(0x10, 2);
  EXPECT_EQ(C64.cpu.X, 0xFF);
  EXPECT_EQ(C64.cpu.P, N | C);
  C64.cpu.A = 0x0F;
  op::Sbx(0x01, 2);
  EXPECT_EQ(C64.cpu.X, 0x0E);
  EXPECT_EQ(C64.cpu.P, 0);
}

TEST_F(CpuOperations, FlagsOnlyMoveThroughTheMasks) {
  for (auto& mask : C64.cpu.flagMasks) mask = 0;
  C64.cpu.A = 0xFF;
  op::Adc(0x01, 2);
  op::Sec();
  op::Cmp(0x00, 2);
  EXPECT_EQ(C64.cpu.A, 0x00);
  EXPECT_EQ(C64.cpu.P, 0);
}

// ---- Undocumented immediate operations ----------------------------------------------

TEST_F(CpuOperations, UndocumentedImmediateOperations) {
  // ANC: C copies bit 7 of the result.
  C64.cpu.A = 0xF0;
  op::Anc(0x8F, 2);
  EXPECT_EQ(C64.cpu.A, 0x80);
  EXPECT_EQ(C64.cpu.P, N | C);
  // LXA: A = X = (A OR $EE) AND value.
  C64.cpu.A = 0x01;
  op::Lxa(0x0F, 2);
  EXPECT_EQ(C64.cpu.A, 0x0F);
  EXPECT_EQ(C64.cpu.X, 0x0F);
  // ANE reads its byte at the address: (A OR $EE) AND X AND byte.
  C64.memory.ram[0x2000] = 0xFF;
  C64.cpu.A = 0x00;
  C64.cpu.X = 0xFF;
  op::Ane(0x2000, 2);
  EXPECT_EQ(C64.cpu.A, 0xEE);
  EXPECT_EQ(C64.cpu.P & (N | Z), N);
  // ALR: t = A AND byte, A = t >> 1, C = bit 0 of t.
  C64.memory.ram[0x2000] = 0x0F;
  C64.cpu.A = 0xFF;
  op::Alr(0x2000, 2);
  EXPECT_EQ(C64.cpu.A, 0x07);
  EXPECT_EQ(C64.cpu.P & (N | Z | C), C);
  EXPECT_EQ(C64.cpu.PC, 0x1008);
}

TEST_F(CpuOperations, ArrAndLasLogTheirWarnings) {
  C64.memory.ram[0x2000] = 0xFF;
  C64.cpu.A = 0xFF;
  C64.cpu.P = C;
  op::Arr(0x2000, 2);
  EXPECT_EQ(C64.cpu.A, 0xFF);
  EXPECT_EQ(C64.cpu.P, N | C);
  EXPECT_EQ(DebugLogText(), "> ARR was used - opcode not correct implemented yet!\r\n");

  // t = $C0: C from bit 7, V = bit 7 XOR bit 6 = 0; t = $40: V = 1, no carry.
  C64.cpu.A = 0xC0;
  C64.cpu.P = 0;
  op::Arr(0x2000, 2);
  EXPECT_EQ(C64.cpu.A, 0x60);
  EXPECT_EQ(C64.cpu.P, C);
  C64.cpu.A = 0x40;
  C64.cpu.P = D;  // binary whatever D says
  op::Arr(0x2000, 2);
  EXPECT_EQ(C64.cpu.A, 0x20);
  EXPECT_EQ(C64.cpu.P, V | D);

  ClearDebugLog();
  C64.cpu.instructionCount = 1234;
  C64.cpu.SP = 0xF0;
  op::Las(0x3F, 3);
  EXPECT_EQ(C64.cpu.A, 0x30);
  EXPECT_EQ(C64.cpu.X, 0x30);
  EXPECT_EQ(C64.cpu.SP, 0x30);
  EXPECT_EQ(DebugLogText(), "> 1234> Opcode with Errors: LAE/LAS/LAR\r\n");
  EXPECT_EQ(C64.cpu.PC, 0x1009);
}

// ---- Read-modify-write ---------------------------------------------------------------

TEST_F(CpuOperations, ReadModifyWriteOnRam) {
  C64.memory.ram[0x20] = 0x81;
  op::AslZeroPage(0x20, 2);
  EXPECT_EQ(C64.memory.ram[0x20], 0x02);
  EXPECT_EQ(C64.cpu.P, C);
  C64.cpu.X = 0x30;
  C64.memory.ram[0x10] = 0x40;
  op::AslZeroPageX(0xE0, 2);  // wraps inside page zero to $10
  EXPECT_EQ(C64.memory.ram[0x10], 0x80);
  EXPECT_EQ(C64.cpu.P, N);
  C64.memory.ram[0x3000] = 0x01;
  op::AslAbsoluteX(0xD0, 0x2F, 3);  // $2FD0 + $30
  EXPECT_EQ(C64.memory.ram[0x3000], 0x02);

  C64.cpu.P = C;
  C64.memory.ram[0x40] = 0x80;
  op::RolMemory(0x40, 2);
  EXPECT_EQ(C64.memory.ram[0x40], 0x01);
  EXPECT_EQ(C64.cpu.P, C);
  op::RorMemory(0x40, 2);  // carry in 1, old bit 0 = 1
  EXPECT_EQ(C64.memory.ram[0x40], 0x80);
  EXPECT_EQ(C64.cpu.P, N | C);
  op::LsrMemory(0x40, 2);
  EXPECT_EQ(C64.memory.ram[0x40], 0x40);
  EXPECT_EQ(C64.cpu.P, 0);
  C64.memory.ram[0x41] = 0x00;
  op::Dec(0x41, 2);
  EXPECT_EQ(C64.memory.ram[0x41], 0xFF);
  EXPECT_EQ(C64.cpu.P, N);
  op::Inc(0x41, 2);
  EXPECT_EQ(C64.memory.ram[0x41], 0x00);
  EXPECT_EQ(C64.cpu.P, Z);
}

// A ROM-visible address writes RAM but reads the ROM: the flags follow the ROM byte read
// back, and the rotates write a second time with the ROM byte's carry bit replaced.
TEST_F(CpuOperations, ReadModifyWriteUnderRomUsesTheReadBack) {
  ShowRoms();
  op::Inc(0xA000, 3);
  EXPECT_EQ(C64.memory.ram[0xA000], 0x82);
  EXPECT_EQ(C64.cpu.P, N);  // from the unchanged ROM byte $81

  C64.cpu.P = 0;
  op::RolMemory(0xA000, 3);  // first write $02, second the ROM byte with bit 0 = carry-in 0
  EXPECT_EQ(C64.memory.ram[0xA000], 0x80);
  EXPECT_EQ(C64.cpu.P, N | C);

  C64.cpu.P = C;
  op::RorMemory(0xA000, 3);  // second write: $81 with bit 7 = carry-in 1
  EXPECT_EQ(C64.memory.ram[0xA000], 0x81);
  EXPECT_EQ(C64.cpu.P, N | C);

  C64.cpu.P = 0;
  op::LsrMemory(0xA000, 3);  // second write: $81 with bit 7 cleared
  EXPECT_EQ(C64.memory.ram[0xA000], 0x01);
  EXPECT_EQ(C64.cpu.P, C);

  // SLO ORs the ROM byte, not the shifted $02, into A.
  C64.cpu.A = 0x00;
  op::Slo(0xA000, 3);
  EXPECT_EQ(C64.memory.ram[0xA000], 0x02);
  EXPECT_EQ(C64.cpu.A, 0x81);
  EXPECT_EQ(C64.cpu.P, N | C);
  EXPECT_EQ(C64.memory.romMap[0xA000], 0x81);
}

TEST_F(CpuOperations, CombinedUndocumentedOperations) {
  // RRA: A = $10, memory $01, C = 0: memory $00, C = 1 from the rotate, A = $11, C ends 0.
  C64.cpu.A = 0x10;
  C64.memory.ram[0x50] = 0x01;
  op::Rra(0x50, 2);
  EXPECT_EQ(C64.memory.ram[0x50], 0x00);
  EXPECT_EQ(C64.cpu.A, 0x11);
  EXPECT_EQ(C64.cpu.P, 0);
  // An addend of $FF with carry-in 1 leaves A unchanged and C set; V is never touched.
  C64.cpu.A = 0x42;
  C64.cpu.P = V | C;
  C64.memory.ram[0x50] = 0xFF;  // ROR with carry-in 1 gives $FF again and C = 1
  op::Rra(0x50, 2);
  EXPECT_EQ(C64.memory.ram[0x50], 0xFF);
  EXPECT_EQ(C64.cpu.A, 0x42);
  EXPECT_EQ(C64.cpu.P, V | C);
  // An addend of 0 without carry leaves A and a clear C alone.
  C64.cpu.P = 0;
  C64.memory.ram[0x50] = 0x00;
  op::Rra(0x50, 2);
  EXPECT_EQ(C64.cpu.A, 0x42);
  EXPECT_EQ(C64.cpu.P, 0);
  // A wraps below its old value: carry out; binary even with D set.
  C64.cpu.A = 0x90;
  C64.cpu.P = D;
  C64.memory.ram[0x50] = 0xE0;  // -> $70, C = 0
  op::Rra(0x50, 2);
  EXPECT_EQ(C64.cpu.A, 0x00);
  EXPECT_EQ(C64.cpu.P, D | Z | C);

  // RLA, SRE.
  C64.cpu.P = C;
  C64.cpu.A = 0x0F;
  C64.memory.ram[0x51] = 0x84;
  op::Rla(0x51, 2);
  EXPECT_EQ(C64.memory.ram[0x51], 0x09);
  EXPECT_EQ(C64.cpu.A, 0x09);
  EXPECT_EQ(C64.cpu.P, C);
  C64.cpu.A = 0xFF;
  op::Sre(0x51, 2);
  EXPECT_EQ(C64.memory.ram[0x51], 0x04);
  EXPECT_EQ(C64.cpu.A, 0xFB);
  EXPECT_EQ(C64.cpu.P, N | C);

  // DCP compares with the decremented byte; ISC subtracts the incremented byte.
  C64.cpu.A = 0x04;
  op::Dcp(0x51, 2);
  EXPECT_EQ(C64.memory.ram[0x51], 0x03);
  EXPECT_EQ(C64.cpu.P, C);
  C64.cpu.A = 0x10;
  C64.cpu.P = D | C;
  C64.memory.ram[0x52] = 0x08;
  op::Isc(0x52, 2);  // decimal 10 - 09
  EXPECT_EQ(C64.memory.ram[0x52], 0x09);
  EXPECT_EQ(C64.cpu.A, 0x01);
  EXPECT_EQ(C64.cpu.P, D | C);
}

// ---- Stores --------------------------------------------------------------------------

TEST_F(CpuOperations, HighByteStoresReadTheInstructionStream) {
  C64.memory.ram[0x1001] = 0x34;  // operand bytes of an instruction at $1000
  C64.memory.ram[0x1002] = 0x12;
  C64.cpu.A = 0xFF;
  C64.cpu.X = 0xFF;
  C64.cpu.Y = 0xFF;
  op::Shx(0x2000, 3);
  EXPECT_EQ(C64.memory.ram[0x2000], 0x13);  // X AND ($12 + 1)
  EXPECT_EQ(C64.cpu.PC, 0x1003);

  C64.cpu.PC = 0x1000;
  op::Shy(0x2001, 3);
  EXPECT_EQ(C64.memory.ram[0x2001], 0x13);
  C64.cpu.PC = 0x1000;
  op::Sha(0x2002, 3);  // A AND X AND the byte at PC+1
  EXPECT_EQ(C64.memory.ram[0x2002], 0x34);
  C64.cpu.PC = 0x1000;
  C64.cpu.A = 0xF3;
  C64.cpu.X = 0x3F;
  op::Shs(0x2003, 3);
  EXPECT_EQ(C64.cpu.SP, 0x33);
  EXPECT_EQ(C64.memory.ram[0x2003], 0x13);
  C64.memory.ram[0x1002] = 0xFF;  // the + 1 wraps in 8 bits
  C64.cpu.PC = 0x1000;
  op::Shx(0x2004, 3);
  EXPECT_EQ(C64.memory.ram[0x2004], 0x00);
  op::Sax(0x2005, 2);
  EXPECT_EQ(C64.memory.ram[0x2005], 0x33);
  EXPECT_EQ(C64.cpu.P, 0);
}

// ---- Branches ------------------------------------------------------------------------

TEST_F(CpuOperations, BranchesAddTheSignedOffset) {
  C64.cpu.PC = 0x10F0;
  C64.memory.ram[0x10F1] = 0x80;
  op::Bne();
  EXPECT_EQ(C64.cpu.PC, 0x1072);
  C64.cpu.PC = 0x10F0;
  C64.memory.ram[0x10F1] = 0x7F;
  op::Bpl();
  EXPECT_EQ(C64.cpu.PC, 0x1171);
  C64.cpu.PC = 0xFFFE;  // wraps at $FFFF
  op::Beq();
  EXPECT_EQ(C64.cpu.PC, 0x0000);
}

TEST_F(CpuOperations, BranchNotTakenReadsNothing) {
  // The offset byte of a branch at $DC0C would be $DC0D, whose read acknowledges IRQs.
  C64.memory.ram[0x0001] = 0x37;
  C64.vic.irq = 1;
  C64.cpu.PC = 0xDC0C;
  op::Bcs();
  EXPECT_EQ(C64.cpu.PC, 0xDC0E);
  EXPECT_EQ(C64.vic.irq, 1);
  C64.cpu.PC = 0xDC0C;
  op::Bcc();
  EXPECT_EQ(C64.vic.irq, 0);
}

// ---- Stack and control ---------------------------------------------------------------

TEST_F(CpuOperations, JsrAndRtsUseTheStack) {
  C64.cpu.PC = 0xC000;
  op::Jsr(0x2000);
  EXPECT_EQ(C64.cpu.PC, 0x2000);
  EXPECT_EQ(C64.cpu.SP, 0xFD);
  EXPECT_EQ(C64.memory.ram[0x01FF], 0xC0);
  EXPECT_EQ(C64.memory.ram[0x01FE], 0x02);
  op::Rts();
  EXPECT_EQ(C64.cpu.PC, 0xC003);
  EXPECT_EQ(C64.cpu.SP, 0xFF);

  C64.cpu.SP = 0x00;  // the stack wraps inside page 1
  C64.cpu.PC = 0x1234;
  op::Jsr(0x3000);
  EXPECT_EQ(C64.memory.ram[0x0100], 0x12);
  EXPECT_EQ(C64.memory.ram[0x01FF], 0x36);
  op::Rts();
  EXPECT_EQ(C64.cpu.PC, 0x1237);
  EXPECT_EQ(C64.cpu.SP, 0x00);
}

TEST_F(CpuOperations, PushAndPullForceBAndBit5OnlyOnPull) {
  C64.cpu.P = C;
  op::Php();
  EXPECT_EQ(C64.memory.ram[0x01FF], C);  // pushed unchanged
  C64.memory.ram[0x01FF] = 0x00;
  op::Plp();
  EXPECT_EQ(C64.cpu.P, 0x30);
  C64.cpu.A = 0x00;
  op::Pha();
  C64.cpu.A = 0x55;
  op::Pla();
  EXPECT_EQ(C64.cpu.A, 0x00);
  EXPECT_EQ(C64.cpu.P & Z, Z);
  EXPECT_EQ(C64.cpu.SP, 0xFF);
  EXPECT_EQ(C64.cpu.PC, 0x1004);
}

TEST_F(CpuOperations, BrkPushesStateAndTakesTheVector) {
  C64.memory.ram[0xFFFE] = 0x48;  // RAM vector
  C64.memory.ram[0xFFFF] = 0xFF;
  C64.cpu.P = C;
  op::Brk();
  EXPECT_EQ(C64.cpu.PC, 0xFF48);
  EXPECT_EQ(C64.cpu.SP, 0xFC);
  EXPECT_EQ(C64.memory.ram[0x01FF], 0x10);
  EXPECT_EQ(C64.memory.ram[0x01FE], 0x02);
  EXPECT_EQ(C64.memory.ram[0x01FD], B | C);
  EXPECT_EQ(C64.cpu.P, B | C | I);

  // RTI pulls P (B and bit 5 forced) and the address pushed, not + 1.
  C64.memory.ram[0x01FD] = 0x00;
  op::Rti();
  EXPECT_EQ(C64.cpu.P, 0x30);
  EXPECT_EQ(C64.cpu.PC, 0x1002);
  EXPECT_EQ(C64.cpu.SP, 0xFF);
}

TEST_F(CpuOperations, BrkVectorFollowsHiram) {
  C64.memory.ram[0xFFFE] = 0x00;
  C64.memory.ram[0xFFFF] = 0x20;
  C64.memory.romMap[0xFFFE] = 0x00;
  C64.memory.romMap[0xFFFF] = 0xE0;
  C64.memory.ram[0x0001] = 0x02;  // HIRAM only: KERNAL ROM
  op::Brk();
  EXPECT_EQ(C64.cpu.PC, 0xE000);
  C64.memory.ram[0x0001] = 0x05;  // HIRAM clear: RAM
  op::Brk();
  EXPECT_EQ(C64.cpu.PC, 0x2000);
}

}  // namespace
