// The video chip's sequencing from one raster line to the next (PAL 6569, 312 lines of 63
// cycles): video counter and row counter, display and idle state, bad lines, the vertical
// border flip-flop, the sprites' DMA and the collision latches.
#pragma once

#include <cstdint>

#include "core/state_stream.h"

namespace core {

inline constexpr int kFirstBadLine = 0x30;
inline constexpr int kLastBadLine = 0xF7;
inline constexpr int kBadLineCycles = 40 + 3;  // 40 matrix fetches, 3 cycles of BA lead-in
inline constexpr int kSpriteDmaCycles = 2;     // per sprite fetched for a line

// One instance per machine, plain data: all zero is a chip just switched on (idle state,
// vertical border closed, no sprite DMA).
//
// The registers are sampled once per line, at its start (cycle 1): the run loop calls
// BeginLine (and then the renderer) when a line begins, before the processor runs it, so a
// register written during line L shows from line L + 1. The chip's own work at the end of
// the line before (cycles 55-58: sprite DMA turned on, MC loaded, RC stepped, idle state
// entered) is done at that same point, with the same register values.
struct VicRaster {
  std::uint16_t line;              // the line begun last, 0-311
  std::uint16_t vcBase;            // VCBASE, 0-1023
  std::uint16_t vc;                // VC as loaded from VCBASE in cycle 14 of the line
  std::uint8_t rc;                 // RC, 0-7
  bool displayState;               // display state; idle state when clear
  bool badLinesEnabled;            // DEN was set in line $30 of this frame
  bool badLine;                    // the bad-line condition holds for this line
  bool verticalBorderOpen;         // the vertical border flip-flop, stored inverted: clear = border
  std::uint8_t matrixCodes[40];    // the video matrix line read on the last bad line
  std::uint8_t matrixColours[40];  // colour RAM nibbles read with it

  std::uint8_t spriteDma;         // bit n: sprite n's DMA is on
  std::uint8_t spriteDisplay;     // bit n: sprite n is shown
  std::uint8_t spriteExpandFlop;  // bit n: sprite n's Y-expansion flip-flop is set
  std::uint8_t mcBase[8];         // MCBASE per sprite, 0-63
  std::uint8_t mc[8];             // MC per sprite after this line's fetch, 0-63
  std::uint32_t spriteData[8];    // the 24 pixels fetched for this line, leftmost in bit 23

  // Collisions found on the line drawn last, in the bit order of $D01E and $D01F.
  std::uint8_t lineSpriteSprite;
  std::uint8_t lineSpriteBackground;
  // $D01E and $D01F as the chip holds them until the processor reads (and so clears) them.
  std::uint8_t spriteSpriteLatch;
  std::uint8_t spriteBackgroundLatch;

  // Starts `line` (0-311, in order, wrapping after 311) with the registers $D000-$D03F as
  // they stand now. Reads the video matrix line on a bad line and each active sprite's
  // pointer and three data bytes through the video chip's view of memory, in the bank
  // that CIA 2 port A selects.
  void BeginLine(std::uint16_t line, const std::uint8_t* registers);

  // Processor cycles the chip takes from this line: 40 + 3 on a bad line, plus 2 for each
  // sprite whose DMA is on for it (its pointer and data were fetched for this line). The sprites'
  // own BA lead-in and the cycles lost between sprites that are not fetched back to back are not
  // counted.
  int StolenCycles() const;

  // ORs the last line's collisions into the latches; returns the $D019 bits the chip
  // sets: bit 2 when the sprite-sprite latch goes from empty to non-empty, bit 1 likewise
  // for sprite-background (only the first collision after a read raises the interrupt).
  std::uint8_t LatchCollisions();

  // Section "VICL". Load leaves the record unchanged and fails the reader when a field is
  // out of range.
  void Save(StateWriter& writer) const;
  bool Load(StateReader& reader);
};

// The vertical border comparisons for RSEL ($D011 bit 3): 25 rows open at line 51 and
// close at 251, 24 rows at 55 and 247.
inline int TopBorderLine(bool twentyFiveRows) {
  return twentyFiveRows ? 51 : 55;
}
inline int BottomBorderLine(bool twentyFiveRows) {
  return twentyFiveRows ? 251 : 247;
}

// The bank CIA 2 port A selects: bits 0-1 of $DD00 inverted, %11 = $0000.
std::uint16_t VideoBank();

}  // namespace core
