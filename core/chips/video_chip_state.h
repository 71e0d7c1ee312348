// The video chip's own state beside its register file: the raster counter the run loop
// advances line by line and the interrupt line it raises at each frame start. The
// registers themselves sit in the I/O image at $D000-$D03F, where the renderers read them.
#pragma once

#include <cstdint>

#include "core/chips/vic_raster.h"

namespace core {

inline constexpr int CyclesPerLine = 63;
inline constexpr int LinesPerFrame = 312;

struct VideoChip {
  std::uint16_t rasterLine;     // the line that begins next (1 to 312 once running)
  std::int32_t lineCyclesLeft;  // cycles before the current line ends
  // The interrupt line. In the classic machine it is raised at every frame start, and one
  // acknowledge serves every source: a read of $DC0D or $DD0D, or a CIA 1 timer A
  // underflow, lowers it. In the accurate machine it is the OR of the enabled latches.
  std::uint8_t irq;
  // The accurate machine's interrupt registers: the compare line ($D012 and $D011 bit 7
  // written), the latches of $D019 (bit 0 raster, 1 sprite-background, 2 sprite-sprite,
  // 3 light pen) and the enable mask of $D01A.
  std::uint16_t rasterCompare;
  std::uint8_t interruptLatch;
  std::uint8_t interruptMask;
  // The accurate machine's line sequencing: each line is begun, drawn and charged its
  // stolen cycles when it starts.
  VicRaster raster;
};

}  // namespace core
