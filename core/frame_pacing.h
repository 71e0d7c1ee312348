// The speed limit: with it on, each frame begins no earlier than its own time on the
// steady clock, 20 ms after the one before, so that the machine runs 50 frames a second.
#pragma once

#include <cstdint>

namespace core {

inline constexpr std::int64_t kFrameNanoseconds = 20'000'000;
// Further behind than this (the machine was stopped, or the host too slow for a while),
// the frames start afresh from now instead of hurrying to catch up. A slow picture or a
// busy host delays a few frames, which then follow at once: the seconds keep their 50.
inline constexpr std::int64_t kMostFrameLagNanoseconds = 10 * kFrameNanoseconds;

// Called as each frame begins while the speed limit is on: waits (asleep) until the
// frame's time, then sets the next one's. The times are absolute, so that the error of
// one wait never carries over into the next. Returns true when the host asked to end the
// pass early (input waits for it; see HostHooks::waitForFrame).
bool PaceFrame();

// The time the frame after `now` may begin, given the time this one was due (0: none
// yet): the pacing rule on its own, for tests.
std::int64_t NextFrameTime(std::int64_t due, std::int64_t now);

}  // namespace core
