// The video chip's registers as the processor reaches them, and the end of each raster
// line, where the run loop hands the chip its timing: the raster counter, the raster
// register, and the interrupt at each frame start (classic) or at the compare line and
// through $D019/$D01A (accurate).
#pragma once

#include <cstdint>

#include "core/host_hooks.h"
#include "core/machine.h"

namespace core {

// A read shows the I/O image's byte at the address itself; a write lands in the register
// file at $D000 + (address & $3F), so the registers repeat every 64 bytes for writes.
inline std::uint8_t VicRead(std::uint16_t address) {
  return C64.memory.ioImage[address];
}
inline void VicWrite(std::uint16_t address, std::uint8_t value) {
  C64.memory.ioImage[0xD000 + (address & 0x3F)] = value;
}

// The raster counter moves on to the next line; returns true when that line is the first
// of a new frame. The raster register sits in the I/O image whatever the processor port
// shows; the RAM under the I/O area keeps what the program wrote.
inline bool AdvanceRasterLine() {
  VideoChip& vic = C64.vic;
  const bool frameBegins = vic.rasterLine == LinesPerFrame;
  if (frameBegins) vic.rasterLine = 0;
  C64.memory.ioImage[0xD012] = static_cast<std::uint8_t>(vic.rasterLine);
  ++vic.rasterLine;
  vic.lineCyclesLeft = CyclesPerLine;
  return frameBegins;
}

// Called when the current line's cycles are used up (and once before the first line):
// the next line begins, and a new frame raises the interrupt line.
inline bool VicEndOfLine() {
  const bool frameBegins = AdvanceRasterLine();
  if (frameBegins) C64.vic.irq = 1;
  return frameBegins;
}

// ---- The accurate machine's video chip -----------------------------------------------

// The line being drawn, 0 to 311.
inline std::uint16_t CurrentRasterLine() {
  const std::uint16_t next = C64.vic.rasterLine;
  return static_cast<std::uint16_t>(next == 0 ? 0 : next - 1);
}

inline void UpdateVicInterrupt() {
  VideoChip& vic = C64.vic;
  vic.irq = (vic.interruptLatch & vic.interruptMask & 0x0F) != 0 ? 1 : 0;
}

inline void LatchVicInterrupt(std::uint8_t source) {
  C64.vic.interruptLatch |= source;
  UpdateVicInterrupt();
}

// The raster compare is made when a line begins, and when the compare line is written
// while that line is being drawn.
inline void CompareRasterLine() {
  if (CurrentRasterLine() == C64.vic.rasterCompare) LatchVicInterrupt(0x01);
}

// The line that begins is sequenced with the registers as they stand, drawn by the host,
// and its collisions latched; the processor then owes the cycles the chip takes from it,
// paid before its next cycle of its own (the CIAs and the raster count on meanwhile).
inline bool VicEndOfLineAccurate() {
  const bool frameBegins = AdvanceRasterLine();
  CompareRasterLine();
  const std::uint16_t line = CurrentRasterLine();
  VicRaster& raster = C64.vic.raster;
  raster.BeginLine(line, &C64.memory.ioImage[0xD000]);
  if (const auto draw = InstalledHostHooks().drawRasterLine) draw(line);
  if (const std::uint8_t sources = raster.LatchCollisions()) LatchVicInterrupt(sources);
  C64.cpu.stallCycles = static_cast<std::uint8_t>(C64.cpu.stallCycles + raster.StolenCycles());
  return frameBegins;
}

// A collision register reads its latch and clears it.
inline std::uint8_t TakeLatch(std::uint8_t& latch) {
  const std::uint8_t value = latch;
  latch = 0;
  return value;
}

// The 47 registers repeat every 64 bytes; $D02F-$D03F read $FF. $D01E and $D01F read the
// collisions latched since they were last read, and clear them. $D011 bit 7 and $D012 read
// the current line and write the compare line; $D019 reads its latches with bit 7 set when
// an enabled one is, and a 1 written to a latch bit clears it; the unused bits of $D019
// and $D01A read 1.
inline std::uint8_t VicReadAccurate(std::uint16_t address) {
  const unsigned reg = address & 0x3F;
  const VideoChip& vic = C64.vic;
  switch (reg) {
    case 0x11:
      return static_cast<std::uint8_t>((C64.memory.ioImage[0xD011] & 0x7F) |
                                       ((CurrentRasterLine() & 0x100) >> 1));
    case 0x12: return static_cast<std::uint8_t>(CurrentRasterLine());
    case 0x19: return static_cast<std::uint8_t>(vic.interruptLatch | 0x70 | (vic.irq ? 0x80 : 0));
    case 0x1A: return static_cast<std::uint8_t>(vic.interruptMask | 0xF0);
    case 0x1E: return TakeLatch(C64.vic.raster.spriteSpriteLatch);
    case 0x1F: return TakeLatch(C64.vic.raster.spriteBackgroundLatch);
    default: return reg >= 0x2F ? 0xFF : C64.memory.ioImage[0xD000 + reg];
  }
}

inline void VicWriteAccurate(std::uint16_t address, std::uint8_t value) {
  const unsigned reg = address & 0x3F;
  VideoChip& vic = C64.vic;
  switch (reg) {
    case 0x11:
      C64.memory.ioImage[0xD011] = value;
      vic.rasterCompare =
          static_cast<std::uint16_t>((vic.rasterCompare & 0xFF) | (value & 0x80) << 1);
      CompareRasterLine();
      break;
    case 0x12:
      vic.rasterCompare = static_cast<std::uint16_t>((vic.rasterCompare & 0x100) | value);
      CompareRasterLine();
      break;
    case 0x19:
      vic.interruptLatch &= static_cast<std::uint8_t>(~value & 0x0F);
      UpdateVicInterrupt();
      break;
    case 0x1A:
      vic.interruptMask = value & 0x0F;
      UpdateVicInterrupt();
      break;
    default:
      if (reg < 0x2F) C64.memory.ioImage[0xD000 + reg] = value;
      break;
  }
}

}  // namespace core
