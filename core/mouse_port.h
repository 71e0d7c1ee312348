// A 1351 mouse in control port 1. The host adds the pointer's motion to two counters in
// the machine record (atomics, from the display thread); once a frame the run loop puts
// them into the SID's paddle registers as the mouse does: POTX and POTY hold the count
// modulo 64 in bits 1-6, bit 0 (noise on the real mouse) is kept 0, and Y counts upwards.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/machine.h"

namespace core {

// What a paddle register reads for a mouse count.
inline std::uint8_t MousePot(std::int32_t count) {
  return static_cast<std::uint8_t>((static_cast<std::uint32_t>(count) & 0x3F) << 1);
}

// Pointer motion in mouse counts; `dy` positive is downwards on the host's screen.
void MoveMouse(std::int32_t dx, std::int32_t dy);

// Plugs the mouse in or out. Out, the paddle registers read $FF again.
void SetMouseInPort1(bool on);
bool MouseInPort1();

// The paddle registers from the counters; the pass lock must be held.
void PutMousePots();
// At each frame's start: the paddle registers follow the mouse while it is plugged in.
inline void UpdateMousePots() {
  if (C64.input.mouseInPort1.load(std::memory_order_relaxed) != 0) PutMousePots();
}

}  // namespace core
