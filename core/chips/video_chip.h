// The video chip's registers as the processor reaches them, and the end of each raster
// line, where the run loop hands the chip its timing: the raster counter, the raster
// register and the interrupt at each frame start.
#pragma once

#include <cstdint>

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

// Called when the current line's cycles are used up (and once before the first line):
// the next line begins. Returns true when that line is the first of a new frame, which
// raises the interrupt line. The raster register sits in the I/O image whatever the
// processor port shows; the RAM under the I/O area keeps what the program wrote.
inline bool VicEndOfLine() {
  VideoChip& vic = C64.vic;
  const bool frameBegins = vic.rasterLine == LinesPerFrame;
  if (frameBegins) {
    vic.rasterLine = 0;
    vic.irq = 1;
  }
  C64.memory.ioImage[0xD012] = static_cast<std::uint8_t>(vic.rasterLine);
  ++vic.rasterLine;
  vic.lineCyclesLeft = CyclesPerLine;
  return frameBegins;
}

}  // namespace core
