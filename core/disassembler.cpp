// The disassembler: operands formatted by addressing mode, relative branches shown as
// their target, and the back-scan that finds a start a few instructions before PC.
#include "core/disassembler.h"

#include <cassert>
#include <cstdio>

#include "core/machine.h"
#include "core/memory_map.h"
#include "core/opcode_table.h"

namespace core {

namespace {

// Opcodes that suggest data rather than code: the undocumented ones (the table's
// documented NOP is $EA and its documented SBC immediate $E9; the other rows with those
// operations are the chip's undocumented duplicates), and BRK, a zero byte.
bool Suspect(std::uint8_t opcode) {
  const Operation operation = OpcodeTable[opcode].operation;
  if (operation >= Operation::ALR || operation == Operation::BRK) return true;
  if (operation == Operation::NOP) return opcode != 0xEA;
  return opcode == 0xEB;
}

std::string OperandText(AddressingMode mode, const std::uint8_t* bytes, std::uint16_t next) {
  char text[16];
  const unsigned zp = bytes[1];
  const unsigned word = bytes[1] | (bytes[2] << 8);
  switch (mode) {
    case AddressingMode::kImplied: return "";
    case AddressingMode::kAccumulator: return " A";
    case AddressingMode::kImmediate: std::snprintf(text, sizeof text, " #$%02X", zp); break;
    case AddressingMode::kZeroPage: std::snprintf(text, sizeof text, " $%02X", zp); break;
    case AddressingMode::kZeroPageX: std::snprintf(text, sizeof text, " $%02X,X", zp); break;
    case AddressingMode::kZeroPageY: std::snprintf(text, sizeof text, " $%02X,Y", zp); break;
    case AddressingMode::kAbsolute: std::snprintf(text, sizeof text, " $%04X", word); break;
    case AddressingMode::kAbsoluteX: std::snprintf(text, sizeof text, " $%04X,X", word); break;
    case AddressingMode::kAbsoluteY: std::snprintf(text, sizeof text, " $%04X,Y", word); break;
    case AddressingMode::kIndexedIndirect:
      std::snprintf(text, sizeof text, " ($%02X,X)", zp);
      break;
    case AddressingMode::kIndirectIndexed:
      std::snprintf(text, sizeof text, " ($%02X),Y", zp);
      break;
    case AddressingMode::kIndirect: std::snprintf(text, sizeof text, " ($%04X)", word); break;
    case AddressingMode::kRelative: {
      const auto target = static_cast<std::uint16_t>(next + static_cast<std::int8_t>(bytes[1]));
      std::snprintf(text, sizeof text, " $%04X", target);
      break;
    }
  }
  return text;
}

}  // namespace

DisassembledInstruction DisassembleAt(const MemoryReader& read, std::uint16_t address) {
  DisassembledInstruction instruction;
  instruction.address = address;
  const OpcodeInfo& info = OpcodeTable[read(address)];
  assert(info.length >= 1 && info.length <= 3);
  instruction.length = info.length;
  for (int i = 0; i < info.length; ++i) {
    instruction.bytes[i] = read(static_cast<std::uint16_t>(address + i));
  }
  const auto next = static_cast<std::uint16_t>(address + info.length);
  instruction.text = std::string(info.mnemonic) + OperandText(info.mode, instruction.bytes, next);
  return instruction;
}

std::uint16_t BackScanStart(const MemoryReader& read, std::uint16_t pc, int before) {
  if (before <= 0) return pc;
  std::uint16_t best = pc;
  int bestSuspect = 0;
  int bestCount = 0;
  // Three bytes an instruction at most: no start further back can keep `before` of them
  // ending at PC that a nearer one could not.
  for (int back = 3 * before; back >= 1; --back) {
    const auto start = static_cast<std::uint16_t>(pc - back);
    int offset = 0;
    int count = 0;
    int suspect = 0;
    while (offset < back) {
      const std::uint8_t opcode = read(static_cast<std::uint16_t>(start + offset));
      offset += OpcodeTable[opcode].length;
      ++count;
      if (Suspect(opcode)) ++suspect;
    }
    if (offset != back || count < before) continue;  // out of step, or too few
    if (best == pc || suspect < bestSuspect || (suspect == bestSuspect && count > bestCount)) {
      best = start;
      bestSuspect = suspect;
      bestCount = count;
    }
  }
  if (best == pc) return pc;
  // Keep only the last `before` instructions of the chosen chain.
  std::uint16_t at = best;
  for (int skip = bestCount - before; skip > 0; --skip) {
    at = static_cast<std::uint16_t>(at + OpcodeTable[read(at)].length);
  }
  return at;
}

std::vector<DisassembledInstruction> DisassembleAround(const MemoryReader& read, std::uint16_t pc,
                                                       int before, int total) {
  std::vector<DisassembledInstruction> listing;
  listing.reserve(static_cast<std::size_t>(total > 0 ? total : 0));
  std::uint16_t at = BackScanStart(read, pc, before);
  while (static_cast<int>(listing.size()) < total) {
    listing.push_back(DisassembleAt(read, at));
    at = static_cast<std::uint16_t>(at + listing.back().length);
  }
  return listing;
}

std::string FormatDisassemblyLine(const DisassembledInstruction& instruction, bool atPc) {
  char bytes[12] = "";
  int used = 0;
  for (int i = 0; i < instruction.length; ++i) {
    used += std::snprintf(bytes + used, sizeof bytes - static_cast<std::size_t>(used), "%s%02X",
                          i == 0 ? "" : " ", instruction.bytes[i]);
  }
  char line[64];
  std::snprintf(line, sizeof line, "%s%04X  %-8s  %s", atPc ? "> " : "  ", instruction.address,
                bytes, instruction.text.c_str());
  return line;
}

std::string DisassemblyAroundPc() {
  constexpr int kBefore = 5;
  constexpr int kTotal = 16;
  const std::uint16_t pc = C64.cpu.PC;
  std::string text;
  for (const DisassembledInstruction& instruction : DisassembleAround(
           [](std::uint16_t address) { return PeekByte(address); }, pc, kBefore, kTotal)) {
    text += FormatDisassemblyLine(instruction, instruction.address == pc);
    text += '\n';
  }
  return text;
}

}  // namespace core
