// CIA 1 as the machine models it, reduced: timer A counting down and reloading from its
// latch, and a time of day that shows the host's time at power-on. Its registers sit in
// the I/O image at $DC00-$DC0F, where the processor reads and writes them.
#pragma once

#include <cstdint>
#include <ctime>

namespace core {

struct Cia1Classic {
  std::uint16_t timerACounter;
  std::uint8_t timerARunning;
  std::int32_t todTenths;
  std::int32_t todNextTick;
  std::time_t powerOnTime;
  std::tm powerOnLocalTime;  // seconds, minutes and hours show in $DC09-$DC0B
  std::uint32_t powerOnTicks;
  // The interrupt line. This reduced chip raises no interrupt of its own; its ICR read
  // and timer A underflow acknowledge the frame interrupt instead.
  std::uint8_t irq;
};

}  // namespace core
