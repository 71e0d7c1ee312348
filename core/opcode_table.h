// The 6510's 256 opcodes: operation, addressing mode, length and this machine's own cycle
// charge, and the dispatch that executes one instruction.
#pragma once

#include <cstdint>

namespace core {

enum class AddressingMode : std::uint8_t {
  kImplied,
  kAccumulator,
  kImmediate,
  kZeroPage,
  kZeroPageX,
  kZeroPageY,
  kAbsolute,
  kAbsoluteX,
  kAbsoluteY,
  kIndexedIndirect,  // (zp,X)
  kIndirectIndexed,  // (zp),Y
  kIndirect,         // (abs)
  kRelative,
};

// Instruction length in bytes that follows from the addressing mode.
constexpr std::uint8_t ModeLength(AddressingMode mode) {
  switch (mode) {
    case AddressingMode::kImplied:
    case AddressingMode::kAccumulator: return 1;
    case AddressingMode::kAbsolute:
    case AddressingMode::kAbsoluteX:
    case AddressingMode::kAbsoluteY:
    case AddressingMode::kIndirect: return 3;
    default: return 2;
  }
}

// The operations, named by their mnemonics (the undocumented ones included; JAM halts).
// clang-format off
enum class Operation : std::uint8_t {
  ADC, AND, ASL, BCC, BCS, BEQ, BIT, BMI, BNE, BPL, BRK, BVC, BVS, CLC, CLD, CLI, CLV,
  CMP, CPX, CPY, DEC, DEX, DEY, EOR, INC, INX, INY, JMP, JSR, LDA, LDX, LDY, LSR, NOP,
  ORA, PHA, PHP, PLA, PLP, ROL, ROR, RTI, RTS, SBC, SEC, SED, SEI, STA, STX, STY, TAX,
  TAY, TSX, TXA, TXS, TYA,
  ALR, ANC, ANE, ARR, DCP, ISC, JAM, LAS, LAX, LXA, RLA, RRA, SAX, SBX, SHA, SHS, SHX,
  SHY, SLO, SRE,
};
// clang-format on

struct OpcodeInfo {
  const char* mnemonic;
  AddressingMode mode;
  std::uint8_t length;
  std::uint8_t cycles;  // the charge; C64.cpu.stallCycles gets cycles - 1 (0 for the JAM entries)
  Operation operation;
};

extern const OpcodeInfo OpcodeTable[256];

// Executes the instruction whose opcode byte (already read at C64.cpu.PC) is given: fetches
// the operand, applies the operation, advances or replaces PC and sets C64.cpu.stallCycles to
// the charge minus one. A halting opcode calls HaltMachine.
void ExecuteInstruction(std::uint8_t opcode);

}  // namespace core
