// Holds the FrameBuffer against a picture given pixel by pixel, and names the first
// pixels that differ, for the renderer and program tests alike.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "video/frame_buffer.h"

// `wanted(x, y)` gives the colour each pixel should have; `mask` picks the bits of the
// FrameBuffer's value that are compared with it.
template <typename WantedPixel>
::testing::AssertionResult FrameBufferShows(const WantedPixel& wanted,
                                            std::uint32_t mask = 0xFFFFFFFF) {
  int differences = 0;
  std::string report;
  for (int y = 0; y < video::kScreenHeight; ++y) {
    for (int x = 0; x < video::kScreenWidth; ++x) {
      const std::uint32_t shown = video::FramePixel(x, y) & mask;
      const std::uint32_t expected = wanted(x, y);
      if (shown == expected) continue;
      if (++differences <= 8) {
        char line[96];
        std::snprintf(line, sizeof line, "\n  (%d, %d): shown %u, expected %u", x, y,
                      static_cast<unsigned>(shown), static_cast<unsigned>(expected));
        report += line;
      }
    }
  }
  if (differences == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << differences << " pixels differ:" << report;
}
