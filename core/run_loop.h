// The run loop: one call runs one pass, eight frames of the classic machine or one of the
// accurate machine (or until the step budget is used up or the machine is stopped), one
// processor cycle per step.
#pragma once

#include <cstdint>
#include <string>

namespace core {

// Runs one pass on the calling thread. Only one pass runs at a time: it waits for the
// pass lock, which it holds for the whole pass.
void RunLoop();

// Holds the pass lock for its lifetime, so that writes into machine state (a load, a
// reset's power-on) never interleave with a pass. While it waits, the calling thread's
// wait hook (if any) runs between short tries: the user-interface thread serves the
// emulator thread's queued requests there.
class PassLock {
 public:
  PassLock();
  ~PassLock();
  PassLock(const PassLock&) = delete;
  PassLock& operator=(const PassLock&) = delete;

 private:
  bool owns_ = false;
};
using PassWaitHook = void (*)();
void SetPassWaitHookForThisThread(PassWaitHook hook);
// True while the calling thread holds the pass lock (a pass or a PassLock).
bool ThisThreadHoldsPassLock();
// True while some thread waits for the pass lock. A thread that takes the lock again and
// again (the display's passes and pictures) leaves it that turn, or the waiting thread
// (the debug window's Run, Step or Reset) might never get it.
bool PassLockIsWanted();
// Sleeps about that long, running the calling thread's wait hook (if any) every
// millisecond or so: a user-interface thread waiting for the machine keeps serving it.
void SleepServingWaitHook(unsigned milliseconds);

// One step of the classic machine (one processor cycle); the pass lock must be held.
// Returns false when the pass has ended.
bool MachineStep();
// The same for the accurate machine.
bool AccurateMachineStep();

// Pays, at once, the run of idle steps that follows an instruction, as far as those
// steps would change nothing but the line, stall and timer counters: no raster line
// begins, no interrupt is entered and timer A does not reach 0.
// Call it only after a MachineStep that returned true; the result is exactly that of
// single steps.
void PayIdleSteps();

// Runs steps of the model the machine has, pass after pass, until the frame counter
// reaches `frame`; the pass lock must be held.
void RunUntilFrame(std::uint64_t frame);

// The trace line of the instruction about to run at PC.
std::string FormatTraceLine();

// A halting opcode: log line, "JAM!" box, the host's halt hook, end of the process with
// the hook's status (0 without one).
[[noreturn]] void HaltMachine();

}  // namespace core
