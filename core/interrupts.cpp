// The one interrupt source (the frame start), its entry, CIA 1 timer A and time of day,
// and the busy-wait throttle that the frames-per-second count steers towards 50.
#include "core/interrupts.h"

#include <string>

#include "core/host_hooks.h"
#include "core/machine_state.h"
#include "core/memory_map.h"
#include "platform/host_services.h"

namespace core {

void TakeInterrupt() {
  const std::uint8_t* vectorSource = PortBitSet(kPortHiram) ? RomMap : Ram;
  const std::uint16_t vector =
      static_cast<std::uint16_t>(vectorSource[0xFFFF] << 8 | vectorSource[0xFFFE]);

  WriteByte(static_cast<std::uint16_t>(0x0100 + Cpu.SP), static_cast<std::uint8_t>(Cpu.PC >> 8));
  WriteByte(static_cast<std::uint16_t>(0x0100 + static_cast<std::uint8_t>(Cpu.SP - 1)),
            static_cast<std::uint8_t>(Cpu.PC));
  SetFlag(kFlagB);
  const std::uint8_t pushed = static_cast<std::uint8_t>(Cpu.P & ~StatusFlagMasks[kFlagB]);
  WriteByte(static_cast<std::uint16_t>(0x0100 + static_cast<std::uint8_t>(Cpu.SP - 2)), pushed);
  Cpu.SP = static_cast<std::uint8_t>(Cpu.SP - 3);
  Cpu.PC = vector;
  SetFlag(kFlagI);

  CountFramesPerSecond();
  if (const auto entered = InstalledHostHooks().interruptEntered) entered();
}

void CountFramesPerSecond() {
  const std::int32_t now = static_cast<std::int32_t>(platform::TimeGetTime());
  if (FpsLastSample < FpsDeadline) {
    FpsLastSample = now;
    ++FpsCounter;
    return;
  }
  // The window has closed; the entry that closes it is not counted.
  FpsDeadline = now + 1000;
  FpsLastSample = static_cast<std::int32_t>(platform::TimeGetTime());
  FramesPerSecond = FpsCounter;
  if (DebugWindowIsOpen()) {
    SetDebugWindowField(DebugField::kFramesPerSecond, std::to_string(FpsCounter));
  }
  FpsCounter = 0;
  if (SpeedLimitOn.load(std::memory_order_relaxed)) AdaptThrottle(FramesPerSecond);
}

void AdaptThrottle(int framesPerSecond) {
  float delay = ThrottleDelay.load(std::memory_order_relaxed);
  if (framesPerSecond > 60) {
    delay += 10.0f;
  } else if (framesPerSecond > 50) {
    delay += 1.0f;
  } else if (framesPerSecond < 50 && delay > 0.0f) {
    delay -= 2.0f;
  }
  ThrottleDelay.store(delay, std::memory_order_relaxed);
}

void ThrottleWait() {
  const float delay = ThrottleDelay.load(std::memory_order_relaxed);
  for (int i = 1; static_cast<float>(i) <= delay; ++i) (void)platform::TimeGetTime();
}

// CIA 1 keeps its registers in the I/O image whatever the processor port shows: banking
// the I/O area out hides them from the processor, not from the chip.
void CiaStep() {
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
    TodNextTick = static_cast<std::int32_t>(PowerOnTicks) + 100;
  }
  IoImage[0xDC08] = static_cast<std::uint8_t>(TodTenths);
  IoImage[0xDC09] = static_cast<std::uint8_t>(PowerOnLocalTime.tm_sec);
  IoImage[0xDC0A] = static_cast<std::uint8_t>(PowerOnLocalTime.tm_min);
  IoImage[0xDC0B] = static_cast<std::uint8_t>(PowerOnLocalTime.tm_hour);
}

}  // namespace core
