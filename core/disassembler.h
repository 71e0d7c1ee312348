// The disassembler of the debug window: one instruction's assembler text from its bytes,
// with the opcode table's names for the documented and undocumented opcodes alike, and a
// listing around PC that starts a few instructions before it, found by scanning back.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace core {

// Memory as the listing reads it: a plain array in tests, PeekByte for the machine.
using MemoryReader = std::function<std::uint8_t(std::uint16_t)>;

struct DisassembledInstruction {
  std::uint16_t address = 0;
  std::uint8_t length = 1;  // 1 to 3 bytes, wrapping past $FFFF
  std::uint8_t bytes[3] = {0, 0, 0};
  std::string text;  // "LDA #$01", "BNE $C005", "SLO ($12,X)"
};

DisassembledInstruction DisassembleAt(const MemoryReader& read, std::uint16_t address);

// Where to start decoding so that about `before` whole instructions lie between the start
// and `pc` and the last of them ends exactly at `pc`. Code and data cannot be told apart
// from the bytes alone: of the starts that fall into step with `pc`, the one whose
// instructions hold the fewest undocumented opcodes and BRKs wins (data decodes into
// many), then the one that keeps the most instructions in step. `pc` itself when none
// does.
std::uint16_t BackScanStart(const MemoryReader& read, std::uint16_t pc, int before);

// `total` instructions: up to `before` before `pc` (as BackScanStart finds them), the one
// at `pc`, and the rest after it.
std::vector<DisassembledInstruction> DisassembleAround(const MemoryReader& read, std::uint16_t pc,
                                                       int before, int total);

// "> C000  A9 01     LDA #$01" for the instruction at PC, two blanks in front otherwise.
std::string FormatDisassemblyLine(const DisassembledInstruction& instruction, bool atPc);

// The debug window's listing around the machine's PC, read as the processor sees memory
// without reading the chips' registers for it; lines end in "\n". The pass lock is held.
std::string DisassemblyAroundPc();

}  // namespace core
