// The video chip's line sequencing: what it does between the end of one raster line and
// the display of the next, at line granularity, and its snapshot.
#include "core/chips/vic_raster.h"

#include <bit>

#include "core/machine.h"
#include "core/memory_map.h"

namespace core {

namespace {

constexpr std::uint16_t kSpritePointers = 0x3F8;  // the last 8 bytes of the matrix's 1 KB
constexpr std::uint8_t kSpriteEnd = 63;           // MCBASE after the 21st row

std::uint16_t MatrixBase(std::uint16_t bank, const std::uint8_t* registers) {
  return static_cast<std::uint16_t>(bank + (registers[0x18] >> 4) * 0x400);
}

bool Bit(std::uint8_t bits, int n) {
  return ((bits >> n) & 1) != 0;
}

}  // namespace

std::uint16_t VideoBank() {
  return static_cast<std::uint16_t>((3 - (C64.memory.ioImage[0xDD00] & 3)) * 0x4000);
}

void VicRaster::BeginLine(std::uint16_t newLine, const std::uint8_t* registers) {
  const std::uint8_t control = registers[0x11];
  const std::uint8_t enabled = registers[0x15];
  const std::uint8_t expandY = registers[0x17];
  const auto previous = static_cast<std::uint8_t>(newLine == 0 ? 311 : newLine - 1);
  const std::uint16_t bank = VideoBank();

  // ---- The end of the line before --------------------------------------------------
  // The Y-expansion flip-flop is held set while the sprite's expansion bit is clear.
  spriteExpandFlop |= static_cast<std::uint8_t>(~expandY);
  // Cycles 15-16 of that line, after its sprites were shown: MCBASE advances by a row
  // where the expansion flip-flop is set, and a sprite past its 21st row stops.
  for (int n = 0; n < 8; ++n) {
    if (!Bit(spriteDma, n) || !Bit(spriteExpandFlop, n)) continue;
    mcBase[n] = static_cast<std::uint8_t>((mcBase[n] + 3) & 63);
    if (mcBase[n] == kSpriteEnd) {
      spriteDma &= static_cast<std::uint8_t>(~(1u << n));
      spriteDisplay &= static_cast<std::uint8_t>(~(1u << n));
    }
  }
  // Cycles 55-56: the flip-flop toggles where Y expansion is on (and is held set where it
  // is off); a sprite whose Y equals the line's low 8 bits starts its DMA.
  spriteExpandFlop = static_cast<std::uint8_t>((spriteExpandFlop ^ expandY) | ~expandY);
  for (int n = 0; n < 8; ++n) {
    const std::uint8_t bit = static_cast<std::uint8_t>(1u << n);
    if (!Bit(enabled, n) || registers[2 * n + 1] != previous || (spriteDma & bit)) continue;
    spriteDma |= bit;
    mcBase[n] = 0;
    if (expandY & bit) spriteExpandFlop &= static_cast<std::uint8_t>(~bit);
  }
  // Cycle 58: MC from MCBASE, the sprite shown from the next line; the matrix line's end.
  const std::uint16_t pointers =
      static_cast<std::uint16_t>(MatrixBase(bank, registers) + kSpritePointers);
  for (int n = 0; n < 8; ++n) {
    const std::uint8_t bit = static_cast<std::uint8_t>(1u << n);
    mc[n] = mcBase[n];
    if (!(spriteDma & bit)) continue;
    if (registers[2 * n + 1] == previous) spriteDisplay |= bit;
    // Cycles 58-63 and 1-10: the pointer and three bytes.
    const std::uint8_t pointer = ReadVideoByte(static_cast<std::uint16_t>(pointers + n));
    const auto data = static_cast<std::uint16_t>(bank + pointer * 64);
    std::uint32_t bits = 0;
    for (int byte = 0; byte < 3; ++byte) {
      bits = (bits << 8) | ReadVideoByte(static_cast<std::uint16_t>(data + mc[n]));
      mc[n] = static_cast<std::uint8_t>((mc[n] + 1) & 63);
    }
    spriteData[n] = bits;
  }
  if (displayState) vc = static_cast<std::uint16_t>((vc + 40) & 0x3FF);  // 40 g-accesses
  // A row's eighth line ends it: the next row starts from VC and the chip goes idle until
  // the next bad line (which puts it back to display state at its own start, RC 0).
  if (rc == 7) {
    vcBase = vc;
    displayState = false;
  }
  if (displayState) rc = static_cast<std::uint8_t>((rc + 1) & 7);

  // ---- This line's start -----------------------------------------------------------
  line = newLine;
  if (newLine == 0) vcBase = 0;
  const bool den = (control & 0x10) != 0;
  if (newLine == kFirstBadLine) badLinesEnabled = den;
  // The vertical comparisons, at the line's first cycle: the bottom line closes the
  // border; the top line opens it only while DEN is set.
  const bool twentyFiveRows = (control & 0x08) != 0;
  if (newLine == BottomBorderLine(twentyFiveRows)) {
    verticalBorderOpen = false;
  } else if (newLine == TopBorderLine(twentyFiveRows) && den) {
    verticalBorderOpen = true;
  }
  badLine = badLinesEnabled && newLine >= kFirstBadLine && newLine <= kLastBadLine &&
            (newLine & 7) == (control & 7);
  // Cycle 14: VC from VCBASE; a bad line restarts the row and enters display state, and
  // its 40 matrix fetches fill the line buffer.
  vc = vcBase;
  if (badLine) {
    rc = 0;
    displayState = true;
    const std::uint16_t matrix = MatrixBase(bank, registers);
    for (int column = 0; column < 40; ++column) {
      const auto offset = static_cast<std::uint16_t>((vc + column) & 0x3FF);
      matrixCodes[column] = ReadVideoByte(static_cast<std::uint16_t>(matrix + offset));
      matrixColours[column] = C64.memory.ioImage[0xD800 + offset] & 0x0F;
    }
  }
}

int VicRaster::StolenCycles() const {
  return (badLine ? kBadLineCycles : 0) + kSpriteDmaCycles * std::popcount(spriteDma);
}

std::uint8_t VicRaster::LatchCollisions() {
  std::uint8_t interrupt = 0;
  if (spriteSpriteLatch == 0 && lineSpriteSprite != 0) interrupt |= 0x04;
  if (spriteBackgroundLatch == 0 && lineSpriteBackground != 0) interrupt |= 0x02;
  spriteSpriteLatch |= lineSpriteSprite;
  spriteBackgroundLatch |= lineSpriteBackground;
  return interrupt;
}

void VicRaster::Save(StateWriter& writer) const {
  writer.BeginSection("VICL");
  writer.PutU16(line);
  writer.PutU16(vcBase);
  writer.PutU16(vc);
  writer.PutU8(rc);
  writer.PutBool(displayState);
  writer.PutBool(badLinesEnabled);
  writer.PutBool(badLine);
  writer.PutBool(verticalBorderOpen);
  writer.PutBytes(matrixCodes);
  writer.PutBytes(matrixColours);
  writer.PutU8(spriteDma);
  writer.PutU8(spriteDisplay);
  writer.PutU8(spriteExpandFlop);
  writer.PutBytes(mcBase);
  writer.PutBytes(mc);
  for (std::uint32_t bits : spriteData) writer.PutU32(bits);
  writer.PutU8(lineSpriteSprite);
  writer.PutU8(lineSpriteBackground);
  writer.PutU8(spriteSpriteLatch);
  writer.PutU8(spriteBackgroundLatch);
  writer.EndSection();
}

bool VicRaster::Load(StateReader& reader) {
  VicRaster loaded{};
  bool valid = true;
  const auto flag = [&]() {
    const std::uint8_t value = reader.U8();
    valid = valid && value <= 1;
    return value != 0;
  };
  reader.BeginSection("VICL");
  loaded.line = reader.U16();
  loaded.vcBase = reader.U16();
  loaded.vc = reader.U16();
  loaded.rc = reader.U8();
  loaded.displayState = flag();
  loaded.badLinesEnabled = flag();
  loaded.badLine = flag();
  loaded.verticalBorderOpen = flag();
  reader.Bytes(loaded.matrixCodes);
  reader.Bytes(loaded.matrixColours);
  loaded.spriteDma = reader.U8();
  loaded.spriteDisplay = reader.U8();
  loaded.spriteExpandFlop = reader.U8();
  reader.Bytes(loaded.mcBase);
  reader.Bytes(loaded.mc);
  for (std::uint32_t& bits : loaded.spriteData) bits = reader.U32();
  loaded.lineSpriteSprite = reader.U8();
  loaded.lineSpriteBackground = reader.U8();
  loaded.spriteSpriteLatch = reader.U8();
  loaded.spriteBackgroundLatch = reader.U8();
  reader.EndSection();

  valid = valid && loaded.line < LinesPerFrame && loaded.vcBase < 1024 && loaded.vc < 1024 &&
          loaded.rc < 8 && (loaded.spriteDisplay & ~loaded.spriteDma) == 0;
  for (int n = 0; n < 8; ++n) {
    valid =
        valid && loaded.mcBase[n] < 64 && loaded.mc[n] < 64 && loaded.spriteData[n] < (1u << 24);
  }
  for (int column = 0; column < 40; ++column) valid = valid && loaded.matrixColours[column] < 16;
  if (!valid) reader.Fail();
  if (!reader.Ok()) return false;
  *this = loaded;
  return true;
}

}  // namespace core
