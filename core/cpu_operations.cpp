// The less frequent operations: decimal ADC/SBC, BRK, and the two undocumented operations
// whose result is not trusted and which therefore leave a warning in the debug log.
#include "core/cpu_operations.h"

#include <cinttypes>
#include <cstdio>

#include "core/debug_log.h"

namespace core {

namespace op {

// Decimal add, nibble by nibble. N and V come from the sum before the high-nibble
// correction, Z from the plain binary sum.
void AddDecimal(std::uint8_t value) {
  const unsigned a = C64.cpu.A;
  const unsigned carry = CarryIn();
  unsigned low = (a & 0x0F) + (value & 0x0F) + carry;
  if (low >= 0x0A) {
    low += 6;
    if (low >= 0x20) low = (low & 0x0F) + 0x10;
  }
  unsigned sum = (a & 0xF0) + (value & 0xF0) + low;
  PutFlag(kFlagN, (sum & 0x80) != 0);
  PutFlag(kFlagV, (~(a ^ value) & (a ^ sum) & 0x80) != 0);
  PutFlag(kFlagZ, ((a + value + carry) & 0xFF) == 0);
  if (sum >= 0xA0) {
    SetFlag(kFlagC);
    sum += 0x60;
  } else {
    ClearFlag(kFlagC);
  }
  C64.cpu.A = static_cast<std::uint8_t>(sum);
}

// Decimal subtract. The low nibble is computed with $100 added, so a value below $100
// means it borrowed; N and V come from the uncorrected difference, Z from the binary one.
void SubtractDecimal(std::uint8_t value) {
  const unsigned a = C64.cpu.A;
  const unsigned borrow = 1 - CarryIn();
  std::uint16_t low = static_cast<std::uint16_t>(0x100 + (a & 0x0F) - (value & 0x0F) - borrow);
  if (low < 0x100) {
    low = static_cast<std::uint16_t>(low - 6);
    if (low < 0xF0) low = static_cast<std::uint16_t>(low + 0x10);
  }
  std::uint16_t difference = static_cast<std::uint16_t>(low + (a & 0xF0) - (value & 0xF0));
  PutFlag(kFlagN, (difference & 0x80) != 0);
  PutFlag(kFlagZ, ((a - value - borrow) & 0xFF) == 0);
  PutFlag(kFlagV, ((a ^ value) & ~(difference ^ value) & 0x80) != 0);
  if (difference >= 0x100) {
    SetFlag(kFlagC);
  } else {
    ClearFlag(kFlagC);
    difference = static_cast<std::uint8_t>(difference - 0x60);
  }
  C64.cpu.A = static_cast<std::uint8_t>(difference);
}

void Las(std::uint8_t value, std::uint8_t length) {
  char warning[64];
  std::snprintf(warning, sizeof warning, "%" PRId64 "> Opcode with Errors: LAE/LAS/LAR",
                C64.cpu.instructionCount);
  AppendDebugLog(warning);
  C64.cpu.A = C64.cpu.X = C64.cpu.SP = static_cast<std::uint8_t>(C64.cpu.SP & value);
  SetNZ(C64.cpu.A);
  AdvancePc(length);
}

void Arr(std::uint16_t address, std::uint8_t length) {
  AppendDebugLog("ARR was used - opcode not correct implemented yet!");
  const std::uint8_t t = static_cast<std::uint8_t>(C64.cpu.A & ReadByte(address));
  C64.cpu.A = static_cast<std::uint8_t>(t >> 1 | CarryIn() << 7);
  SetNZ(C64.cpu.A);
  PutFlag(kFlagC, (t & 0x80) != 0);
  PutFlag(kFlagV, (((t >> 7) ^ (t >> 6)) & 0x01) != 0);
  AdvancePc(length);
}

void EnterHandler(std::uint8_t pushedStatus, std::uint16_t vector) {
  Push(static_cast<std::uint8_t>(C64.cpu.PC >> 8));
  Push(static_cast<std::uint8_t>(C64.cpu.PC));
  Push(pushedStatus);
  // The vector is read from the images directly: the KERNAL ROM's while HIRAM is set,
  // else the RAM's.
  const std::uint8_t* image = PortBitSet(kPortHiram) ? C64.memory.romMap : C64.memory.ram;
  C64.cpu.PC = static_cast<std::uint16_t>(image[vector + 1] << 8 | image[vector]);
  SetFlag(kFlagI);
}

void Brk() {
  C64.cpu.PC = static_cast<std::uint16_t>(C64.cpu.PC + 2);
  SetFlag(kFlagB);
  EnterHandler(C64.cpu.P);
}

}  // namespace op

}  // namespace core
