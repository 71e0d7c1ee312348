// The 6510's operations, documented and undocumented: one routine per operation, applied
// to the registers and to memory through ReadByte/WriteByte. The opcode table decodes the
// addressing mode and hands each routine its operand (a value, an address or nothing)
// together with the instruction length, which the routine adds to PC after its work.
// Routines without a length set or advance PC themselves: the implied register and flag
// operations add 1, the branches add 2 plus the offset, JSR/RTS/RTI/BRK load PC.
//
// Every flag goes through C64.cpu.flagMasks (FlagSet/SetFlag/ClearFlag/PutFlag/SetNZ).
// The routines run once per instruction in the inner loop, so the common ones are inline
// here; the decimal arithmetic, BRK and the two operations that log a warning live in
// cpu_operations.cpp.
#pragma once

#include <cstdint>

#include "core/machine.h"
#include "core/memory_map.h"
#include "core/opcode_table.h"

namespace core {

namespace op {

// ---- Program counter and stack -------------------------------------------------------

inline void AdvancePc(std::uint8_t length) {
  C64.cpu.PC = static_cast<std::uint16_t>(C64.cpu.PC + length);
}

// The stack is page 1: a push writes $0100+SP then decrements SP, a pull increments SP
// then reads $0100+SP; SP wraps inside the page.
inline void Push(std::uint8_t value) {
  WriteByte(static_cast<std::uint16_t>(0x0100 | C64.cpu.SP), value);
  C64.cpu.SP = static_cast<std::uint8_t>(C64.cpu.SP - 1);
}
inline std::uint8_t Pull() {
  C64.cpu.SP = static_cast<std::uint8_t>(C64.cpu.SP + 1);
  return ReadByte(static_cast<std::uint16_t>(0x0100 | C64.cpu.SP));
}

// P as it is pulled by PLP and RTI: B and bit 5 always read back set.
inline std::uint8_t WithBreakAndBit5(std::uint8_t value) {
  return static_cast<std::uint8_t>(value | C64.cpu.flagMasks[kFlagB] |
                                   C64.cpu.flagMasks[kFlagBit5]);
}

inline std::uint8_t CarryIn() {
  return FlagSet(kFlagC) ? 1 : 0;
}

// ---- Arithmetic cores (no PC change) -------------------------------------------------

// Decimal-mode halves of ADC and SBC (cpu_operations.cpp).
void AddDecimal(std::uint8_t value);
void SubtractDecimal(std::uint8_t value);

inline void AddBinary(std::uint8_t value) {
  const unsigned a = C64.cpu.A;
  const unsigned sum = a + value + CarryIn();
  const std::uint8_t result = static_cast<std::uint8_t>(sum);
  C64.cpu.A = result;
  SetNZ(result);
  PutFlag(kFlagV, (~(a ^ value) & (a ^ result) & 0x80) != 0);
  PutFlag(kFlagC, sum > 0xFF);
}

inline void SubtractBinary(std::uint8_t value) {
  const unsigned a = C64.cpu.A;
  const unsigned difference = 0x100 + a - value - (1 - CarryIn());
  const std::uint8_t result = static_cast<std::uint8_t>(difference);
  C64.cpu.A = result;
  SetNZ(result);
  PutFlag(kFlagV, ((a ^ value) & ~(result ^ value) & 0x80) != 0);
  PutFlag(kFlagC, difference >= 0x100);
}

inline void AddWithCarry(std::uint8_t value) {
  if (FlagSet(kFlagD)) {
    AddDecimal(value);
  } else {
    AddBinary(value);
  }
}

inline void SubtractWithBorrow(std::uint8_t value) {
  if (FlagSet(kFlagD)) {
    SubtractDecimal(value);
  } else {
    SubtractBinary(value);
  }
}

// CMP/CPX/CPY: C = no borrow, N and Z from the 8-bit difference.
inline void Compare(std::uint8_t reg, std::uint8_t value) {
  PutFlag(kFlagC, reg >= value);
  SetNZ(static_cast<std::uint8_t>(reg - value));
}

// ---- Read-modify-write cores ---------------------------------------------------------
// Each reads the old byte, takes the carry from it, writes the new byte and reads it back;
// the result is the read-back byte, which is what the flags and any second step use (a
// ROM-visible address writes RAM but reads the ROM). LSR, ROL and ROR write a second
// time: the read-back byte with bit 7 (LSR, ROR) or bit 0 (ROL) set to the carry-in or
// cleared.

inline std::uint8_t WriteAndReadBack(std::uint16_t address, std::uint8_t value) {
  WriteByte(address, value);
  return ReadByte(address);
}

inline std::uint8_t ShiftLeftMemory(std::uint16_t address) {
  const std::uint8_t old = ReadByte(address);
  PutFlag(kFlagC, (old & 0x80) != 0);
  return WriteAndReadBack(address, static_cast<std::uint8_t>(old << 1));
}

inline std::uint8_t ShiftRightMemory(std::uint16_t address) {
  const std::uint8_t old = ReadByte(address);
  PutFlag(kFlagC, (old & 0x01) != 0);
  const std::uint8_t back = WriteAndReadBack(address, static_cast<std::uint8_t>(old >> 1));
  const std::uint8_t fixed = static_cast<std::uint8_t>(back & 0x7F);
  WriteByte(address, fixed);
  return fixed;
}

inline std::uint8_t RotateLeftMemory(std::uint16_t address) {
  const bool carryIn = FlagSet(kFlagC);
  const std::uint8_t old = ReadByte(address);
  PutFlag(kFlagC, (old & 0x80) != 0);
  const std::uint8_t back = WriteAndReadBack(address, static_cast<std::uint8_t>(old << 1));
  const std::uint8_t fixed = static_cast<std::uint8_t>(carryIn ? (back | 0x01) : (back & 0xFE));
  WriteByte(address, fixed);
  return fixed;
}

inline std::uint8_t RotateRightMemory(std::uint16_t address) {
  const bool carryIn = FlagSet(kFlagC);
  const std::uint8_t old = ReadByte(address);
  PutFlag(kFlagC, (old & 0x01) != 0);
  const std::uint8_t back = WriteAndReadBack(address, static_cast<std::uint8_t>(old >> 1));
  const std::uint8_t fixed = static_cast<std::uint8_t>(carryIn ? (back | 0x80) : (back & 0x7F));
  WriteByte(address, fixed);
  return fixed;
}

inline std::uint8_t IncrementMemory(std::uint16_t address) {
  return WriteAndReadBack(address, static_cast<std::uint8_t>(ReadByte(address) + 1));
}

inline std::uint8_t DecrementMemory(std::uint16_t address) {
  return WriteAndReadBack(address, static_cast<std::uint8_t>(ReadByte(address) - 1));
}

// ---- Loads, logic and compares (operand value) ---------------------------------------

inline void Lda(std::uint8_t value, std::uint8_t length) {
  C64.cpu.A = value;
  SetNZ(value);
  AdvancePc(length);
}
inline void Ldx(std::uint8_t value, std::uint8_t length) {
  C64.cpu.X = value;
  SetNZ(value);
  AdvancePc(length);
}
inline void Ldy(std::uint8_t value, std::uint8_t length) {
  C64.cpu.Y = value;
  SetNZ(value);
  AdvancePc(length);
}
inline void Lax(std::uint8_t value, std::uint8_t length) {
  C64.cpu.A = C64.cpu.X = value;
  SetNZ(value);
  AdvancePc(length);
}
inline void And(std::uint8_t value, std::uint8_t length) {
  C64.cpu.A &= value;
  SetNZ(C64.cpu.A);
  AdvancePc(length);
}
inline void Ora(std::uint8_t value, std::uint8_t length) {
  C64.cpu.A |= value;
  SetNZ(C64.cpu.A);
  AdvancePc(length);
}
inline void Eor(std::uint8_t value, std::uint8_t length) {
  C64.cpu.A ^= value;
  SetNZ(C64.cpu.A);
  AdvancePc(length);
}
inline void Bit(std::uint8_t value, std::uint8_t length) {
  PutFlag(kFlagN, (value & 0x80) != 0);
  PutFlag(kFlagV, (value & 0x40) != 0);
  PutFlag(kFlagZ, (C64.cpu.A & value) == 0);
  AdvancePc(length);
}
inline void Adc(std::uint8_t value, std::uint8_t length) {
  AddWithCarry(value);
  AdvancePc(length);
}
inline void Sbc(std::uint8_t value, std::uint8_t length) {
  SubtractWithBorrow(value);
  AdvancePc(length);
}
inline void Cmp(std::uint8_t value, std::uint8_t length) {
  Compare(C64.cpu.A, value);
  AdvancePc(length);
}
inline void Cpx(std::uint8_t value, std::uint8_t length) {
  Compare(C64.cpu.X, value);
  AdvancePc(length);
}
inline void Cpy(std::uint8_t value, std::uint8_t length) {
  Compare(C64.cpu.Y, value);
  AdvancePc(length);
}
// ANC: AND, then C copies bit 7 of the result.
inline void Anc(std::uint8_t value, std::uint8_t length) {
  C64.cpu.A &= value;
  SetNZ(C64.cpu.A);
  PutFlag(kFlagC, (C64.cpu.A & 0x80) != 0);
  AdvancePc(length);
}
// LXA: A and X both get (A OR $EE) AND value.
inline void Lxa(std::uint8_t value, std::uint8_t length) {
  C64.cpu.A = C64.cpu.X = static_cast<std::uint8_t>((C64.cpu.A | 0xEE) & value);
  SetNZ(C64.cpu.A);
  AdvancePc(length);
}
// SBX: X = (A AND X) - value; C copies bit 7 of the new X (the same bit as N).
inline void Sbx(std::uint8_t value, std::uint8_t length) {
  C64.cpu.X = static_cast<std::uint8_t>((C64.cpu.A & C64.cpu.X) - value);
  SetNZ(C64.cpu.X);
  PutFlag(kFlagC, (C64.cpu.X & 0x80) != 0);
  AdvancePc(length);
}
// LAS: A, X and SP all get SP AND value; logs its warning first (cpu_operations.cpp).
void Las(std::uint8_t value, std::uint8_t length);

// ---- Operations that read their immediate byte themselves (address) ------------------

// ANE: A = (A OR $EE) AND X AND byte.
inline void Ane(std::uint16_t address, std::uint8_t length) {
  C64.cpu.A = static_cast<std::uint8_t>((C64.cpu.A | 0xEE) & C64.cpu.X & ReadByte(address));
  SetNZ(C64.cpu.A);
  AdvancePc(length);
}
// ALR: t = A AND byte; A = t >> 1; C = bit 0 of t.
inline void Alr(std::uint16_t address, std::uint8_t length) {
  const std::uint8_t t = static_cast<std::uint8_t>(C64.cpu.A & ReadByte(address));
  C64.cpu.A = static_cast<std::uint8_t>(t >> 1);
  SetNZ(C64.cpu.A);
  PutFlag(kFlagC, (t & 0x01) != 0);
  AdvancePc(length);
}
// ARR: t = A AND byte; A = t >> 1 with C shifted in; C = bit 7 of t, V = bit 7 XOR bit 6
// of t; binary whatever D says. Logs its warning first (cpu_operations.cpp).
void Arr(std::uint16_t address, std::uint8_t length);

// ---- Stores (address) ----------------------------------------------------------------

inline void Sta(std::uint16_t address, std::uint8_t length) {
  WriteByte(address, C64.cpu.A);
  AdvancePc(length);
}
inline void Stx(std::uint16_t address, std::uint8_t length) {
  WriteByte(address, C64.cpu.X);
  AdvancePc(length);
}
inline void Sty(std::uint16_t address, std::uint8_t length) {
  WriteByte(address, C64.cpu.Y);
  AdvancePc(length);
}
inline void Sax(std::uint16_t address, std::uint8_t length) {
  WriteByte(address, static_cast<std::uint8_t>(C64.cpu.A & C64.cpu.X));
  AdvancePc(length);
}

// The high-byte stores read the instruction stream themselves, before PC moves on: SHA
// the byte at PC+1, the others the operand's high byte at PC+2 plus one (8-bit).
inline std::uint8_t OperandHighPlusOne() {
  return static_cast<std::uint8_t>(ReadByte(static_cast<std::uint16_t>(C64.cpu.PC + 2)) + 1);
}
inline void Sha(std::uint16_t address, std::uint8_t length) {
  const std::uint8_t operand = ReadByte(static_cast<std::uint16_t>(C64.cpu.PC + 1));
  WriteByte(address, static_cast<std::uint8_t>(C64.cpu.A & C64.cpu.X & operand));
  AdvancePc(length);
}
inline void Shx(std::uint16_t address, std::uint8_t length) {
  WriteByte(address, static_cast<std::uint8_t>(C64.cpu.X & OperandHighPlusOne()));
  AdvancePc(length);
}
inline void Shy(std::uint16_t address, std::uint8_t length) {
  WriteByte(address, static_cast<std::uint8_t>(C64.cpu.Y & OperandHighPlusOne()));
  AdvancePc(length);
}
inline void Shs(std::uint16_t address, std::uint8_t length) {
  C64.cpu.SP = static_cast<std::uint8_t>(C64.cpu.A & C64.cpu.X);
  WriteByte(address, static_cast<std::uint8_t>(C64.cpu.SP & OperandHighPlusOne()));
  AdvancePc(length);
}

// ---- Read-modify-write on memory (address) -------------------------------------------

inline void Inc(std::uint16_t address, std::uint8_t length) {
  SetNZ(IncrementMemory(address));
  AdvancePc(length);
}
inline void Dec(std::uint16_t address, std::uint8_t length) {
  SetNZ(DecrementMemory(address));
  AdvancePc(length);
}
inline void AslMemory(std::uint16_t address, std::uint8_t length) {
  SetNZ(ShiftLeftMemory(address));
  AdvancePc(length);
}
// ASL on memory takes the pieces of its address and forms it itself.
inline void AslZeroPage(std::uint8_t zp, std::uint8_t length) {
  AslMemory(zp, length);
}
inline void AslZeroPageX(std::uint8_t zp, std::uint8_t length) {
  AslMemory(static_cast<std::uint8_t>(zp + C64.cpu.X), length);
}
inline void AslAbsolute(std::uint8_t low, std::uint8_t high, std::uint8_t length) {
  AslMemory(static_cast<std::uint16_t>(high << 8 | low), length);
}
inline void AslAbsoluteX(std::uint8_t low, std::uint8_t high, std::uint8_t length) {
  AslMemory(static_cast<std::uint16_t>((high << 8 | low) + C64.cpu.X), length);
}
inline void LsrMemory(std::uint16_t address, std::uint8_t length) {
  SetNZ(ShiftRightMemory(address));
  AdvancePc(length);
}
inline void RolMemory(std::uint16_t address, std::uint8_t length) {
  SetNZ(RotateLeftMemory(address));
  AdvancePc(length);
}
inline void RorMemory(std::uint16_t address, std::uint8_t length) {
  SetNZ(RotateRightMemory(address));
  AdvancePc(length);
}

// The combined undocumented operations: a shift, rotate, increment or decrement on memory,
// then an accumulator operation with the read-back byte.
inline void Slo(std::uint16_t address, std::uint8_t length) {
  C64.cpu.A |= ShiftLeftMemory(address);
  SetNZ(C64.cpu.A);
  AdvancePc(length);
}
inline void Rla(std::uint16_t address, std::uint8_t length) {
  C64.cpu.A &= RotateLeftMemory(address);
  SetNZ(C64.cpu.A);
  AdvancePc(length);
}
inline void Sre(std::uint16_t address, std::uint8_t length) {
  C64.cpu.A ^= ShiftRightMemory(address);
  SetNZ(C64.cpu.A);
  AdvancePc(length);
}
// RRA adds in binary whatever D says, leaves V alone, and derives C by comparing the new A
// with the old: smaller means a carry out, larger means none, equal keeps the carry-in
// (which only happens for an addend of 0 or of $FF plus carry).
inline void Rra(std::uint16_t address, std::uint8_t length) {
  const std::uint8_t addend = RotateRightMemory(address);
  const std::uint8_t old = C64.cpu.A;
  C64.cpu.A = static_cast<std::uint8_t>(old + addend + CarryIn());
  SetNZ(C64.cpu.A);
  if (C64.cpu.A < old) {
    SetFlag(kFlagC);
  } else if (C64.cpu.A > old) {
    ClearFlag(kFlagC);
  }
  AdvancePc(length);
}
inline void Dcp(std::uint16_t address, std::uint8_t length) {
  Compare(C64.cpu.A, DecrementMemory(address));
  AdvancePc(length);
}
inline void Isc(std::uint16_t address, std::uint8_t length) {
  SubtractWithBorrow(IncrementMemory(address));
  AdvancePc(length);
}

// ---- The chip's read-modify-write (accurate machine) ---------------------------------
// The byte is read, written back unchanged while the new one is formed (that first write
// is what acknowledges the video chip's interrupt in `dec $d019`), then the new byte is
// written. Flags come from the new byte itself, never from a read-back.

template <typename Change>
inline std::uint8_t ModifyMemory(std::uint16_t address, Change change) {
  const std::uint8_t old = ReadByte(address);
  WriteByte(address, old);
  const std::uint8_t result = change(old);
  WriteByte(address, result);
  return result;
}
inline std::uint8_t ShiftedLeft(std::uint8_t value) {
  PutFlag(kFlagC, (value & 0x80) != 0);
  return static_cast<std::uint8_t>(value << 1);
}
inline std::uint8_t ShiftedRight(std::uint8_t value) {
  PutFlag(kFlagC, (value & 0x01) != 0);
  return static_cast<std::uint8_t>(value >> 1);
}
inline std::uint8_t RotatedLeft(std::uint8_t value) {
  const std::uint8_t carryIn = CarryIn();
  PutFlag(kFlagC, (value & 0x80) != 0);
  return static_cast<std::uint8_t>(value << 1 | carryIn);
}
inline std::uint8_t RotatedRight(std::uint8_t value) {
  const std::uint8_t carryIn = CarryIn();
  PutFlag(kFlagC, (value & 0x01) != 0);
  return static_cast<std::uint8_t>(value >> 1 | carryIn << 7);
}
inline std::uint8_t Incremented(std::uint8_t value) {
  return static_cast<std::uint8_t>(value + 1);
}
inline std::uint8_t Decremented(std::uint8_t value) {
  return static_cast<std::uint8_t>(value - 1);
}

// The read-modify-write operations on memory, and the undocumented ones that go on with
// the accumulator: SLO is ASL then ORA, RLA ROL then AND, SRE LSR then EOR, RRA ROR then
// ADC, DCP DEC then CMP, ISC INC then SBC.
template <Operation kOperation>
inline void ChipReadModifyWrite(std::uint16_t address, std::uint8_t length) {
  if constexpr (kOperation == Operation::INC) {
    SetNZ(ModifyMemory(address, Incremented));
  } else if constexpr (kOperation == Operation::DEC) {
    SetNZ(ModifyMemory(address, Decremented));
  } else if constexpr (kOperation == Operation::ASL) {
    SetNZ(ModifyMemory(address, ShiftedLeft));
  } else if constexpr (kOperation == Operation::LSR) {
    SetNZ(ModifyMemory(address, ShiftedRight));
  } else if constexpr (kOperation == Operation::ROL) {
    SetNZ(ModifyMemory(address, RotatedLeft));
  } else if constexpr (kOperation == Operation::ROR) {
    SetNZ(ModifyMemory(address, RotatedRight));
  } else if constexpr (kOperation == Operation::SLO) {
    C64.cpu.A |= ModifyMemory(address, ShiftedLeft);
    SetNZ(C64.cpu.A);
  } else if constexpr (kOperation == Operation::RLA) {
    C64.cpu.A &= ModifyMemory(address, RotatedLeft);
    SetNZ(C64.cpu.A);
  } else if constexpr (kOperation == Operation::SRE) {
    C64.cpu.A ^= ModifyMemory(address, ShiftedRight);
    SetNZ(C64.cpu.A);
  } else if constexpr (kOperation == Operation::RRA) {
    AddWithCarry(ModifyMemory(address, RotatedRight));
  } else if constexpr (kOperation == Operation::DCP) {
    Compare(C64.cpu.A, ModifyMemory(address, Decremented));
  } else {
    static_assert(kOperation == Operation::ISC);
    SubtractWithBorrow(ModifyMemory(address, Incremented));
  }
  AdvancePc(length);
}

// ---- Accumulator shifts --------------------------------------------------------------

inline void AslAccumulator(std::uint8_t length) {
  PutFlag(kFlagC, (C64.cpu.A & 0x80) != 0);
  C64.cpu.A = static_cast<std::uint8_t>(C64.cpu.A << 1);
  SetNZ(C64.cpu.A);
  AdvancePc(length);
}
inline void LsrAccumulator() {
  PutFlag(kFlagC, (C64.cpu.A & 0x01) != 0);
  C64.cpu.A = static_cast<std::uint8_t>(C64.cpu.A >> 1);
  SetNZ(C64.cpu.A);
  AdvancePc(1);
}
inline void RolAccumulator() {
  const std::uint8_t carryIn = CarryIn();
  PutFlag(kFlagC, (C64.cpu.A & 0x80) != 0);
  C64.cpu.A = static_cast<std::uint8_t>(C64.cpu.A << 1 | carryIn);
  SetNZ(C64.cpu.A);
  AdvancePc(1);
}
inline void RorAccumulator() {
  const std::uint8_t carryIn = CarryIn();
  PutFlag(kFlagC, (C64.cpu.A & 0x01) != 0);
  C64.cpu.A = static_cast<std::uint8_t>(C64.cpu.A >> 1 | carryIn << 7);
  SetNZ(C64.cpu.A);
  AdvancePc(1);
}

// ---- Implied register operations (PC + 1) --------------------------------------------

inline void Transfer(std::uint8_t& destination, std::uint8_t source) {
  destination = source;
  SetNZ(source);
  AdvancePc(1);
}
inline void Tax() {
  Transfer(C64.cpu.X, C64.cpu.A);
}
inline void Tay() {
  Transfer(C64.cpu.Y, C64.cpu.A);
}
inline void Txa() {
  Transfer(C64.cpu.A, C64.cpu.X);
}
inline void Tya() {
  Transfer(C64.cpu.A, C64.cpu.Y);
}
inline void Tsx() {
  Transfer(C64.cpu.X, C64.cpu.SP);
}
inline void Txs() {
  C64.cpu.SP = C64.cpu.X;
  AdvancePc(1);
}
inline void Inx() {
  Transfer(C64.cpu.X, static_cast<std::uint8_t>(C64.cpu.X + 1));
}
inline void Iny() {
  Transfer(C64.cpu.Y, static_cast<std::uint8_t>(C64.cpu.Y + 1));
}
inline void Dex() {
  Transfer(C64.cpu.X, static_cast<std::uint8_t>(C64.cpu.X - 1));
}
inline void Dey() {
  Transfer(C64.cpu.Y, static_cast<std::uint8_t>(C64.cpu.Y - 1));
}

inline void ClearStatus(int flag) {
  ClearFlag(flag);
  AdvancePc(1);
}
inline void SetStatus(int flag) {
  SetFlag(flag);
  AdvancePc(1);
}
inline void Clc() {
  ClearStatus(kFlagC);
}
inline void Cld() {
  ClearStatus(kFlagD);
}
inline void Cli() {
  ClearStatus(kFlagI);
}
inline void Clv() {
  ClearStatus(kFlagV);
}
inline void Sec() {
  SetStatus(kFlagC);
}
inline void Sed() {
  SetStatus(kFlagD);
}
inline void Sei() {
  SetStatus(kFlagI);
}

// ---- Branches ------------------------------------------------------------------------

// A taken branch reads its signed offset at PC+1 and continues at PC + 2 + offset; one not
// taken reads nothing.
inline void Branch(bool taken) {
  if (taken) {
    const auto offset =
        static_cast<std::int8_t>(ReadByte(static_cast<std::uint16_t>(C64.cpu.PC + 1)));
    C64.cpu.PC = static_cast<std::uint16_t>(C64.cpu.PC + 2 + offset);
  } else {
    AdvancePc(2);
  }
}
inline void Bcc() {
  Branch(!FlagSet(kFlagC));
}
inline void Bcs() {
  Branch(FlagSet(kFlagC));
}
inline void Beq() {
  Branch(FlagSet(kFlagZ));
}
inline void Bne() {
  Branch(!FlagSet(kFlagZ));
}
inline void Bmi() {
  Branch(FlagSet(kFlagN));
}
inline void Bpl() {
  Branch(!FlagSet(kFlagN));
}
inline void Bvc() {
  Branch(!FlagSet(kFlagV));
}
inline void Bvs() {
  Branch(FlagSet(kFlagV));
}

// ---- Stack and control ---------------------------------------------------------------

inline void Pha() {
  Push(C64.cpu.A);
  AdvancePc(1);
}
// PHP pushes P exactly as it is, B and bit 5 included.
inline void Php() {
  Push(C64.cpu.P);
  AdvancePc(1);
}
inline void Pla() {
  C64.cpu.A = Pull();
  SetNZ(C64.cpu.A);
  AdvancePc(1);
}
inline void Plp() {
  C64.cpu.P = WithBreakAndBit5(Pull());
  AdvancePc(1);
}
// JSR pushes the address of its own last byte (PC + 2), high byte first.
inline void Jsr(std::uint16_t target) {
  const std::uint16_t last = static_cast<std::uint16_t>(C64.cpu.PC + 2);
  Push(static_cast<std::uint8_t>(last >> 8));
  Push(static_cast<std::uint8_t>(last));
  C64.cpu.PC = target;
}
inline void Rts() {
  const std::uint8_t low = Pull();
  const std::uint8_t high = Pull();
  C64.cpu.PC = static_cast<std::uint16_t>((high << 8 | low) + 1);
}
inline void Rti() {
  C64.cpu.P = WithBreakAndBit5(Pull());
  const std::uint8_t low = Pull();
  const std::uint8_t high = Pull();
  C64.cpu.PC = static_cast<std::uint16_t>(high << 8 | low);
}
// Entering a handler, as BRK and the interrupt entries do: pushes PC and the given status
// byte, takes the vector ($FFFE, or $FFFA for the NMI) straight from the image the
// processor would see there and sets I (cpu_operations.cpp).
inline constexpr std::uint16_t kIrqVector = 0xFFFE;
inline constexpr std::uint16_t kNmiVector = 0xFFFA;
void EnterHandler(std::uint8_t pushedStatus, std::uint16_t vector = kIrqVector);
// BRK: pushes PC + 2 and P with B set (B stays set) and enters the handler.
void Brk();

}  // namespace op

}  // namespace core
