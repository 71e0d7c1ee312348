// The opcode table through ExecuteInstruction: every opcode's length and cycle charge,
// the addressing modes with their page wraps, the table's own JMP and NOP entries, and
// the opcodes that share an operation.
#include "core/opcode_table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

#include "core/machine.h"
#include "core/memory_map.h"
#include "tests/support/test_machine.h"

using namespace core;

namespace {

// The machine's own charges and the lengths, one string per high nibble, indexed by the
// low nibble. A charge of 0 marks the halting opcodes.
constexpr const char* kCharges[16] = {
    "6505124221121353",  // $00
    "2404135315141564",  // $10
    "1505324231123353",  // $20
    "2404134314141454",  // $30
    "5505124221122353",  // $40
    "2404135315141554",  // $50
    "5505124231124353",  // $60
    "3404134314141454",  // $70
    "1515222211123333",  // $80
    "2504333314144444",  // $90
    "1515222211123333",  // $A0
    "2404333314154444",  // $B0
    "1515324211123353",  // $C0
    "2404135313141364",  // $D0
    "1515224211113353",  // $E0
    "2404135315141564",  // $F0
};
constexpr const char* kLengths[16] = {
    "1212222212123333",  // $00
    "2212222213133333",  // $10
    "3212222212123333",  // $20
    "2212222213133333",  // $30
    "1212222212123333",  // $40
    "2212222213133333",  // $50
    "1212222212123333",  // $60
    "2212222213133333",  // $70
    "2222222212123333",  // $80
    "2212222213133333",  // $90
    "2222222212123333",  // $A0
    "2212222213133333",  // $B0
    "2222222212123333",  // $C0
    "2212222213133333",  // $D0
    "2222222212123333",  // $E0
    "2212222213133333",  // $F0
};
int Charge(int opcode) {
  return kCharges[opcode >> 4][opcode & 15] - '0';
}
int Length(int opcode) {
  return kLengths[opcode >> 4][opcode & 15] - '0';
}

bool IsJam(int opcode) {
  return Charge(opcode) == 0;
}
bool SetsItsOwnPc(const std::string& mnemonic) {
  return mnemonic == "JMP" || mnemonic == "JSR" || mnemonic == "RTS" || mnemonic == "RTI" ||
         mnemonic == "BRK";
}

class OpcodeTableTest : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  static void Reset() {
    ZeroWholeMachine();
    for (int i = 0; i < 8; ++i) C64.cpu.flagMasks[i] = static_cast<std::uint8_t>(1 << i);
    C64.memory.ram[0x0001] = 0;  // every address is RAM
    C64.cpu.SP = 0xFF;
  }
  // Places an instruction at `pc` and executes it.
  static void Run(std::uint16_t pc, std::uint8_t opcode, std::uint8_t low = 0,
                  std::uint8_t high = 0) {
    C64.memory.ram[pc] = opcode;
    C64.memory.ram[static_cast<std::uint16_t>(pc + 1)] = low;
    C64.memory.ram[static_cast<std::uint16_t>(pc + 2)] = high;
    C64.cpu.PC = pc;
    ExecuteInstruction(ReadByte(C64.cpu.PC));
  }
};

TEST_F(OpcodeTableTest, RowsMatchTheChargesAndLengths) {
  int halting = 0;
  for (int opcode = 0; opcode < 256; ++opcode) {
    const OpcodeInfo& row = OpcodeTable[opcode];
    SCOPED_TRACE(opcode);
    ASSERT_NE(row.mnemonic, nullptr);
    EXPECT_EQ(row.cycles, Charge(opcode));
    EXPECT_EQ(row.length, Length(opcode));
    EXPECT_EQ(row.length, ModeLength(row.mode));
    EXPECT_EQ(IsJam(opcode), std::string(row.mnemonic) == "JAM");
    halting += IsJam(opcode);
  }
  EXPECT_EQ(halting, 12);
  EXPECT_STREQ(OpcodeTable[0x93].mnemonic, "SHA");
  EXPECT_EQ(OpcodeTable[0x93].mode, AddressingMode::kIndirectIndexed);
  EXPECT_EQ(OpcodeTable[0x6C].mode, AddressingMode::kIndirect);
  EXPECT_STREQ(OpcodeTable[0xBB].mnemonic, "LAS");
}

// Every opcode that does not halt charges its cycles minus one as stall cycles, and all
// but the jumps, calls and returns move PC on by their length (a branch with offset 0
// lands there too, taken or not).
TEST_F(OpcodeTableTest, EveryOpcodeAdvancesByItsLengthAndChargesItsCycles) {
  for (int opcode = 0; opcode < 256; ++opcode) {
    if (IsJam(opcode)) continue;
    SCOPED_TRACE(opcode);
    Reset();
    C64.cpu.stallCycles = 0xAA;
    Run(0x0200, static_cast<std::uint8_t>(opcode));
    EXPECT_EQ(C64.cpu.stallCycles, Charge(opcode) - 1);
    if (!SetsItsOwnPc(OpcodeTable[opcode].mnemonic)) {
      EXPECT_EQ(C64.cpu.PC, 0x0200 + Length(opcode));
    }
  }
}

TEST_F(OpcodeTableTest, HaltingOpcodesEndTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (int opcode = 0; opcode < 256; ++opcode) {
    if (!IsJam(opcode)) continue;
    SCOPED_TRACE(opcode);
    EXPECT_EXIT(
        {
          RecordMessageBoxes();
          Run(0x0200, static_cast<std::uint8_t>(opcode));
        },
        ::testing::ExitedWithCode(0), "");
  }
}

// ---- Addressing modes ----------------------------------------------------------------

TEST_F(OpcodeTableTest, IndexedModesWrap) {
  C64.memory.ram[0x1100] = 0x42;
  C64.cpu.X = 1;
  Run(0x0300, 0xBD, 0xFF, 0x10);  // LDA $10FF,X: no page-crossing cycle
  EXPECT_EQ(C64.cpu.A, 0x42);
  EXPECT_EQ(C64.cpu.stallCycles, 3);

  C64.memory.ram[0x0010] = 0x17;
  C64.cpu.X = 0x20;
  Run(0x0300, 0xB5, 0xF0);  // LDA $F0,X stays in page zero
  EXPECT_EQ(C64.cpu.A, 0x17);
  C64.cpu.Y = 0x20;
  Run(0x0300, 0xB6, 0xF0);  // LDX $F0,Y
  EXPECT_EQ(C64.cpu.X, 0x17);

  C64.memory.ram[0x0005] = 0x99;
  C64.cpu.Y = 0x06;
  Run(0x0300, 0xB9, 0xFF, 0xFF);  // LDA $FFFF,Y wraps to $0005
  EXPECT_EQ(C64.cpu.A, 0x99);

  C64.cpu.A = 0x07;
  C64.cpu.X = 2;
  Run(0x0300, 0x9D, 0xFF, 0xFF);  // STA $FFFF,X writes the port at $0001
  EXPECT_EQ(C64.memory.portLatch, 0x07);
}

TEST_F(OpcodeTableTest, IndirectModesTakeTheirPointerFromPageZero) {
  C64.memory.ram[0x00FF] = 0x34;  // pointer low byte
  C64.memory.ram[0x0000] = 0x12;  // high byte wraps to $00
  C64.memory.ram[0x1234] = 0x5A;
  C64.cpu.X = 0;
  Run(0x0300, 0xA1, 0xFF);  // LDA ($FF,X)
  EXPECT_EQ(C64.cpu.A, 0x5A);
  EXPECT_EQ(C64.cpu.stallCycles, 4);

  C64.cpu.X = 0x90;
  C64.memory.ram[0x0010] = 0x00;
  C64.memory.ram[0x0011] = 0x20;
  C64.memory.ram[0x2000] = 0x66;
  Run(0x0300, 0xA1, 0x80);  // ($80,X) reads the pointer at $10/$11
  EXPECT_EQ(C64.cpu.A, 0x66);

  C64.cpu.A = 0xC3;
  C64.cpu.Y = 0x10;
  Run(0x0300, 0x91, 0xFF);  // STA ($FF),Y: pointer $1234 + $10
  EXPECT_EQ(C64.memory.ram[0x1244], 0xC3);
  EXPECT_EQ(C64.cpu.PC, 0x0302);

  C64.memory.ram[0x10FF] = 0x34;
  C64.memory.ram[0x1000] = 0x12;
  C64.memory.ram[0x1100] = 0x56;
  Run(0x0300, 0x6C, 0xFF, 0x10);  // JMP ($10FF): high byte from $1000
  EXPECT_EQ(C64.cpu.PC, 0x1234);
  EXPECT_EQ(C64.cpu.stallCycles, 3);
  Run(0x0300, 0x4C, 0x78, 0x56);  // JMP $5678
  EXPECT_EQ(C64.cpu.PC, 0x5678);
}

TEST_F(OpcodeTableTest, ShaIndirectIsTwoBytes) {
  C64.memory.ram[0x0040] = 0x00;
  C64.memory.ram[0x0041] = 0x30;
  C64.cpu.A = 0xFF;
  C64.cpu.X = 0xFF;
  C64.cpu.Y = 0x01;
  Run(0x0300, 0x93, 0x40);  // SHA ($40),Y: A AND X AND the byte at PC+1
  EXPECT_EQ(C64.memory.ram[0x3001], 0x40);
  EXPECT_EQ(C64.cpu.PC, 0x0302);
}

// ---- Reads and their side effects ----------------------------------------------------

TEST_F(OpcodeTableTest, NopsReadNothingButLoadsReadOnce) {
  C64.memory.ram[0x0001] = 0x37;  // I/O visible
  C64.cpu.X = 0;
  for (std::uint8_t nop : {0x0C, 0x1C, 0x3C, 0x5C, 0x7C, 0xDC, 0xFC}) {
    C64.vic.irq = 1;
    Run(0x0300, nop, 0x0D, 0xDC);
    EXPECT_EQ(C64.vic.irq, 1) << static_cast<int>(nop);
    EXPECT_EQ(C64.cpu.PC, 0x0303);
  }
  C64.memory.ioImage[0xDC0D] = 0x81;
  Run(0x0300, 0xAD, 0x0D, 0xDC);  // LDA $DC0D acknowledges
  EXPECT_EQ(C64.vic.irq, 0);
  EXPECT_EQ(C64.cpu.A, 0x81);
}

TEST_F(OpcodeTableTest, ReadModifyWriteThroughTheTable) {
  C64.memory.ram[0x0001] = 0x37;
  C64.memory.romMap[0xA000] = 0x40;
  C64.cpu.P = 0;
  Run(0x0300, 0x2E, 0x00, 0xA0);            // ROL $A000 with BASIC visible
  EXPECT_EQ(C64.memory.ram[0xA000], 0x40);  // second write: ROM byte with bit 0 = carry-in
  EXPECT_EQ(C64.cpu.stallCycles, 4);
  C64.memory.ram[0x0001] = 0x00;
  C64.memory.ram[0x2005] = 0x01;
  C64.cpu.X = 0x05;
  Run(0x0300, 0x1E, 0x00, 0x20);  // ASL $2000,X
  EXPECT_EQ(C64.memory.ram[0x2005], 0x02);
}

// ---- Opcodes sharing an operation ----------------------------------------------------

TEST_F(OpcodeTableTest, DuplicateOpcodesBehaveAlike) {
  const std::pair<std::uint8_t, std::uint8_t> pairs[] = {{0xEB, 0xE9}, {0x0B, 0x2B}};
  for (const auto& [copy, original] : pairs) {
    CpuRegisters results[2];
    for (int i = 0; i < 2; ++i) {
      Reset();
      C64.cpu.A = 0x95;
      C64.cpu.P = 0x01;
      Run(0x0300, i == 0 ? copy : original, 0x87);
      results[i] = C64.cpu.Registers();
    }
    EXPECT_EQ(results[0].A, results[1].A);
    EXPECT_EQ(results[0].P, results[1].P);
    EXPECT_EQ(results[0].PC, results[1].PC);
  }
}

// ---- Control flow --------------------------------------------------------------------

TEST_F(OpcodeTableTest, CallsReturnsAndBreaks) {
  Run(0xC000, 0x20, 0x00, 0x20);  // JSR $2000
  EXPECT_EQ(C64.cpu.PC, 0x2000);
  EXPECT_EQ(C64.cpu.stallCycles, 0);
  EXPECT_EQ(C64.memory.ram[0x01FF], 0xC0);
  EXPECT_EQ(C64.memory.ram[0x01FE], 0x02);
  Run(0x2000, 0x60);  // RTS
  EXPECT_EQ(C64.cpu.PC, 0xC003);
  EXPECT_EQ(C64.cpu.stallCycles, 4);

  C64.memory.ram[0xFFFE] = 0x00;
  C64.memory.ram[0xFFFF] = 0x30;
  Run(0x1000, 0x00);  // BRK
  EXPECT_EQ(C64.cpu.PC, 0x3000);
  EXPECT_EQ(C64.memory.ram[0x01FE], 0x02);
  EXPECT_EQ(C64.cpu.stallCycles, 5);
  Run(0x3000, 0x40);  // RTI
  EXPECT_EQ(C64.cpu.PC, 0x1002);

  C64.cpu.P = 0x40;         // V set
  Run(0x10F0, 0x70, 0x80);  // BVS taken: no extra cycle
  EXPECT_EQ(C64.cpu.PC, 0x1072);
  EXPECT_EQ(C64.cpu.stallCycles, 2);
  Run(0x10F0, 0x50, 0x80);  // BVC not taken
  EXPECT_EQ(C64.cpu.PC, 0x10F2);
  EXPECT_EQ(C64.cpu.stallCycles, 1);
}

}  // namespace
