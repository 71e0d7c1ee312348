// The start state after power-on and after a reset, with the real ROM images.
#include <gtest/gtest.h>

#include <cstring>

#include "core/debug_log.h"
#include "core/host_hooks.h"
#include "core/machine_state.h"
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
  EXPECT_EQ(Ram[0x0002], 0x99);
  EXPECT_EQ(Ram[0x0080], 0x66);
  EXPECT_EQ(Ram[0x0100], 0x99);
  EXPECT_EQ(Ram[0x0400], 0x99);
  EXPECT_EQ(Ram[0xC080], 0x66);
  EXPECT_EQ(Ram[0x0000], 0x2F);
  EXPECT_EQ(Ram[0x0001], 0x10);
  EXPECT_EQ(PortLatch, 0x99);

  for (const std::uint8_t* image : {Ram, RomMap, IoImage}) {
    EXPECT_EQ(image[0xA000], RomImages.basic[0]);
    EXPECT_EQ(image[0xE000], RomImages.kernal[0]);
  }
  for (std::uint16_t base : {0x1000, 0x9000, 0xD000}) {
    EXPECT_EQ(Ram[base], RomImages.characters[0]);
    EXPECT_EQ(RomMap[base], RomImages.characters[0]);
  }
  EXPECT_EQ(Ram[0xECD1], 0x15);
  EXPECT_EQ(IoImage[0xECD1], 0x15);
  EXPECT_EQ(RomMap[0xECD1], RomImages.kernal[0xECD1 - 0xE000]);
  EXPECT_EQ(Ram[0xD011] & 0x20, 0);
  EXPECT_EQ(IoImage[0xD011] & 0x20, 0);
  EXPECT_EQ(IoImage[0xDC02], 0xFF);

  EXPECT_EQ(Cpu.PC, 0xFCE2);
  EXPECT_EQ(Cpu.X, 0xFF);
  EXPECT_EQ(Cpu.SP, 0xFF);
  EXPECT_EQ(Cpu.P, 0x24);
  EXPECT_EQ(RunFlag, 1);
  EXPECT_NE(DebugLogText().find("> CPU Emulation started\r\n"), std::string::npos);

  // All RAM visible: the first instruction comes from the KERNAL copy in RAM.
  Ram[0xFCE2] ^= 0xFF;
  EXPECT_EQ(ReadByte(0xFCE2), Ram[0xFCE2]);
  // No key pressed and the joystick idle.
  IoImage[0xDC00] = 0x00;
  Ram[0x0001] = 0x37;
  EXPECT_EQ(ReadByte(0xDC01), 0xFF);
}

TEST(PowerOn, ResetGivesTheSameStateAndKeepsTheFrameBuffer) {
  PowerOnTestMachine();
  static std::uint8_t firstRam[kMemorySize];
  static std::uint8_t firstIo[kMemorySize];
  std::memcpy(firstRam, Ram, kMemorySize);
  std::memcpy(firstIo, IoImage, kMemorySize);

  RunFrames(100);
  FrameBuffer[0] = 9;
  EmulationRunning = 0;  // the pass that Reset runs ends at once
  Reset();
  EmulationRunning = 1;

  EXPECT_EQ(StepBudget, -1);
  EXPECT_EQ(std::memcmp(firstRam + 2, Ram + 2, 0xD000 - 2), 0);
  EXPECT_EQ(std::memcmp(firstRam + 0xE000, Ram + 0xE000, 0x2000), 0);
  EXPECT_EQ(Ram[0x0000], 0x2F);
  EXPECT_EQ(Ram[0x0001], 0x10);
  EXPECT_EQ(Cpu.PC, 0xFCE2);
  EXPECT_EQ(Cpu.P, 0x24);
  EXPECT_EQ(FrameBuffer[0], 9u);
}

}  // namespace
