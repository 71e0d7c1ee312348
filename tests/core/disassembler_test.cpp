// The disassembler against hand-assembled bytes and their usual assembler text, the
// listing's line format, and the back-scan that finds the instructions before PC.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/disassembler.h"

using namespace core;

namespace {

// 64 KB of memory for the listing, every byte `fill` until bytes are placed.
class Memory {
 public:
  explicit Memory(std::uint8_t fill = 0x00) { bytes_.fill(fill); }
  void Place(std::uint16_t address, const std::vector<std::uint8_t>& bytes) {
    for (const std::uint8_t byte : bytes) bytes_[address++] = byte;
  }
  MemoryReader Reader() const {
    return [this](std::uint16_t address) { return bytes_[address]; };
  }

 private:
  std::array<std::uint8_t, 0x10000> bytes_{};
};

// Hand-assembled instructions at $1000 (or where given) and their assembler text: each
// addressing mode, undocumented opcodes by their usual names, branch targets both ways.
TEST(Disassembler, KnownBytesGiveTheirAssemblerText) {
  const struct {
    std::vector<std::uint8_t> bytes;
    const char* text;
    std::uint16_t at = 0x1000;
  } cases[] = {
      {{0xEA}, "NOP"},
      {{0x0A}, "ASL A"},
      {{0xA9, 0x01}, "LDA #$01"},
      {{0xA5, 0xFB}, "LDA $FB"},
      {{0xB5, 0x10}, "LDA $10,X"},
      {{0xB6, 0x10}, "LDX $10,Y"},
      {{0x8D, 0x20, 0xD0}, "STA $D020"},
      {{0xBD, 0x00, 0xC0}, "LDA $C000,X"},
      {{0xB9, 0x34, 0x12}, "LDA $1234,Y"},
      {{0xA1, 0x12}, "LDA ($12,X)"},
      {{0x91, 0xFB}, "STA ($FB),Y"},
      {{0x6C, 0xFC, 0xFF}, "JMP ($FFFC)"},
      {{0x20, 0xD2, 0xFF}, "JSR $FFD2"},
      {{0xA7, 0x12}, "LAX $12"},
      {{0xC3, 0x12}, "DCP ($12,X)"},
      {{0x8F, 0x00, 0xC0}, "SAX $C000"},
      {{0x4B, 0x0F}, "ALR #$0F"},
      {{0xEB, 0x01}, "SBC #$01"},
      {{0xFF, 0x00, 0x20}, "ISC $2000,X"},
      {{0x04, 0x12}, "NOP $12"},
      {{0x02}, "JAM"},
      {{0xD0, 0xFE}, "BNE $C000", 0xC000},  // to itself
      {{0x10, 0x7F}, "BPL $C081", 0xC000},  // furthest forward
      {{0x30, 0x80}, "BMI $BF82", 0xC000},  // furthest back
      {{0xF0, 0x02}, "BEQ $0002", 0xFFFE},  // past $FFFF
  };
  for (const auto& c : cases) {
    Memory memory;
    memory.Place(c.at, c.bytes);
    const DisassembledInstruction instruction = DisassembleAt(memory.Reader(), c.at);
    EXPECT_EQ(instruction.text, c.text);
    EXPECT_EQ(instruction.length, c.bytes.size()) << c.text;
  }
}

TEST(Disassembler, LinesShowAddressBytesAndTextWithPcMarked) {
  Memory memory;
  memory.Place(0xC000, {0x8D, 0x20, 0xD0, 0xE8});
  EXPECT_EQ(FormatDisassemblyLine(DisassembleAt(memory.Reader(), 0xC000), true),
            "> C000  8D 20 D0  STA $D020");
  EXPECT_EQ(FormatDisassemblyLine(DisassembleAt(memory.Reader(), 0xC003), false),
            "  C003  E8        INX");
}

// A copy loop:
//   C000 A2 00     LDX #$00
//   C002 BD 10 C0  LDA $C010,X
//   C005 9D 00 04  STA $0400,X
//   C008 E8        INX
//   C009 D0 F7     BNE $C002
//   C00B 60        RTS
const std::vector<std::uint8_t> kCopyLoop = {0xA2, 0x00, 0xBD, 0x10, 0xC0, 0x9D,
                                             0x00, 0x04, 0xE8, 0xD0, 0xF7, 0x60};

TEST(Disassembler, ListingStartsAFewInstructionsBeforePc) {
  Memory memory;
  memory.Place(0xC000, kCopyLoop);
  const std::vector<DisassembledInstruction> listing =
      DisassembleAround(memory.Reader(), 0xC009, 3, 6);
  std::vector<std::uint16_t> addresses;
  for (const DisassembledInstruction& instruction : listing)
    addresses.push_back(instruction.address);
  EXPECT_EQ(addresses,
            (std::vector<std::uint16_t>{0xC002, 0xC005, 0xC008, 0xC009, 0xC00B, 0xC00C}));
  EXPECT_EQ(listing[3].text, "BNE $C002");
}

TEST(Disassembler, BackScanPrefersTheReadingWithoutUndocumentedOpcodesOrBrk) {
  // JSR $FFD2 then LDA #$0D, after bytes of $FF. Read from $C001 the same bytes are
  // JAM and ISC $0DA9,X, which also end at $C005.
  Memory memory(0xFF);
  memory.Place(0xC000, {0x20, 0xD2, 0xFF, 0xA9, 0x0D, 0x60});
  EXPECT_EQ(BackScanStart(memory.Reader(), 0xC005, 2), 0xC000);
  // LDX #$00 then INX after bytes of $EA (NOP). Read from further back, $BFFE-$C000 are
  // STA $A200 and the longer reading goes on with BRK and INX: a zero byte is more often
  // data than code, so the shorter one without it wins.
  Memory nops(0xEA);
  nops.Place(0xBFFE, {0x8D, 0x00, 0xA2, 0x00, 0xE8, 0xE8});
  EXPECT_EQ(BackScanStart(nops.Reader(), 0xC003, 2), 0xC000);
  // Too few instructions in step before PC: the listing starts at PC.
  EXPECT_EQ(BackScanStart(memory.Reader(), 0xC005, 0), 0xC005);
}

}  // namespace
