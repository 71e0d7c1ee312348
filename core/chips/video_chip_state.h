// The video chip's own state beside its register file: the raster counter the run loop
// advances line by line and the interrupt line it raises at each frame start. The
// registers themselves sit in the I/O image at $D000-$D03F, where the renderers read them.
#pragma once

#include <cstdint>

namespace core {

inline constexpr int CyclesPerLine = 63;
inline constexpr int LinesPerFrame = 312;

struct VideoChip {
  std::uint16_t rasterLine;     // the line that begins next (1 to 312 once running)
  std::int32_t lineCyclesLeft;  // cycles before the current line ends
  // The interrupt line: raised at every frame start. This machine has one acknowledge for
  // every source: a read of $DC0D or $DD0D, or a CIA 1 timer A underflow, lowers it.
  std::uint8_t irq;
};

}  // namespace core
