// A 1351 mouse in port 1: a program that copies the paddle registers $D419/$D41A to RAM
// sees the host pointer's motion there, in both models, as the mouse reports it.
#include "core/mouse_port.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/machine.h"
#include "core/power_on.h"
#include "core/run_loop.h"
#include "tests/support/test_machine.h"

using namespace core;

namespace {

// LDA $D419 / STA $C100 / LDA $D41A / STA $C101 / JMP $C000
constexpr std::uint8_t kCopyPots[] = {0xAD, 0x19, 0xD4, 0x8D, 0x00, 0xC1, 0xAD, 0x1A,
                                      0xD4, 0x8D, 0x01, 0xC1, 0x4C, 0x00, 0xC0};

void StartCopyProgram(MachineModel model) {
  LoadTestRoms();
  C64.model = model;  // power-on keeps the model
  PowerOn(true);
  RunFrames(200);
  ASSERT_EQ(C64.model, model);
  PassLock lock;
  for (std::size_t i = 0; i < sizeof kCopyPots; ++i) C64.memory.ram[0xC000 + i] = kCopyPots[i];
  C64.memory.ram[0xC100] = C64.memory.ram[0xC101] = 0x55;
  C64.cpu.PC = 0xC000;
  C64.cpu.stallCycles = 0;
}

TEST(MousePort, AProgramReadingThePaddleRegistersSeesThePointerMove) {
  // Motion in counts (one per emulated pixel; dy grows downwards on the host) and what
  // the 1351 then shows: the total count modulo 64 in bits 1-6, bit 0 clear, Y upwards.
  const struct {
    const char* name;
    int dx;
    int dy;
    std::uint8_t potX;
    std::uint8_t potY;
  } steps[] = {
      {"plugged in, not moved", 0, 0, 0x00, 0x00},
      {"5 right", 5, 0, 0x0A, 0x00},
      {"3 up", 0, -3, 0x0A, 0x06},
      {"70 more right: x 75 wraps to 11", 70, 0, 0x16, 0x06},
      {"5 down: y -2 is 62", 0, 5, 0x16, 0x7C},
      {"back to the start", -75, -2, 0x00, 0x00},
  };
  for (const MachineModel model : {MachineModel::kClassic, MachineModel::kAccurate}) {
    SCOPED_TRACE(model == MachineModel::kAccurate ? "accurate" : "classic");
    ASSERT_NO_FATAL_FAILURE(StartCopyProgram(model));
    RunFrames(2);
    // Unplugged the registers read $FF, as without a mouse.
    EXPECT_EQ(C64.memory.ram[0xC100], 0xFF);
    EXPECT_EQ(C64.memory.ram[0xC101], 0xFF);
    SetMouseInPort1(true);
    for (const auto& step : steps) {
      SCOPED_TRACE(step.name);
      MoveMouse(step.dx, step.dy);
      RunFrames(2);
      EXPECT_EQ(C64.memory.ram[0xC100], step.potX);
      EXPECT_EQ(C64.memory.ram[0xC101], step.potY);
    }
    SetMouseInPort1(false);
    RunFrames(2);
    EXPECT_EQ(C64.memory.ram[0xC100], 0xFF);
    EXPECT_EQ(C64.memory.ram[0xC101], 0xFF);
  }
}

}  // namespace
