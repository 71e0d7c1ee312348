// The opcode table and the dispatch. The table is plain data, one row per opcode byte
// with its operation, addressing mode, length and this machine's own cycle charge (not
// the real chip's: many are one less, JSR is 1, every no-operation 1; no page-crossing or
// taken-branch cycle is ever added). ExecuteInstruction is a switch over the opcode
// whose 256 cases are stamped out from the rows at compile time: each case fetches the
// operand for its row's mode and calls the operation with the row's length.
#include "core/opcode_table.h"

#include "core/cpu_operations.h"
#include "core/machine.h"
#include "core/memory_map.h"
#include "core/run_loop.h"

namespace core {

namespace {

constexpr AddressingMode Imp = AddressingMode::kImplied;
constexpr AddressingMode Acc = AddressingMode::kAccumulator;
constexpr AddressingMode Imm = AddressingMode::kImmediate;
constexpr AddressingMode Zp = AddressingMode::kZeroPage;
constexpr AddressingMode ZpX = AddressingMode::kZeroPageX;
constexpr AddressingMode ZpY = AddressingMode::kZeroPageY;
constexpr AddressingMode Abs = AddressingMode::kAbsolute;
constexpr AddressingMode AbsX = AddressingMode::kAbsoluteX;
constexpr AddressingMode AbsY = AddressingMode::kAbsoluteY;
constexpr AddressingMode IzX = AddressingMode::kIndexedIndirect;  // (zp,X)
constexpr AddressingMode IzY = AddressingMode::kIndirectIndexed;  // (zp),Y
constexpr AddressingMode Ind = AddressingMode::kIndirect;         // (abs)
constexpr AddressingMode Rel = AddressingMode::kRelative;

}  // namespace

#define ROW(name, mode, length, cycles, chipCycles) \
  { #name, mode, length, cycles, chipCycles, Operation::name }

// clang-format off
constexpr OpcodeInfo OpcodeTable[256] = {
    /* $00 */ ROW(BRK, Imp, 1, 6, 7),
    /* $01 */ ROW(ORA, IzX, 2, 5, 6),
    /* $02 */ ROW(JAM, Imp, 1, 0, 0),
    /* $03 */ ROW(SLO, IzX, 2, 5, 8),
    /* $04 */ ROW(NOP, Zp, 2, 1, 3),
    /* $05 */ ROW(ORA, Zp, 2, 2, 3),
    /* $06 */ ROW(ASL, Zp, 2, 4, 5),
    /* $07 */ ROW(SLO, Zp, 2, 2, 5),
    /* $08 */ ROW(PHP, Imp, 1, 2, 3),
    /* $09 */ ROW(ORA, Imm, 2, 1, 2),
    /* $0A */ ROW(ASL, Acc, 1, 1, 2),
    /* $0B */ ROW(ANC, Imm, 2, 2, 2),
    /* $0C */ ROW(NOP, Abs, 3, 1, 4),
    /* $0D */ ROW(ORA, Abs, 3, 3, 4),
    /* $0E */ ROW(ASL, Abs, 3, 5, 6),
    /* $0F */ ROW(SLO, Abs, 3, 3, 6),
    /* $10 */ ROW(BPL, Rel, 2, 2, 2),
    /* $11 */ ROW(ORA, IzY, 2, 4, 5),
    /* $12 */ ROW(JAM, Imp, 1, 0, 0),
    /* $13 */ ROW(SLO, IzY, 2, 4, 8),
    /* $14 */ ROW(NOP, ZpX, 2, 1, 4),
    /* $15 */ ROW(ORA, ZpX, 2, 3, 4),
    /* $16 */ ROW(ASL, ZpX, 2, 5, 6),
    /* $17 */ ROW(SLO, ZpX, 2, 3, 6),
    /* $18 */ ROW(CLC, Imp, 1, 1, 2),
    /* $19 */ ROW(ORA, AbsY, 3, 5, 4),
    /* $1A */ ROW(NOP, Imp, 1, 1, 2),
    /* $1B */ ROW(SLO, AbsY, 3, 4, 7),
    /* $1C */ ROW(NOP, AbsX, 3, 1, 4),
    /* $1D */ ROW(ORA, AbsX, 3, 5, 4),
    /* $1E */ ROW(ASL, AbsX, 3, 6, 7),
    /* $1F */ ROW(SLO, AbsX, 3, 4, 7),
    /* $20 */ ROW(JSR, Abs, 3, 1, 6),
    /* $21 */ ROW(AND, IzX, 2, 5, 6),
    /* $22 */ ROW(JAM, Imp, 1, 0, 0),
    /* $23 */ ROW(RLA, IzX, 2, 5, 8),
    /* $24 */ ROW(BIT, Zp, 2, 3, 3),
    /* $25 */ ROW(AND, Zp, 2, 2, 3),
    /* $26 */ ROW(ROL, Zp, 2, 4, 5),
    /* $27 */ ROW(RLA, Zp, 2, 2, 5),
    /* $28 */ ROW(PLP, Imp, 1, 3, 4),
    /* $29 */ ROW(AND, Imm, 2, 1, 2),
    /* $2A */ ROW(ROL, Acc, 1, 1, 2),
    /* $2B */ ROW(ANC, Imm, 2, 2, 2),
    /* $2C */ ROW(BIT, Abs, 3, 3, 4),
    /* $2D */ ROW(AND, Abs, 3, 3, 4),
    /* $2E */ ROW(ROL, Abs, 3, 5, 6),
    /* $2F */ ROW(RLA, Abs, 3, 3, 6),
    /* $30 */ ROW(BMI, Rel, 2, 2, 2),
    /* $31 */ ROW(AND, IzY, 2, 4, 5),
    /* $32 */ ROW(JAM, Imp, 1, 0, 0),
    /* $33 */ ROW(RLA, IzY, 2, 4, 8),
    /* $34 */ ROW(NOP, ZpX, 2, 1, 4),
    /* $35 */ ROW(AND, ZpX, 2, 3, 4),
    /* $36 */ ROW(ROL, ZpX, 2, 4, 6),
    /* $37 */ ROW(RLA, ZpX, 2, 3, 6),
    /* $38 */ ROW(SEC, Imp, 1, 1, 2),
    /* $39 */ ROW(AND, AbsY, 3, 4, 4),
    /* $3A */ ROW(NOP, Imp, 1, 1, 2),
    /* $3B */ ROW(RLA, AbsY, 3, 4, 7),
    /* $3C */ ROW(NOP, AbsX, 3, 1, 4),
    /* $3D */ ROW(AND, AbsX, 3, 4, 4),
    /* $3E */ ROW(ROL, AbsX, 3, 5, 7),
    /* $3F */ ROW(RLA, AbsX, 3, 4, 7),
    /* $40 */ ROW(RTI, Imp, 1, 5, 6),
    /* $41 */ ROW(EOR, IzX, 2, 5, 6),
    /* $42 */ ROW(JAM, Imp, 1, 0, 0),
    /* $43 */ ROW(SRE, IzX, 2, 5, 8),
    /* $44 */ ROW(NOP, Zp, 2, 1, 3),
    /* $45 */ ROW(EOR, Zp, 2, 2, 3),
    /* $46 */ ROW(LSR, Zp, 2, 4, 5),
    /* $47 */ ROW(SRE, Zp, 2, 2, 5),
    /* $48 */ ROW(PHA, Imp, 1, 2, 3),
    /* $49 */ ROW(EOR, Imm, 2, 1, 2),
    /* $4A */ ROW(LSR, Acc, 1, 1, 2),
    /* $4B */ ROW(ALR, Imm, 2, 2, 2),
    /* $4C */ ROW(JMP, Abs, 3, 2, 3),
    /* $4D */ ROW(EOR, Abs, 3, 3, 4),
    /* $4E */ ROW(LSR, Abs, 3, 5, 6),
    /* $4F */ ROW(SRE, Abs, 3, 3, 6),
    /* $50 */ ROW(BVC, Rel, 2, 2, 2),
    /* $51 */ ROW(EOR, IzY, 2, 4, 5),
    /* $52 */ ROW(JAM, Imp, 1, 0, 0),
    /* $53 */ ROW(SRE, IzY, 2, 4, 8),
    /* $54 */ ROW(NOP, ZpX, 2, 1, 4),
    /* $55 */ ROW(EOR, ZpX, 2, 3, 4),
    /* $56 */ ROW(LSR, ZpX, 2, 5, 6),
    /* $57 */ ROW(SRE, ZpX, 2, 3, 6),
    /* $58 */ ROW(CLI, Imp, 1, 1, 2),
    /* $59 */ ROW(EOR, AbsY, 3, 5, 4),
    /* $5A */ ROW(NOP, Imp, 1, 1, 2),
    /* $5B */ ROW(SRE, AbsY, 3, 4, 7),
    /* $5C */ ROW(NOP, AbsX, 3, 1, 4),
    /* $5D */ ROW(EOR, AbsX, 3, 5, 4),
    /* $5E */ ROW(LSR, AbsX, 3, 5, 7),
    /* $5F */ ROW(SRE, AbsX, 3, 4, 7),
    /* $60 */ ROW(RTS, Imp, 1, 5, 6),
    /* $61 */ ROW(ADC, IzX, 2, 5, 6),
    /* $62 */ ROW(JAM, Imp, 1, 0, 0),
    /* $63 */ ROW(RRA, IzX, 2, 5, 8),
    /* $64 */ ROW(NOP, Zp, 2, 1, 3),
    /* $65 */ ROW(ADC, Zp, 2, 2, 3),
    /* $66 */ ROW(ROR, Zp, 2, 4, 5),
    /* $67 */ ROW(RRA, Zp, 2, 2, 5),
    /* $68 */ ROW(PLA, Imp, 1, 3, 4),
    /* $69 */ ROW(ADC, Imm, 2, 1, 2),
    /* $6A */ ROW(ROR, Acc, 1, 1, 2),
    /* $6B */ ROW(ARR, Imm, 2, 2, 2),
    /* $6C */ ROW(JMP, Ind, 3, 4, 5),
    /* $6D */ ROW(ADC, Abs, 3, 3, 4),
    /* $6E */ ROW(ROR, Abs, 3, 5, 6),
    /* $6F */ ROW(RRA, Abs, 3, 3, 6),
    /* $70 */ ROW(BVS, Rel, 2, 3, 2),
    /* $71 */ ROW(ADC, IzY, 2, 4, 5),
    /* $72 */ ROW(JAM, Imp, 1, 0, 0),
    /* $73 */ ROW(RRA, IzY, 2, 4, 8),
    /* $74 */ ROW(NOP, ZpX, 2, 1, 4),
    /* $75 */ ROW(ADC, ZpX, 2, 3, 4),
    /* $76 */ ROW(ROR, ZpX, 2, 4, 6),
    /* $77 */ ROW(RRA, ZpX, 2, 3, 6),
    /* $78 */ ROW(SEI, Imp, 1, 1, 2),
    /* $79 */ ROW(ADC, AbsY, 3, 4, 4),
    /* $7A */ ROW(NOP, Imp, 1, 1, 2),
    /* $7B */ ROW(RRA, AbsY, 3, 4, 7),
    /* $7C */ ROW(NOP, AbsX, 3, 1, 4),
    /* $7D */ ROW(ADC, AbsX, 3, 4, 4),
    /* $7E */ ROW(ROR, AbsX, 3, 5, 7),
    /* $7F */ ROW(RRA, AbsX, 3, 4, 7),
    /* $80 */ ROW(NOP, Imm, 2, 1, 2),
    /* $81 */ ROW(STA, IzX, 2, 5, 6),
    /* $82 */ ROW(NOP, Imm, 2, 1, 2),
    /* $83 */ ROW(SAX, IzX, 2, 5, 6),
    /* $84 */ ROW(STY, Zp, 2, 2, 3),
    /* $85 */ ROW(STA, Zp, 2, 2, 3),
    /* $86 */ ROW(STX, Zp, 2, 2, 3),
    /* $87 */ ROW(SAX, Zp, 2, 2, 3),
    /* $88 */ ROW(DEY, Imp, 1, 1, 2),
    /* $89 */ ROW(NOP, Imm, 2, 1, 2),
    /* $8A */ ROW(TXA, Imp, 1, 1, 2),
    /* $8B */ ROW(ANE, Imm, 2, 2, 2),
    /* $8C */ ROW(STY, Abs, 3, 3, 4),
    /* $8D */ ROW(STA, Abs, 3, 3, 4),
    /* $8E */ ROW(STX, Abs, 3, 3, 4),
    /* $8F */ ROW(SAX, Abs, 3, 3, 4),
    /* $90 */ ROW(BCC, Rel, 2, 2, 2),
    /* $91 */ ROW(STA, IzY, 2, 5, 6),
    /* $92 */ ROW(JAM, Imp, 1, 0, 0),
    /* $93 */ ROW(SHA, IzY, 2, 4, 6),
    /* $94 */ ROW(STY, ZpX, 2, 3, 4),
    /* $95 */ ROW(STA, ZpX, 2, 3, 4),
    /* $96 */ ROW(STX, ZpY, 2, 3, 4),
    /* $97 */ ROW(SAX, ZpY, 2, 3, 4),
    /* $98 */ ROW(TYA, Imp, 1, 1, 2),
    /* $99 */ ROW(STA, AbsY, 3, 4, 5),
    /* $9A */ ROW(TXS, Imp, 1, 1, 2),
    /* $9B */ ROW(SHS, AbsY, 3, 4, 5),
    /* $9C */ ROW(SHY, AbsX, 3, 4, 5),
    /* $9D */ ROW(STA, AbsX, 3, 4, 5),
    /* $9E */ ROW(SHX, AbsY, 3, 4, 5),
    /* $9F */ ROW(SHA, AbsY, 3, 4, 5),
    /* $A0 */ ROW(LDY, Imm, 2, 1, 2),
    /* $A1 */ ROW(LDA, IzX, 2, 5, 6),
    /* $A2 */ ROW(LDX, Imm, 2, 1, 2),
    /* $A3 */ ROW(LAX, IzX, 2, 5, 6),
    /* $A4 */ ROW(LDY, Zp, 2, 2, 3),
    /* $A5 */ ROW(LDA, Zp, 2, 2, 3),
    /* $A6 */ ROW(LDX, Zp, 2, 2, 3),
    /* $A7 */ ROW(LAX, Zp, 2, 2, 3),
    /* $A8 */ ROW(TAY, Imp, 1, 1, 2),
    /* $A9 */ ROW(LDA, Imm, 2, 1, 2),
    /* $AA */ ROW(TAX, Imp, 1, 1, 2),
    /* $AB */ ROW(LXA, Imm, 2, 2, 2),
    /* $AC */ ROW(LDY, Abs, 3, 3, 4),
    /* $AD */ ROW(LDA, Abs, 3, 3, 4),
    /* $AE */ ROW(LDX, Abs, 3, 3, 4),
    /* $AF */ ROW(LAX, Abs, 3, 3, 4),
    /* $B0 */ ROW(BCS, Rel, 2, 2, 2),
    /* $B1 */ ROW(LDA, IzY, 2, 4, 5),
    /* $B2 */ ROW(JAM, Imp, 1, 0, 0),
    /* $B3 */ ROW(LAX, IzY, 2, 4, 5),
    /* $B4 */ ROW(LDY, ZpX, 2, 3, 4),
    /* $B5 */ ROW(LDA, ZpX, 2, 3, 4),
    /* $B6 */ ROW(LDX, ZpY, 2, 3, 4),
    /* $B7 */ ROW(LAX, ZpY, 2, 3, 4),
    /* $B8 */ ROW(CLV, Imp, 1, 1, 2),
    /* $B9 */ ROW(LDA, AbsY, 3, 4, 4),
    /* $BA */ ROW(TSX, Imp, 1, 1, 2),
    /* $BB */ ROW(LAS, AbsY, 3, 5, 4),
    /* $BC */ ROW(LDY, AbsX, 3, 4, 4),
    /* $BD */ ROW(LDA, AbsX, 3, 4, 4),
    /* $BE */ ROW(LDX, AbsY, 3, 4, 4),
    /* $BF */ ROW(LAX, AbsY, 3, 4, 4),
    /* $C0 */ ROW(CPY, Imm, 2, 1, 2),
    /* $C1 */ ROW(CMP, IzX, 2, 5, 6),
    /* $C2 */ ROW(NOP, Imm, 2, 1, 2),
    /* $C3 */ ROW(DCP, IzX, 2, 5, 8),
    /* $C4 */ ROW(CPY, Zp, 2, 3, 3),
    /* $C5 */ ROW(CMP, Zp, 2, 2, 3),
    /* $C6 */ ROW(DEC, Zp, 2, 4, 5),
    /* $C7 */ ROW(DCP, Zp, 2, 2, 5),
    /* $C8 */ ROW(INY, Imp, 1, 1, 2),
    /* $C9 */ ROW(CMP, Imm, 2, 1, 2),
    /* $CA */ ROW(DEX, Imp, 1, 1, 2),
    /* $CB */ ROW(SBX, Imm, 2, 2, 2),
    /* $CC */ ROW(CPY, Abs, 3, 3, 4),
    /* $CD */ ROW(CMP, Abs, 3, 3, 4),
    /* $CE */ ROW(DEC, Abs, 3, 5, 6),
    /* $CF */ ROW(DCP, Abs, 3, 3, 6),
    /* $D0 */ ROW(BNE, Rel, 2, 2, 2),
    /* $D1 */ ROW(CMP, IzY, 2, 4, 5),
    /* $D2 */ ROW(JAM, Imp, 1, 0, 0),
    /* $D3 */ ROW(DCP, IzY, 2, 4, 8),
    /* $D4 */ ROW(NOP, ZpX, 2, 1, 4),
    /* $D5 */ ROW(CMP, ZpX, 2, 3, 4),
    /* $D6 */ ROW(DEC, ZpX, 2, 5, 6),
    /* $D7 */ ROW(DCP, ZpX, 2, 3, 6),
    /* $D8 */ ROW(CLD, Imp, 1, 1, 2),
    /* $D9 */ ROW(CMP, AbsY, 3, 3, 4),
    /* $DA */ ROW(NOP, Imp, 1, 1, 2),
    /* $DB */ ROW(DCP, AbsY, 3, 4, 7),
    /* $DC */ ROW(NOP, AbsX, 3, 1, 4),
    /* $DD */ ROW(CMP, AbsX, 3, 3, 4),
    /* $DE */ ROW(DEC, AbsX, 3, 6, 7),
    /* $DF */ ROW(DCP, AbsX, 3, 4, 7),
    /* $E0 */ ROW(CPX, Imm, 2, 1, 2),
    /* $E1 */ ROW(SBC, IzX, 2, 5, 6),
    /* $E2 */ ROW(NOP, Imm, 2, 1, 2),
    /* $E3 */ ROW(ISC, IzX, 2, 5, 8),
    /* $E4 */ ROW(CPX, Zp, 2, 2, 3),
    /* $E5 */ ROW(SBC, Zp, 2, 2, 3),
    /* $E6 */ ROW(INC, Zp, 2, 4, 5),
    /* $E7 */ ROW(ISC, Zp, 2, 2, 5),
    /* $E8 */ ROW(INX, Imp, 1, 1, 2),
    /* $E9 */ ROW(SBC, Imm, 2, 1, 2),
    /* $EA */ ROW(NOP, Imp, 1, 1, 2),
    /* $EB */ ROW(SBC, Imm, 2, 1, 2),
    /* $EC */ ROW(CPX, Abs, 3, 3, 4),
    /* $ED */ ROW(SBC, Abs, 3, 3, 4),
    /* $EE */ ROW(INC, Abs, 3, 5, 6),
    /* $EF */ ROW(ISC, Abs, 3, 3, 6),
    /* $F0 */ ROW(BEQ, Rel, 2, 2, 2),
    /* $F1 */ ROW(SBC, IzY, 2, 4, 5),
    /* $F2 */ ROW(JAM, Imp, 1, 0, 0),
    /* $F3 */ ROW(ISC, IzY, 2, 4, 8),
    /* $F4 */ ROW(NOP, ZpX, 2, 1, 4),
    /* $F5 */ ROW(SBC, ZpX, 2, 3, 4),
    /* $F6 */ ROW(INC, ZpX, 2, 5, 6),
    /* $F7 */ ROW(ISC, ZpX, 2, 3, 6),
    /* $F8 */ ROW(SED, Imp, 1, 1, 2),
    /* $F9 */ ROW(SBC, AbsY, 3, 5, 4),
    /* $FA */ ROW(NOP, Imp, 1, 1, 2),
    /* $FB */ ROW(ISC, AbsY, 3, 4, 7),
    /* $FC */ ROW(NOP, AbsX, 3, 1, 4),
    /* $FD */ ROW(SBC, AbsX, 3, 5, 4),
    /* $FE */ ROW(INC, AbsX, 3, 6, 7),
    /* $FF */ ROW(ISC, AbsX, 3, 4, 7),
};
// clang-format on

#undef ROW

namespace {

constexpr bool RowsAgreeWithModes() {
  for (const OpcodeInfo& row : OpcodeTable) {
    if (row.length != ModeLength(row.mode)) return false;
    if ((row.cycles == 0) != (row.operation == Operation::JAM)) return false;
    if ((row.chipCycles == 0) != (row.operation == Operation::JAM)) return false;
  }
  return true;
}
static_assert(RowsAgreeWithModes(), "every row's length follows from its mode");

// ---- Operand fetch -------------------------------------------------------------------
// PC still points at the opcode; operand bytes are at PC+1 and PC+2 (16-bit wrap).

inline std::uint8_t OperandLow() {
  return ReadByte(static_cast<std::uint16_t>(C64.cpu.PC + 1));
}
inline std::uint8_t OperandHigh() {
  return ReadByte(static_cast<std::uint16_t>(C64.cpu.PC + 2));
}
inline std::uint16_t OperandWord() {
  const std::uint8_t low = OperandLow();
  return static_cast<std::uint16_t>(OperandHigh() << 8 | low);
}

// The effective address of a memory mode; for immediate mode the address of the operand
// byte itself (ALR, ARR and ANE read it from there).
template <AddressingMode M>
inline std::uint16_t Address() {
  if constexpr (M == Imm) {
    return static_cast<std::uint16_t>(C64.cpu.PC + 1);
  } else if constexpr (M == Zp) {
    return OperandLow();
  } else if constexpr (M == ZpX) {
    return static_cast<std::uint8_t>(OperandLow() + C64.cpu.X);
  } else if constexpr (M == ZpY) {
    return static_cast<std::uint8_t>(OperandLow() + C64.cpu.Y);
  } else if constexpr (M == Abs) {
    return OperandWord();
  } else if constexpr (M == AbsX) {
    return static_cast<std::uint16_t>(OperandWord() + C64.cpu.X);
  } else if constexpr (M == AbsY) {
    return static_cast<std::uint16_t>(OperandWord() + C64.cpu.Y);
  } else if constexpr (M == IzX) {
    return FetchIndexedIndirect(OperandLow(), true);
  } else if constexpr (M == IzY) {
    return FetchIndirectIndexed(OperandLow(), true);
  } else if constexpr (M == Ind) {
    const std::uint8_t low = OperandLow();
    return ReadPointer(low, OperandHigh());
  } else {
    return 0;  // implied, accumulator and relative rows take no address
  }
}

// The operand value of the operations that only read: read once through ReadByte.
template <AddressingMode M>
inline std::uint8_t Value() {
  if constexpr (M == Imm) {
    return OperandLow();
  } else if constexpr (M == IzX) {
    return static_cast<std::uint8_t>(FetchIndexedIndirect(OperandLow(), false));
  } else if constexpr (M == IzY) {
    return static_cast<std::uint8_t>(FetchIndirectIndexed(OperandLow(), false));
  } else {
    return ReadByte(Address<M>());
  }
}

// ---- The operations ------------------------------------------------------------------

// The operation of one row, with its operand fetched for the row's mode.
template <Operation kOperation, AddressingMode M, std::uint8_t L>
inline void Operate() {
  switch (kOperation) {
    // Loads, logic, arithmetic and compares take the operand value.
    case Operation::LDA: op::Lda(Value<M>(), L); break;
    case Operation::LDX: op::Ldx(Value<M>(), L); break;
    case Operation::LDY: op::Ldy(Value<M>(), L); break;
    case Operation::LAX: op::Lax(Value<M>(), L); break;
    case Operation::AND: op::And(Value<M>(), L); break;
    case Operation::ORA: op::Ora(Value<M>(), L); break;
    case Operation::EOR: op::Eor(Value<M>(), L); break;
    case Operation::BIT: op::Bit(Value<M>(), L); break;
    case Operation::ADC: op::Adc(Value<M>(), L); break;
    case Operation::SBC: op::Sbc(Value<M>(), L); break;
    case Operation::CMP: op::Cmp(Value<M>(), L); break;
    case Operation::CPX: op::Cpx(Value<M>(), L); break;
    case Operation::CPY: op::Cpy(Value<M>(), L); break;
    case Operation::ANC: op::Anc(Value<M>(), L); break;
    case Operation::LXA: op::Lxa(Value<M>(), L); break;
    case Operation::SBX: op::Sbx(Value<M>(), L); break;
    case Operation::LAS: op::Las(Value<M>(), L); break;
    // These three read their immediate byte themselves.
    case Operation::ALR: op::Alr(Address<M>(), L); break;
    case Operation::ARR: op::Arr(Address<M>(), L); break;
    case Operation::ANE: op::Ane(Address<M>(), L); break;
    // Stores and read-modify-write operations take the effective address.
    case Operation::STA: op::Sta(Address<M>(), L); break;
    case Operation::STX: op::Stx(Address<M>(), L); break;
    case Operation::STY: op::Sty(Address<M>(), L); break;
    case Operation::SAX: op::Sax(Address<M>(), L); break;
    case Operation::SHA: op::Sha(Address<M>(), L); break;
    case Operation::SHX: op::Shx(Address<M>(), L); break;
    case Operation::SHY: op::Shy(Address<M>(), L); break;
    case Operation::SHS: op::Shs(Address<M>(), L); break;
    case Operation::INC: op::Inc(Address<M>(), L); break;
    case Operation::DEC: op::Dec(Address<M>(), L); break;
    case Operation::SLO: op::Slo(Address<M>(), L); break;
    case Operation::RLA: op::Rla(Address<M>(), L); break;
    case Operation::SRE: op::Sre(Address<M>(), L); break;
    case Operation::RRA: op::Rra(Address<M>(), L); break;
    case Operation::DCP: op::Dcp(Address<M>(), L); break;
    case Operation::ISC: op::Isc(Address<M>(), L); break;
    case Operation::ASL:
      if constexpr (M == Acc) {
        op::AslAccumulator(L);
      } else if constexpr (M == Zp) {
        op::AslZeroPage(OperandLow(), L);
      } else if constexpr (M == ZpX) {
        op::AslZeroPageX(OperandLow(), L);
      } else {
        const std::uint8_t low = OperandLow();
        if constexpr (M == Abs) {
          op::AslAbsolute(low, OperandHigh(), L);
        } else {
          op::AslAbsoluteX(low, OperandHigh(), L);
        }
      }
      break;
    case Operation::LSR:
      if constexpr (M == Acc) {
        op::LsrAccumulator();
      } else {
        op::LsrMemory(Address<M>(), L);
      }
      break;
    case Operation::ROL:
      if constexpr (M == Acc) {
        op::RolAccumulator();
      } else {
        op::RolMemory(Address<M>(), L);
      }
      break;
    case Operation::ROR:
      if constexpr (M == Acc) {
        op::RorAccumulator();
      } else {
        op::RorMemory(Address<M>(), L);
      }
      break;
    // Implied operations advance PC themselves.
    case Operation::TAX: op::Tax(); break;
    case Operation::TAY: op::Tay(); break;
    case Operation::TXA: op::Txa(); break;
    case Operation::TYA: op::Tya(); break;
    case Operation::TSX: op::Tsx(); break;
    case Operation::TXS: op::Txs(); break;
    case Operation::INX: op::Inx(); break;
    case Operation::INY: op::Iny(); break;
    case Operation::DEX: op::Dex(); break;
    case Operation::DEY: op::Dey(); break;
    case Operation::CLC: op::Clc(); break;
    case Operation::CLD: op::Cld(); break;
    case Operation::CLI: op::Cli(); break;
    case Operation::CLV: op::Clv(); break;
    case Operation::SEC: op::Sec(); break;
    case Operation::SED: op::Sed(); break;
    case Operation::SEI: op::Sei(); break;
    case Operation::PHA: op::Pha(); break;
    case Operation::PHP: op::Php(); break;
    case Operation::PLA: op::Pla(); break;
    case Operation::PLP: op::Plp(); break;
    case Operation::BCC: op::Bcc(); break;
    case Operation::BCS: op::Bcs(); break;
    case Operation::BEQ: op::Beq(); break;
    case Operation::BNE: op::Bne(); break;
    case Operation::BMI: op::Bmi(); break;
    case Operation::BPL: op::Bpl(); break;
    case Operation::BVC: op::Bvc(); break;
    case Operation::BVS: op::Bvs(); break;
    case Operation::JSR: op::Jsr(Address<M>()); break;
    case Operation::RTS: op::Rts(); break;
    case Operation::RTI: op::Rti(); break;
    case Operation::BRK: op::Brk(); break;
    // The table's own: JMP loads PC (through ReadPointer for the indirect form), and the
    // no-operations skip their length without reading anything.
    case Operation::JMP: C64.cpu.PC = Address<M>(); break;
    case Operation::NOP: op::AdvancePc(L); break;
    case Operation::JAM: HaltMachine();
  }
}

// ---- One instruction -----------------------------------------------------------------

// One function per opcode with its operand fetch, operation, ReadByte/WriteByte and flag
// helpers all inlined (flatten); the switch below only jumps to it. Inlining all 256
// bodies into the switch itself would exceed the compiler's growth limits and leave the
// small helpers as calls.
template <std::uint8_t kOpcode>
[[gnu::flatten, gnu::noinline]] void Execute() {
  constexpr OpcodeInfo row = OpcodeTable[kOpcode];
  constexpr AddressingMode M = row.mode;
  constexpr std::uint8_t L = row.length;
  Operate<row.operation, M, L>();
  if constexpr (row.cycles > 0) C64.cpu.stallCycles = row.cycles - 1;
}

// ---- One instruction as the chip does it ---------------------------------------------

constexpr bool IsReadModifyWrite(const OpcodeInfo& row) {
  switch (row.operation) {
    case Operation::ASL:
    case Operation::LSR:
    case Operation::ROL:
    case Operation::ROR: return row.mode != Acc;
    case Operation::INC:
    case Operation::DEC:
    case Operation::SLO:
    case Operation::RLA:
    case Operation::SRE:
    case Operation::RRA:
    case Operation::DCP:
    case Operation::ISC: return true;
    default: return false;
  }
}

// The reads that take a cycle more when the index carries into the high byte; stores and
// read-modify-write instructions always take that cycle, so their counts hold it already.
constexpr bool PaysForPageCrossing(const OpcodeInfo& row) {
  if (row.mode != AbsX && row.mode != AbsY && row.mode != IzY) return false;
  switch (row.operation) {
    case Operation::LDA:
    case Operation::LDX:
    case Operation::LDY:
    case Operation::LAX:
    case Operation::AND:
    case Operation::ORA:
    case Operation::EOR:
    case Operation::ADC:
    case Operation::SBC:
    case Operation::CMP:
    case Operation::LAS:
    case Operation::NOP: return true;
    default: return false;
  }
}

// Whether the index carries into the high byte of the effective address.
template <AddressingMode M>
inline bool IndexCrossesPage() {
  std::uint16_t base = 0;
  std::uint8_t index = 0;
  if constexpr (M == IzY) {
    const std::uint8_t zp = OperandLow();
    base =
        static_cast<std::uint16_t>(ReadByte(static_cast<std::uint8_t>(zp + 1)) << 8 | ReadByte(zp));
    index = C64.cpu.Y;
  } else {
    base = OperandWord();
    index = M == AbsX ? C64.cpu.X : C64.cpu.Y;
  }
  return ((base & 0xFF) + index) > 0xFF;
}

template <Operation kOperation>
inline bool BranchTaken() {
  switch (kOperation) {
    case Operation::BCC: return !FlagSet(kFlagC);
    case Operation::BCS: return FlagSet(kFlagC);
    case Operation::BEQ: return FlagSet(kFlagZ);
    case Operation::BNE: return !FlagSet(kFlagZ);
    case Operation::BMI: return FlagSet(kFlagN);
    case Operation::BPL: return !FlagSet(kFlagN);
    case Operation::BVC: return !FlagSet(kFlagV);
    default: return FlagSet(kFlagV);  // BVS
  }
}

template <std::uint8_t kOpcode>
[[gnu::flatten, gnu::noinline]] InterruptPoll ExecuteAccurate() {
  constexpr OpcodeInfo row = OpcodeTable[kOpcode];
  constexpr AddressingMode M = row.mode;
  constexpr std::uint8_t L = row.length;
  std::uint8_t cycles = row.chipCycles;
  InterruptPoll poll = InterruptPoll::kInLastCycle;
  if constexpr (IsReadModifyWrite(row)) {
    op::ChipReadModifyWrite<row.operation>(Address<M>(), L);
  } else if constexpr (M == Rel) {
    if (BranchTaken<row.operation>()) {
      const std::uint16_t next = static_cast<std::uint16_t>(C64.cpu.PC + 2);
      Operate<row.operation, M, L>();
      const bool crosses = ((next ^ C64.cpu.PC) & 0xFF00) != 0;
      cycles = static_cast<std::uint8_t>(cycles + (crosses ? 2 : 1));
      if (!crosses) poll = InterruptPoll::kOneCycleEarlier;
    } else {
      op::AdvancePc(2);
    }
  } else {
    if constexpr (PaysForPageCrossing(row)) {
      if (IndexCrossesPage<M>()) ++cycles;
    }
    Operate<row.operation, M, L>();
    if constexpr (row.operation == Operation::CLI || row.operation == Operation::SEI ||
                  row.operation == Operation::PLP) {
      poll = InterruptPoll::kWithFormerI;
    }
  }
  if constexpr (row.chipCycles > 0) C64.cpu.stallCycles = static_cast<std::uint8_t>(cycles - 1);
  return poll;
}

}  // namespace

// clang-format off
#define CASE(n) case n: Execute<n>(); return;
#define CASES16(h)                                                                  \
  CASE(h + 0x0) CASE(h + 0x1) CASE(h + 0x2) CASE(h + 0x3) CASE(h + 0x4) CASE(h + 0x5) \
  CASE(h + 0x6) CASE(h + 0x7) CASE(h + 0x8) CASE(h + 0x9) CASE(h + 0xA) CASE(h + 0xB) \
  CASE(h + 0xC) CASE(h + 0xD) CASE(h + 0xE) CASE(h + 0xF)

void ExecuteInstruction(std::uint8_t opcode) {
  switch (opcode) {
    CASES16(0x00) CASES16(0x10) CASES16(0x20) CASES16(0x30)
    CASES16(0x40) CASES16(0x50) CASES16(0x60) CASES16(0x70)
    CASES16(0x80) CASES16(0x90) CASES16(0xA0) CASES16(0xB0)
    CASES16(0xC0) CASES16(0xD0) CASES16(0xE0) CASES16(0xF0)
  }
}

#undef CASE
#define CASE(n) case n: return ExecuteAccurate<n>();

InterruptPoll ExecuteInstructionAccurate(std::uint8_t opcode) {
  switch (opcode) {
    CASES16(0x00) CASES16(0x10) CASES16(0x20) CASES16(0x30)
    CASES16(0x40) CASES16(0x50) CASES16(0x60) CASES16(0x70)
    CASES16(0x80) CASES16(0x90) CASES16(0xA0) CASES16(0xB0)
    CASES16(0xC0) CASES16(0xD0) CASES16(0xE0) CASES16(0xF0)
  }
  return InterruptPoll::kInLastCycle;
}
// clang-format on

#undef CASES16
#undef CASE

}  // namespace core
