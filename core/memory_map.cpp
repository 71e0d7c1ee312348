// The processor port's two registers and the address helpers of the opcode table.
#include "core/memory_map.h"

namespace core {

namespace {

// Port bits 0-4 read 1 while they are inputs (pulled up) and 0 while they are outputs,
// before the output bits are filled in.
std::uint8_t PortWithInputsPulledUp(std::uint8_t direction) {
  std::uint8_t port = C64.memory.ram[0x0001];
  for (int bit = 0; bit <= 4; ++bit) {
    const std::uint8_t mask = C64.cpu.flagMasks[bit];
    if ((direction & mask) == 0) {
      port |= mask;
    } else {
      port &= static_cast<std::uint8_t>(~mask);
    }
  }
  return port;
}

}  // namespace

std::uint8_t ReadBankedByte(std::uint16_t address) {
  const bool hiram = PortBitSet(kPortHiram);
  if (address >= 0xE000) return hiram ? C64.memory.romMap[address] : C64.memory.ram[address];
  if (address < 0xA000 || (address >= 0xC000 && address < 0xD000)) return C64.memory.ram[address];
  const bool loram = PortBitSet(kPortLoram);
  if (address < 0xC000)
    return (loram && hiram) ? C64.memory.romMap[address] : C64.memory.ram[address];
  if (!loram && !hiram) return C64.memory.ram[address];
  if (!PortBitSet(kPortCharen)) return C64.memory.romMap[address];
  return ReadIo(address);
}

void WriteDataDirection(std::uint8_t value) {
  C64.memory.ram[0x0000] = value;
  std::uint8_t port = PortWithInputsPulledUp(value);
  for (int bit = 0; bit <= 5; ++bit) {
    const std::uint8_t mask = C64.cpu.flagMasks[bit];
    if ((value & mask) == 0) continue;
    // Only the port write lets bits 3 and 5 follow a value; here they read 0.
    const bool fromLatch = bit != 3 && bit != 5 && (C64.memory.portLatch & mask) != 0;
    if (fromLatch) {
      port |= mask;
    } else {
      port &= static_cast<std::uint8_t>(~mask);
    }
  }
  C64.memory.ram[0x0001] = port;
}

void WritePort(std::uint8_t value) {
  C64.memory.portLatch = value;
  const std::uint8_t direction = C64.memory.ram[0x0000];
  std::uint8_t port = PortWithInputsPulledUp(direction);
  for (int bit = 0; bit <= 5; ++bit) {
    const std::uint8_t mask = C64.cpu.flagMasks[bit];
    if ((direction & mask) == 0) continue;
    if (value & mask) {
      port |= mask;
    } else {
      port &= static_cast<std::uint8_t>(~mask);
    }
  }
  C64.memory.ram[0x0001] = port;
}

std::uint16_t ReadPointer(std::uint8_t low, std::uint8_t high) {
  const std::uint16_t address = static_cast<std::uint16_t>(high << 8 | low);
  const std::uint16_t next =
      low == 0xFF ? static_cast<std::uint16_t>(high << 8) : static_cast<std::uint16_t>(address + 1);
  const std::uint8_t lo = ReadByte(address);
  return static_cast<std::uint16_t>(ReadByte(next) << 8 | lo);
}

std::uint16_t FetchIndexedIndirect(std::uint8_t zp, bool wantAddress) {
  const std::uint8_t pointer = static_cast<std::uint8_t>(zp + C64.cpu.X);
  const std::uint8_t high = ReadByte(static_cast<std::uint8_t>(pointer + 1));
  const std::uint8_t low = ReadByte(pointer);
  const std::uint16_t address = static_cast<std::uint16_t>(high << 8 | low);
  return wantAddress ? address : ReadByte(address);
}

std::uint16_t FetchIndirectIndexed(std::uint8_t zp, bool wantAddress) {
  const std::uint8_t high = ReadByte(static_cast<std::uint8_t>(zp + 1));
  const std::uint8_t low = ReadByte(zp);
  const std::uint16_t address = static_cast<std::uint16_t>((high << 8 | low) + C64.cpu.Y);
  return wantAddress ? address : ReadByte(address);
}

}  // namespace core
