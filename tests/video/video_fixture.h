// The machine state the direct-memory video tests start from: everything zero, the
// status-flag masks stored, the character ROM in place and video bank 0 selected.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "core/machine.h"
#include "tests/support/test_machine.h"
#include "tests/video/reference_picture.h"
#include "video/frame_buffer.h"
#include "video/vic_state.h"

class VideoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ZeroWholeMachine();
    for (int n = 0; n < 8; ++n) core::C64.cpu.flagMasks[n] = static_cast<std::uint8_t>(1u << n);
    reference::LoadCharacterRom();
    core::C64.memory.ioImage[0xDD00] = 0x03;  // CIA 2 port A %11: bank 0
  }
  void TearDown() override { ZeroWholeMachine(); }

  static void SetRegister(unsigned number, std::uint8_t value) {
    core::C64.memory.ioImage[0xD000 + number] = value;
  }

  // Fills C64.memory.ram (or C64.memory.ioImage) with a reproducible byte sequence, so that every
  // cell, glyph and colour differs from its neighbours.
  static void FillNoise(std::uint8_t* image, unsigned from, unsigned count, std::uint32_t seed) {
    std::uint32_t state = seed * 2654435761u + 1;
    for (unsigned i = 0; i < count; ++i) {
      state ^= state << 13;
      state ^= state >> 17;
      state ^= state << 5;
      image[(from + i) & 0xFFFF] = static_cast<std::uint8_t>(state >> 7);
    }
  }

  // Renders a picture and holds it against the model worked out from the same memory.
  static void RenderAndCompare() {
    video::RenderFrame();
    const reference::Picture expected = reference::ExpectedPicture();
    EXPECT_TRUE(reference::FrameBufferMatches(expected));
    EXPECT_GE(reference::DistinctColours(expected), 3u) << "the test picture is too plain";
  }
};
