// Placeholder table: every opcode a one-byte no-operation until the CPU work lands.
#include "core/opcode_table.h"

#include "core/machine_state.h"

const OpcodeInfo OpcodeTable[256] = {};

void ExecuteInstruction(std::uint8_t) {
  Cpu.PC = static_cast<std::uint16_t>(Cpu.PC + 1);
  StallCycles = 0;
}
