// The machine record in a snapshot: one section per part (processor, memory, video chip,
// the classic CIA 1, the two 6526s, the NMI input, input lines, the model and run
// counters, traps), each field written explicitly. The ROM map
// is not stored: it follows from the ROM images, which a snapshot only names by checksum.
#pragma once

#include "core/machine.h"
#include "core/state_stream.h"

namespace core {

void SaveMachine(const Machine& machine, StateWriter& writer);

// Reads the sections SaveMachine wrote into `machine` and places the ROM images in its
// ROM map. Returns false on input it cannot take (the reader fails, or a value is out of
// its range); `machine` is then partly written, so callers read into a spare record
// first. The host's settings in the record (the run flags, the throttle, the joystick's
// port) are left as they are.
bool LoadMachine(StateReader& reader, Machine& machine);

}  // namespace core
