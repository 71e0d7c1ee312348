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
  std::uint8_t cycles;  // the classic charge; stallCycles gets cycles - 1 (0 for JAM)
  // The 6510's own base count, which the accurate machine charges (0 for JAM), before a
  // page crossing's or a taken branch's extra cycles.
  std::uint8_t chipCycles;
  Operation operation;
};

extern const OpcodeInfo OpcodeTable[256];

// Executes the instruction whose opcode byte (already read at C64.cpu.PC) is given: fetches
// the operand, applies the operation, advances or replaces PC and sets C64.cpu.stallCycles to
// the charge minus one. A halting opcode calls HaltMachine.
void ExecuteInstruction(std::uint8_t opcode);

// The same as the 6510 does it, for the accurate machine: stallCycles gets the chip's
// count minus one, with a cycle more for an indexed read that crosses a page and for a
// taken branch (two when its target is on another page), and read-modify-write
// instructions write the unchanged byte before the result. Returns when the instruction
// polls the interrupt input.
enum class InterruptPoll : std::uint8_t {
  kInLastCycle,      // in the cycle before the last, with I as the instruction left it
  kWithFormerI,      // CLI, SEI and PLP: with I as it was, the change counts one later
  kOneCycleEarlier,  // a taken branch that stays on its page
};
InterruptPoll ExecuteInstructionAccurate(std::uint8_t opcode);

}  // namespace core
