// The processor's and the video chip's views of the 64 KB address space: bank decode by
// the processor port, the I/O window's dispatch by page to the chips, and the three
// address helpers of the opcode table. ReadByte and WriteByte run for every memory
// access, so they are inline range comparisons on the address.
#pragma once

#include <cstdint>

#include "core/chips/cia1.h"
#include "core/chips/cia_ports.h"
#include "core/chips/video_chip.h"
#include "core/machine.h"
#include "core/processor_port.h"

namespace core {

// The I/O area as the processor reaches it: one dispatch by page to the chip that answers
// there, as the running model has it. The sound chip answers at $D400-$D7FF, its 32
// registers repeated; colour RAM and the two I/O areas are plain bytes.
inline std::uint8_t ReadIo(std::uint16_t address) {
  const bool accurate = C64.model == MachineModel::kAccurate;
  switch ((address >> 8) & 0x0F) {
    case 0x0:
    case 0x1:
    case 0x2:
    case 0x3: return accurate ? VicReadAccurate(address) : VicRead(address);
    case 0x4:
    case 0x5:
    case 0x6:
    case 0x7: return C64.sid.Read(static_cast<std::uint8_t>(address & 0x1F));
    case 0xC: return accurate ? Cia1ReadAccurate(address) : Cia1Read(address);
    case 0xD: return accurate ? Cia2ReadAccurate(address) : Cia2Read(address);
    default: return C64.memory.ioImage[address];
  }
}

inline void WriteIo(std::uint16_t address, std::uint8_t value) {
  const bool accurate = C64.model == MachineModel::kAccurate;
  switch ((address >> 8) & 0x0F) {
    case 0x0:
    case 0x1:
    case 0x2:
    case 0x3: accurate ? VicWriteAccurate(address, value) : VicWrite(address, value); break;
    case 0x4:
    case 0x5:
    case 0x6:
    case 0x7:
      // The I/O image keeps the byte too: --dump-io and the debug views show what was
      // written.
      C64.sid.Write(static_cast<std::uint8_t>(address & 0x1F), value);
      C64.memory.ioImage[address] = value;
      break;
    case 0xC: accurate ? Cia1WriteAccurate(address, value) : Cia1Write(address, value); break;
    case 0xD:
      accurate ? Cia2WriteAccurate(address, value) : void(C64.memory.ioImage[address] = value);
      break;
    default: C64.memory.ioImage[address] = value; break;
  }
}

// The video chip's view, its own path to memory that only the renderers take: RAM
// everywhere except the character ROM copies at $1000-$1FFF and $9000-$9FFF (which show in
// banks 0 and 2). The I/O chips are the processor's alone, so the video chip reads RAM at
// $D000-$DFFF in every bank; the processor port plays no part.
inline std::uint8_t ReadVideoByte(std::uint16_t address) {
  if ((address & 0x7000) == 0x1000) return C64.memory.romMap[address];  // $1000-$1FFF, $9000-$9FFF
  return C64.memory.ram[address];
}

// $A000-$FFFF by the port's bank decode.
std::uint8_t ReadBankedByte(std::uint16_t address);

// The processor's view. Below $A000 it always sees RAM; only the rest needs the bank decode.
inline std::uint8_t ReadByte(std::uint16_t address) {
  if (address < 0xA000) return C64.memory.ram[address];
  return ReadBankedByte(address);
}

// The processor's view without the side effect of reading: $DC0D, its mirrors and $DD0D
// show their bytes but do not acknowledge the interrupt. For the host looking at memory as the
// processor would (a file name the KERNAL was given), never for the processor itself.
inline std::uint8_t PeekByte(std::uint16_t address) {
  // Reads change only the chips: the classic acknowledge ($DC0D, its mirrors, $DD0D), and
  // the 6526s' interrupt control and time-of-day latch. The sound chip's reads only run
  // its owed cycles early, which gives the same results as running them later.
  const std::uint8_t videoLine = C64.vic.irq;
  const std::uint8_t ciaLine = C64.classicCia1.irq;
  const Cia6526 cia1 = C64.cia1;
  const Cia6526 cia2 = C64.cia2;
  const CiaClock ciaClock = C64.ciaClock;
  const NmiInput nmi = C64.nmi;
  const std::uint8_t byte = ReadByte(address);
  C64.vic.irq = videoLine;
  C64.classicCia1.irq = ciaLine;
  C64.cia1 = cia1;
  C64.cia2 = cia2;
  C64.ciaClock = ciaClock;
  C64.nmi = nmi;
  return byte;
}

inline void WriteByte(std::uint16_t address, std::uint8_t value) {
  if (address >= 0xD000 && address < 0xE000) {
    if (IoVisible()) {
      WriteIo(address, value);
    } else {
      C64.memory.ram[address] = value;
    }
    return;
  }
  if (address >= 0x0002) {
    C64.memory.ram[address] = value;
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
