// The machine's one record and the call that brings it back to process start.
#include "core/machine.h"

#include <memory>

#include "core/debug_log.h"

namespace core {

Machine C64;

void ZeroMachineState() {
  // Value-initialisation zeroes every plain field and gives the atomics and the run
  // loop's flags their declared start values. No pass runs while this is called.
  std::destroy_at(&C64);
  std::construct_at(&C64);
  ClearDebugLog();
}

}  // namespace core
