// The 6510's 256 opcodes: operation, addressing mode, length and this machine's own cycle
// charge, and the dispatch that executes one instruction.
#pragma once

#include <cstdint>

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

struct OpcodeInfo {
  const char* mnemonic;
  AddressingMode mode;
  std::uint8_t length;
  std::uint8_t cycles;
};

extern const OpcodeInfo OpcodeTable[256];

// Executes the instruction whose opcode byte (already read at Cpu.PC) is given: fetches
// the operand, applies the operation, advances or replaces PC and sets StallCycles to
// the charge minus one. A halting opcode calls HaltMachine.
void ExecuteInstruction(std::uint8_t opcode);
