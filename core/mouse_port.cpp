// The 1351 mouse's counters and its paddle registers.
#include "core/mouse_port.h"

#include "core/run_loop.h"

namespace core {

void MoveMouse(std::int32_t dx, std::int32_t dy) {
  C64.input.mouseX.fetch_add(dx, std::memory_order_relaxed);
  C64.input.mouseY.fetch_sub(dy, std::memory_order_relaxed);  // the 1351 counts upwards
}

void PutMousePots() {
  C64.sid.SetPaddles(MousePot(C64.input.mouseX.load(std::memory_order_relaxed)),
                     MousePot(C64.input.mouseY.load(std::memory_order_relaxed)));
}

void SetMouseInPort1(bool on) {
  PassLock lock;
  C64.input.mouseInPort1.store(on ? 1 : 0);
  if (on) {
    PutMousePots();
  } else {
    C64.sid.SetPaddles(0xFF, 0xFF);
  }
}

bool MouseInPort1() {
  return C64.input.mouseInPort1.load() != 0;
}

}  // namespace core
