// Bank decode, the processor port's two registers, the I/O side effects and the
// address helpers.
#include <gtest/gtest.h>

#include "core/machine.h"
#include "core/memory_map.h"
#include "input/key_matrix.h"
#include "tests/support/test_machine.h"

using namespace core;
using namespace input;

namespace {

class MemoryMapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ZeroWholeMachine();
    for (int n = 0; n < 8; ++n) C64.cpu.flagMasks[n] = static_cast<std::uint8_t>(1u << n);
    // Distinct contents in each image so that every read tells where it came from.
    for (std::uint32_t a = 0; a < kMemorySize; ++a) {
      C64.memory.ram[a] = 0x11;
      C64.memory.romMap[a] = 0x22;
      C64.memory.ioImage[a] = 0x33;
    }
    C64.memory.ram[0x0000] = 0x2F;
  }
  void SetPort(std::uint8_t value) { C64.memory.ram[0x0001] = value; }
};

TEST_F(MemoryMapTest, EachPortSettingShowsTheRightImages) {
  struct Row {
    std::uint8_t port;
    std::uint8_t a000, d000, e000;
  };
  // L H C: all RAM with L=H=0; BASIC only with L and H; KERNAL whenever H; the
  // character ROM with C clear, I/O with C set.
  const Row rows[] = {
      {0x30, 0x11, 0x11, 0x11}, {0x34, 0x11, 0x11, 0x11}, {0x31, 0x11, 0x22, 0x11},
      {0x32, 0x11, 0x22, 0x22}, {0x33, 0x22, 0x22, 0x22}, {0x35, 0x11, 0x33, 0x11},
      {0x36, 0x11, 0x33, 0x22}, {0x37, 0x22, 0x33, 0x22},
  };
  for (const Row& row : rows) {
    SetPort(row.port);
    EXPECT_EQ(ReadByte(0xA000), row.a000) << std::hex << int(row.port);
    EXPECT_EQ(ReadByte(0xD000), row.d000) << std::hex << int(row.port);
    EXPECT_EQ(ReadByte(0xE000), row.e000) << std::hex << int(row.port);
    EXPECT_EQ(ReadByte(0x9FFF), 0x11);
    EXPECT_EQ(ReadByte(0xC000), 0x11);
  }
}

TEST_F(MemoryMapTest, WritesUnderRomLandInRamAndTheRomStaysVisible) {
  SetPort(0x37);
  WriteByte(0xA000, 0x5A);
  EXPECT_EQ(C64.memory.ram[0xA000], 0x5A);
  EXPECT_EQ(ReadByte(0xA000), 0x22);
  EXPECT_EQ(C64.memory.romMap[0xA000], 0x22);
  SetPort(0x36);  // BASIC off
  EXPECT_EQ(ReadByte(0xA000), 0x5A);
  WriteByte(0xE123, 0x77);
  EXPECT_EQ(C64.memory.ram[0xE123], 0x77);
}

TEST_F(MemoryMapTest, CharacterRomVisibleSendsIoWritesToRam) {
  SetPort(0x33);
  EXPECT_EQ(ReadByte(0xD000), 0x22);
  WriteByte(0xD020, 0x05);
  EXPECT_EQ(C64.memory.ram[0xD020], 0x05);
  EXPECT_EQ(C64.memory.ioImage[0xD020], 0x33);
}

TEST_F(MemoryMapTest, VideoRegistersFoldOnWritesButNotOnReads) {
  SetPort(0x37);
  WriteByte(0xD060, 0x07);
  EXPECT_EQ(C64.memory.ioImage[0xD020], 0x07);
  EXPECT_EQ(C64.memory.ioImage[0xD060], 0x33);
  EXPECT_EQ(ReadByte(0xD060), 0x33);
  WriteByte(0xD800, 0xF3);  // colour RAM keeps whole bytes
  EXPECT_EQ(ReadByte(0xD800), 0xF3);
}

TEST_F(MemoryMapTest, KeyboardPortCombinesSelectedRowsWithTheJoystick) {
  SetPort(0x37);
  PressMatrixKey(0, 1);
  PressMatrixKey(3, 4);
  PressJoystickBit(2);
  WriteByte(0xDC00, 0xFE);  // only row 0
  EXPECT_EQ(ReadByte(0xDC01), 0xFD & 0xFB);
  EXPECT_EQ(ReadByte(0xDC00), 0xFD & 0xFB);
  EXPECT_EQ(ReadByte(0xDC11), 0xFD & 0xFB);  // mirrors scan too
  WriteByte(0xDC00, 0x00);                   // every row
  EXPECT_EQ(ReadByte(0xDC01), 0xFD & 0xEF & 0xFB);
  WriteByte(0xDC00, 0xFF);  // no row: the joystick alone
  EXPECT_EQ(ReadByte(0xDC01), 0xFB);
  WriteByte(0xDC00, 0x7F);  // row 7 selected by a clear bit 7
  PressMatrixKey(7, 0);
  EXPECT_EQ(ReadByte(0xDC01), 0xFE & 0xFB);
}

TEST_F(MemoryMapTest, JoystickInPortTwoMeetsTheByteWrittenToPortAInstead) {
  SetPort(0x37);
  C64.input.joystickPort.store(2);
  PressMatrixKey(0, 1);
  PressJoystickBit(0);
  PressJoystickBit(4);
  WriteByte(0xDC00, 0xFE);  // row 0 selected
  EXPECT_EQ(ReadByte(0xDC00), 0xFE & 0xEE);
  EXPECT_EQ(ReadByte(0xDC10), 0xFE & 0xEE);  // a mirror of port A
  EXPECT_EQ(ReadByte(0xDC01), 0xFD) << "port B shows the keyboard alone";
  WriteByte(0xDC00, 0x7F);
  EXPECT_EQ(ReadByte(0xDC00), 0x7F & 0xEE);
  EXPECT_EQ(ReadByte(0xDC01), 0xFF);
  C64.input.joystickPort.store(1);
  EXPECT_EQ(ReadByte(0xDC01), 0xEE);
}

TEST_F(MemoryMapTest, InterruptControlReadsAcknowledgeTheRequest) {
  SetPort(0x37);
  C64.memory.ioImage[0xDC0D] = 0x81;
  C64.vic.irq = 1;
  EXPECT_EQ(ReadByte(0xDC0D), 0x81);
  EXPECT_EQ(C64.vic.irq, 0);
  C64.vic.irq = 1;
  ReadByte(0xDC1D);
  EXPECT_EQ(C64.vic.irq, 0);
  C64.vic.irq = 1;
  ReadByte(0xDD1D);
  EXPECT_EQ(C64.vic.irq, 1);
  ReadByte(0xDD0D);
  EXPECT_EQ(C64.vic.irq, 0);
  // A peek shows the same bytes and acknowledges nothing, mirrors included.
  for (const std::uint16_t address : {0xDC0D, 0xDC1D, 0xDCFD, 0xDD0D}) {
    C64.vic.irq = 1;
    EXPECT_EQ(PeekByte(address), C64.memory.ioImage[address]) << std::hex << address;
    EXPECT_EQ(C64.vic.irq, 1) << std::hex << address;
  }
  // With the character ROM in place of I/O nothing is acknowledged.
  C64.vic.irq = 1;
  SetPort(0x33);
  ReadByte(0xDC0D);
  EXPECT_EQ(C64.vic.irq, 1);
}

TEST_F(MemoryMapTest, VideoViewIsRamButTheCharacterRomCopiesWhateverThePort) {
  SetPort(0x37);
  EXPECT_EQ(ReadVideoByte(0x1000), 0x22);
  EXPECT_EQ(ReadVideoByte(0x9FFF), 0x22);
  EXPECT_EQ(ReadVideoByte(0x2000), 0x11);
  EXPECT_EQ(ReadVideoByte(0xA000), 0x11);
  EXPECT_EQ(ReadVideoByte(0xE000), 0x11);
  // The I/O chips are the processor's alone: the video chip reads the RAM beneath them,
  // with no keyboard scan and no acknowledge.
  C64.memory.ioImage[0xD021] = 0x06;
  EXPECT_EQ(ReadVideoByte(0xD021), 0x11);
  C64.vic.irq = 1;
  EXPECT_EQ(ReadVideoByte(0xDC0D), 0x11);
  EXPECT_EQ(C64.vic.irq, 1);
  // The processor's own reads are untouched by the video chip's view.
  EXPECT_EQ(ReadByte(0x1000), 0x11);
  EXPECT_EQ(ReadByte(0xD021), 0x06);
}

TEST_F(MemoryMapTest, PortWriteAndDataDirectionWriteDiffer) {
  C64.memory.ram[0x0001] = 0x00;
  WriteByte(0x0001, 0xE7);
  EXPECT_EQ(C64.memory.ram[0x0001], 0x37);
  EXPECT_EQ(C64.memory.portLatch, 0xE7);
  WriteByte(0x0000, 0x2F);
  EXPECT_EQ(C64.memory.ram[0x0001], 0x17);  // output bits 3 and 5 read 0 after a direction write
  EXPECT_EQ(C64.memory.ram[0x0000], 0x2F);
  // Bits 6 and 7 never change.
  C64.memory.ram[0x0001] = 0xC0;
  WriteByte(0x0001, 0x00);
  EXPECT_EQ(C64.memory.ram[0x0001] & 0xC0, 0xC0);
}

TEST_F(MemoryMapTest, PortLogicDoesNothingBeforeTheMasksAreStored) {
  std::fill(std::begin(C64.cpu.flagMasks), std::end(C64.cpu.flagMasks), 0);
  C64.memory.ram[0x0001] = 0x10;
  WriteByte(0x0001, 0x99);
  WriteByte(0x0000, 0x99);
  EXPECT_EQ(C64.memory.ram[0x0001], 0x10);
  WriteByte(0xD020, 0x01);  // the bank decode sees all RAM
  EXPECT_EQ(C64.memory.ram[0xD020], 0x01);
}

TEST_F(MemoryMapTest, AddressHelpersWrapInsideTheirPage) {
  SetPort(0x30);
  C64.memory.ram[0x12FF] = 0x34;
  C64.memory.ram[0x1200] = 0x56;
  C64.memory.ram[0x1300] = 0x99;
  EXPECT_EQ(ReadPointer(0xFF, 0x12), 0x5634);

  C64.cpu.X = 0;
  C64.memory.ram[0x00FF] = 0x00;
  C64.memory.ram[0x0000] = 0x40;
  C64.memory.ram[0x4000] = 0xAB;
  EXPECT_EQ(FetchIndexedIndirect(0xFF, true), 0x4000);
  EXPECT_EQ(FetchIndexedIndirect(0xFF, false), 0xAB);
  C64.cpu.X = 0x90;
  C64.memory.ram[0x0010] = 0x21;
  C64.memory.ram[0x0011] = 0x43;
  EXPECT_EQ(FetchIndexedIndirect(0x80, true), 0x4321);

  C64.cpu.Y = 0x02;
  C64.memory.ram[0x00FF] = 0xFF;
  C64.memory.ram[0x0000] = 0xFF;
  EXPECT_EQ(FetchIndirectIndexed(0xFF, true), 0x0001);  // pointer $FFFF + 2 wraps
}

}  // namespace
