// The start state after power-on and after a reset, with the real ROM images.
#include <gtest/gtest.h>

#include <cstring>

#include "core/debug_log.h"
#include "core/host_hooks.h"
#include "core/machine.h"
#include "core/memory_map.h"
#include "core/power_on.h"
#include "core/rom_images.h"
#include "tests/support/test_machine.h"
#include "video/frame_buffer.h"

using namespace core;
using namespace video;

namespace {

bool FirstStartHookCalled = false;

TEST(PowerOn, FillsRamPlacesRomsAndSetsThePort) {
  LoadTestRoms();
  HostHooks hooks = InstalledHostHooks();
  hooks.openDisplay = [] { FirstStartHookCalled = true; };
  InstallHostHooks(hooks);
  FrameBuffer[123] = 7;
  PowerOn(true);
  hooks.openDisplay = nullptr;
  InstallHostHooks(hooks);

  EXPECT_TRUE(FirstStartHookCalled);
  EXPECT_EQ(FrameBuffer[123], 0u);
  EXPECT_EQ(C64.memory.ram[0x0002], 0x99);
  EXPECT_EQ(C64.memory.ram[0x0080], 0x66);
  EXPECT_EQ(C64.memory.ram[0x0100], 0x99);
  EXPECT_EQ(C64.memory.ram[0x0400], 0x99);
  EXPECT_EQ(C64.memory.ram[0xC080], 0x66);
  EXPECT_EQ(C64.memory.ram[0x0000], 0x2F);
  EXPECT_EQ(C64.memory.ram[0x0001], 0x10);
  EXPECT_EQ(C64.memory.portLatch, 0x99);

  for (const std::uint8_t* image : {C64.memory.ram, C64.memory.romMap, C64.memory.ioImage}) {
    EXPECT_EQ(image[0xA000], RomImages.basic[0]);
    EXPECT_EQ(image[0xE000], RomImages.kernal[0]);
  }
  for (std::uint16_t base : {0x1000, 0x9000, 0xD000}) {
    EXPECT_EQ(C64.memory.ram[base], RomImages.characters[0]);
    EXPECT_EQ(C64.memory.romMap[base], RomImages.characters[0]);
  }
  EXPECT_EQ(C64.memory.ram[0xECD1], 0x15);
  EXPECT_EQ(C64.memory.ioImage[0xECD1], 0x15);
  EXPECT_EQ(C64.memory.romMap[0xECD1], RomImages.kernal[0xECD1 - 0xE000]);
  EXPECT_EQ(C64.memory.ram[0xD011] & 0x20, 0);
  EXPECT_EQ(C64.memory.ioImage[0xD011] & 0x20, 0);
  EXPECT_EQ(C64.memory.ioImage[0xDC02], 0xFF);

  EXPECT_EQ(C64.cpu.PC, 0xFCE2);
  EXPECT_EQ(C64.cpu.X, 0xFF);
  EXPECT_EQ(C64.cpu.SP, 0xFF);
  EXPECT_EQ(C64.cpu.P, 0x24);
  EXPECT_EQ(C64.run.runFlag, 1);
  EXPECT_NE(DebugLogText().find("> CPU Emulation started\r\n"), std::string::npos);

  // All RAM visible: the first instruction comes from the KERNAL copy in RAM.
  C64.memory.ram[0xFCE2] ^= 0xFF;
  EXPECT_EQ(ReadByte(0xFCE2), C64.memory.ram[0xFCE2]);
  // No key pressed and the joystick idle.
  C64.memory.ioImage[0xDC00] = 0x00;
  C64.memory.ram[0x0001] = 0x37;
  EXPECT_EQ(ReadByte(0xDC01), 0xFF);
}

TEST(PowerOn, ResetGivesTheSameStateAndKeepsTheFrameBuffer) {
  PowerOnTestMachine();
  static std::uint8_t firstRam[kMemorySize];
  static std::uint8_t firstIo[kMemorySize];
  std::memcpy(firstRam, C64.memory.ram, kMemorySize);
  std::memcpy(firstIo, C64.memory.ioImage, kMemorySize);

  RunFrames(100);
  FrameBuffer[0] = 9;
  C64.run.emulationRunning = 0;  // the pass that Reset runs ends at once
  Reset();
  C64.run.emulationRunning = 1;

  EXPECT_EQ(C64.run.stepBudget, -1);
  EXPECT_EQ(std::memcmp(firstRam + 2, C64.memory.ram + 2, 0xD000 - 2), 0);
  EXPECT_EQ(std::memcmp(firstRam + 0xE000, C64.memory.ram + 0xE000, 0x2000), 0);
  EXPECT_EQ(C64.memory.ram[0x0000], 0x2F);
  EXPECT_EQ(C64.memory.ram[0x0001], 0x10);
  EXPECT_EQ(C64.cpu.PC, 0xFCE2);
  EXPECT_EQ(C64.cpu.P, 0x24);
  EXPECT_EQ(FrameBuffer[0], 9u);
}

}  // namespace
