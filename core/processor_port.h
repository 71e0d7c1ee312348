// The 6510's on-chip port at $0000/$0001: its bank bits as the memory map decodes them,
// and the two register writes that recompute the port's effective value.
#pragma once

#include <cstdint>

#include "core/machine.h"

namespace core {

inline bool PortBitSet(int bit) {
  return (C64.memory.ram[0x0001] & C64.cpu.flagMasks[bit]) != 0;
}

// I/O is visible at $D000 when CHAREN is set and at least one of LORAM and HIRAM.
inline bool IoVisible() {
  return PortBitSet(kPortCharen) && (PortBitSet(kPortLoram) || PortBitSet(kPortHiram));
}

// Writes to $0000 and $0001 recompute the effective port value.
void WriteDataDirection(std::uint8_t value);
void WritePort(std::uint8_t value);

}  // namespace core
