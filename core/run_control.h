// The one way into the run loop, and the controls that stop, run, step and throttle the
// machine. The display window, the headless runner, the debug window and the tests all
// drive passes through these calls, and only these calls change the run loop's flags.
#pragma once

#include <cstdint>

namespace core {

// ---- Passes ----------------------------------------------------------------------------

// Grants a pass and runs it to its end on the calling thread (after a pass on another
// thread, if one is under way).
void RunPass();

// The display callback's pass: starts one if none is under way and runs it to its end on
// the calling thread. Returns false, running nothing, when a pass started elsewhere is
// under way or another thread waits for the pass lock.
bool RunPassIfIdle();

// Runs pass after pass on the calling thread, holding the pass lock throughout, until
// `frames` more frames have begun (the headless runner, tests, benchmarks).
void RunFrames(std::uint64_t frames);

// ---- Controls --------------------------------------------------------------------------

// Stop: the machine pauses at the next instruction boundary, and steps still owed by a
// Step are dropped.
void StopMachine();
// Run: no more step limit; a pass already granted goes on here, otherwise this returns
// at once and the display's next pass resumes the machine.
void RunMachine();
// The flags of Run alone, without running a pass on the calling thread: the next pass,
// whoever starts it, resumes the machine.
void LetMachineRun();
// Step: `budget` instructions with a trace line each (-1 runs freely, 0 runs nothing),
// from a pass on the calling thread; the display's passes go on with what remains. A
// stopped machine steps as well and stays stopped (-1 leaves it stopped).
void StepMachine(std::int32_t budget);

// The speed limit: on, frames begin 20 ms apart by the steady clock (frame_pacing.h); off,
// the machine runs as fast as the host allows.
void SetSpeedLimit(bool on);
bool SpeedLimitIsOn();
// Called (on the thread that changed it) whenever the speed limit changes, so that every
// control showing it follows: the desktop program's Warp item and the debug window's box.
using SpeedLimitObserver = void (*)(bool on);
void SetSpeedLimitObserver(SpeedLimitObserver observer);

}  // namespace core
