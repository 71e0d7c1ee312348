// What the debug window's buttons do to the machine: the speed limit, stepping the
// video pointers and the force flags.
#include "shell/debug/debug_commands.h"

#include <atomic>

#include "core/machine.h"
#include "core/run_control.h"
#include "video/vic_state.h"

namespace shell {

namespace {

struct PointerCycle {
  std::atomic<std::uint16_t>& live;
  std::atomic<std::uint16_t>& override;
  unsigned step;
  unsigned count;
};

PointerCycle CycleOf(VideoPointer pointer) {
  switch (pointer) {
    case VideoPointer::kBank: return {video::VicBank, video::BankOverride, 0x4000, 4};
    case VideoPointer::kCharBase:
      return {video::CharBaseOffset, video::CharBaseOverride, 0x0800, 8};
    case VideoPointer::kScreen: break;
  }
  return {video::ScreenOffset, video::ScreenOverride, 0x0400, 16};
}

std::atomic<std::uint8_t>& FlagOf(ForceFlag flag) {
  switch (flag) {
    case ForceFlag::kText: return video::ForceText;
    case ForceFlag::kBitmap: return video::ForceBitmap;
    case ForceFlag::kMulticolour: break;
  }
  return video::ForceMulticolour;
}

}  // namespace

bool ToggleSpeedLimit() {
  const bool on = !core::SpeedLimitIsOn();
  core::SetSpeedLimit(on);
  return on;
}

std::uint16_t NextOnCycle(VideoPointer pointer, std::uint16_t value, int direction) {
  const PointerCycle cycle = CycleOf(pointer);
  if (value % cycle.step != 0 || value / cycle.step >= cycle.count) return value;
  const unsigned index = value / cycle.step;
  const unsigned next =
      direction < 0 ? (index + cycle.count - 1) % cycle.count : (index + 1) % cycle.count;
  return static_cast<std::uint16_t>(next * cycle.step);
}

void StepVideoPointer(VideoPointer pointer, int direction) {
  const PointerCycle cycle = CycleOf(pointer);
  if (cycle.override.load() == video::FollowRegister) cycle.override.store(cycle.live.load());
  const std::uint16_t value = cycle.override.load();
  const std::uint16_t next = NextOnCycle(pointer, value, direction);
  if (next == value) return;
  cycle.live.store(next);
  cycle.override.store(next);
}

void FollowVideoRegister(VideoPointer pointer) {
  CycleOf(pointer).override.store(video::FollowRegister);
}

void ToggleForce(ForceFlag flag) {
  std::atomic<std::uint8_t>& target = FlagOf(flag);
  if (target.load() != 0) {
    target.store(0);
    return;
  }
  if (flag == ForceFlag::kText) video::ForceBitmap.store(0);
  if (flag == ForceFlag::kBitmap) video::ForceText.store(0);
  target.store(1);
}

bool ForceFlagSet(ForceFlag flag) {
  return FlagOf(flag).load() != 0;
}

const char* ForceCaption(bool set) {
  return set ? "active.." : "Force!";
}

}  // namespace shell
