// CIA 1 as the machine models it, one step at the end of every run-loop step: timer A
// counting down and reloading from its latch, and the time-of-day registers. Inline: it
// runs about a million times a second.
#pragma once

#include <cstdint>

#include "core/machine_state.h"
#include "core/memory_map.h"

namespace core {

// CIA 1 keeps its registers in the I/O image whatever the processor port shows: banking
// the I/O area out hides them from the processor, not from the chip.
inline void CiaStep() {
  TimerARunning = IoImage[0xDC0E] & 0x01;
  if (TimerARunning && TimerACounter == 0 && InstructionCount > 1) {
    TimerACounter = static_cast<std::uint16_t>(IoImage[0xDC05] << 8 | IoImage[0xDC04]);
    // An underflow with I/O visible takes the pending request away.
    if (IoVisible()) IrqPending = 0;
  } else {
    --TimerACounter;
  }

  // Time of day: the tenths advance against the power-on tick count, so the clock
  // shows the power-on time; the registers hold plain numbers, not BCD.
  if (static_cast<std::int32_t>(PowerOnTicks) >= TodNextTick) {
    TodTenths = TodTenths >= 11 ? 0 : TodTenths + 1;
    TodNextTick = static_cast<std::int32_t>(PowerOnTicks + 100u);  // wraps, never overflows
  }
  IoImage[0xDC08] = static_cast<std::uint8_t>(TodTenths);
  IoImage[0xDC09] = static_cast<std::uint8_t>(PowerOnLocalTime.tm_sec);
  IoImage[0xDC0A] = static_cast<std::uint8_t>(PowerOnLocalTime.tm_min);
  IoImage[0xDC0B] = static_cast<std::uint8_t>(PowerOnLocalTime.tm_hour);
}

}  // namespace core
