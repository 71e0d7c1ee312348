// The processor's and the video chip's views of the 64 KB address space: bank decode by
// the processor port, the I/O window with the keyboard scan and interrupt acknowledge,
// and the three address helpers of the opcode table. ReadByte and WriteByte run for
// every memory access, so they are inline range comparisons on the address.
#pragma once

#include <cstdint>

#include "core/machine_state.h"

namespace core {

// The keyboard scan: the rows selected by the byte last written to CIA 1 port A, ANDed
// together.
inline std::uint8_t ScanKeyboard() {
  const std::uint8_t select = IoImage[0xDC00];
  std::uint8_t result = (select & 0x80) ? 0xFF : KeyMatrix[7].load(std::memory_order_relaxed);
  for (int row = 6; row >= 0; --row) {
    if ((select & (1u << row)) == 0) result &= KeyMatrix[row].load(std::memory_order_relaxed);
  }
  return result;
}

// CIA 1's port registers ($DC00 with reg 0, $DC01 with reg 1, and their mirrors). A
// joystick in port 1 pulls port B's lines, which the keyboard scan of either register
// returns; one in port 2 pulls port A's lines, so $DC00 reads the byte last written there
// ANDed with them and $DC01 the keyboard alone.
inline std::uint8_t ReadKeyboardPort(unsigned reg) {
  const std::uint8_t joystick = JoystickState.load(std::memory_order_relaxed);
  if (JoystickPort.load(std::memory_order_relaxed) == 2) {
    return reg == 0 ? static_cast<std::uint8_t>(IoImage[0xDC00] & joystick) : ScanKeyboard();
  }
  return ScanKeyboard() & joystick;
}

inline bool PortBitSet(int bit) {
  return (Ram[0x0001] & StatusFlagMasks[bit]) != 0;
}

// I/O is visible at $D000 when CHAREN is set and at least one of LORAM and HIRAM.
inline bool IoVisible() {
  return PortBitSet(kPortCharen) && (PortBitSet(kPortLoram) || PortBitSet(kPortHiram));
}

inline std::uint8_t ReadIo(std::uint16_t address) {
  if (address < 0xDC00) return IoImage[address];
  if (address < 0xDD00) {
    const unsigned reg = address & 0x0F;
    if (reg <= 1) return ReadKeyboardPort(reg);
    if (reg == 0x0D) IrqPending = 0;
    return IoImage[address];
  }
  if (address == 0xDD0D) IrqPending = 0;
  return IoImage[address];
}

// The video chip's view, its own path to memory that only the renderers take: RAM
// everywhere except the character ROM copies at $1000-$1FFF and $9000-$9FFF (which show in
// banks 0 and 2). The I/O chips are the processor's alone, so the video chip reads RAM at
// $D000-$DFFF in every bank; the processor port plays no part.
inline std::uint8_t ReadVideoByte(std::uint16_t address) {
  if ((address & 0x7000) == 0x1000) return RomMap[address];  // $1000-$1FFF, $9000-$9FFF
  return Ram[address];
}

// $A000-$FFFF by the port's bank decode.
std::uint8_t ReadBankedByte(std::uint16_t address);

// The processor's view. Below $A000 it always sees RAM; only the rest needs the bank decode.
inline std::uint8_t ReadByte(std::uint16_t address) {
  if (address < 0xA000) return Ram[address];
  return ReadBankedByte(address);
}

// The processor's view without the side effect of reading: $DC0D, its mirrors and $DD0D
// show their bytes but do not acknowledge the interrupt. For the host looking at memory as the
// processor would (a file name the KERNAL was given), never for the processor itself.
inline std::uint8_t PeekByte(std::uint16_t address) {
  // The acknowledge ($DC0D, its mirrors, $DD0D) is the only side effect of a read.
  const std::uint8_t pending = IrqPending;
  const std::uint8_t byte = ReadByte(address);
  IrqPending = pending;
  return byte;
}

// Writes to $0000 and $0001 recompute the effective port value.
void WriteDataDirection(std::uint8_t value);
void WritePort(std::uint8_t value);

inline void WriteByte(std::uint16_t address, std::uint8_t value) {
  if (address >= 0xD000 && address < 0xE000) {
    if (IoVisible()) {
      if (address < 0xD400) {
        IoImage[0xD000 + (address & 0x3F)] = value;
      } else {
        IoImage[address] = value;
      }
    } else {
      Ram[address] = value;
    }
    return;
  }
  if (address >= 0x0002) {
    Ram[address] = value;
  } else if (address == 0x0000) {
    WriteDataDirection(value);
  } else {
    WritePort(value);
  }
}

// The little-endian word at high*256+low; the high byte comes from the same page when
// low is $FF (the indirect jump's page wrap).
std::uint16_t ReadPointer(std::uint8_t low, std::uint8_t high);
// (zp,X): pointer at (zp+X) mod 256; returns the address or the byte there.
std::uint16_t FetchIndexedIndirect(std::uint8_t zp, bool wantAddress);
// (zp),Y: pointer at zp, plus Y; returns the address or the byte there.
std::uint16_t FetchIndirectIndexed(std::uint8_t zp, bool wantAddress);

}  // namespace core
