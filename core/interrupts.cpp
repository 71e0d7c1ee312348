// The one interrupt source (the frame start), its entry, and the frames-per-second count.
#include "core/interrupts.h"

#include <string>

#include "core/cpu_operations.h"
#include "core/host_hooks.h"
#include "core/machine.h"
#include "core/memory_map.h"
#include "platform/host_services.h"

namespace core {

void TakeInterrupt() {
  // B stays set in P, but the pushed copy has it clear: the handler tells an interrupt
  // from a BRK by it.
  SetFlag(kFlagB);
  op::EnterHandler(static_cast<std::uint8_t>(C64.cpu.P & ~C64.cpu.flagMasks[kFlagB]));

  CountFramesPerSecond();
  if (const auto entered = InstalledHostHooks().interruptEntered) entered();
}

void CountFramesPerSecond() {
  const std::int32_t now = static_cast<std::int32_t>(platform::TimeGetTime());
  // The millisecond clock wraps (a signed view after 24.8 days): the window is compared
  // by the difference of the two readings, and its end computed without overflow.
  if (static_cast<std::int32_t>(static_cast<std::uint32_t>(C64.throttle.fpsLastSample) -
                                static_cast<std::uint32_t>(C64.throttle.fpsDeadline)) < 0) {
    C64.throttle.fpsLastSample = now;
    ++C64.throttle.fpsCounter;
    return;
  }
  // The window has closed; the entry that closes it is not counted.
  C64.throttle.fpsDeadline = static_cast<std::int32_t>(static_cast<std::uint32_t>(now) + 1000u);
  C64.throttle.fpsLastSample = static_cast<std::int32_t>(platform::TimeGetTime());
  C64.throttle.framesPerSecond = C64.throttle.fpsCounter;
  if (DebugWindowIsOpen()) {
    SetDebugWindowField(DebugField::kFramesPerSecond, std::to_string(C64.throttle.fpsCounter));
  }
  C64.throttle.fpsCounter = 0;
}

}  // namespace core
