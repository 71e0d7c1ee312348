// What the debug window's buttons do to machine state, apart from the widgets: the
// speed limit, the three video pointers with their cycles and the three force flags.
#pragma once

#include <cstdint>

namespace shell {

// The speed-limit box: turns the limit off when it is on, otherwise back on. Returns the
// new state of the limit.
bool ToggleSpeedLimit();

enum class VideoPointer { kBank, kCharBase, kScreen };

// "<" (direction -1) and ">" (+1): a pointer that follows its register is first fixed at
// its live value; a value on the pointer's cycle then moves one step with wrap-around,
// into both the live value and the override. Other values stay as they are.
void StepVideoPointer(VideoPointer pointer, int direction);
// "D": the pointer follows its register again (from the next picture on).
void FollowVideoRegister(VideoPointer pointer);
// The value after one step of `value` on the pointer's cycle, or `value` itself when it
// is not on the cycle.
std::uint16_t NextOnCycle(VideoPointer pointer, std::uint16_t value, int direction);

enum class ForceFlag { kText, kBitmap, kMulticolour };

// A force button: sets a clear flag (text and bitmap exclude each other, so setting one
// clears the other) or clears a set one.
void ToggleForce(ForceFlag flag);
bool ForceFlagSet(ForceFlag flag);
// The caption of a force button for the flag's state: "active.." or "Force!".
const char* ForceCaption(bool set);

}  // namespace shell
