// The interrupt entry, the throttle's busy wait and the frames-per-second measurement
// that adapts it. CIA 1's per-step model is in chips/cia1.h.
#pragma once

namespace core {

void TakeInterrupt();
// Busy wait of one step: floor(C64.throttle.delay) clock reads.
void ThrottleWait();
// Called at every interrupt entry: counts frames per one-second window and, with the
// speed limit on, adapts C64.throttle.delay towards 50 frames per second.
void CountFramesPerSecond();
// The adaptation rule on its own, for a closed window's count.
void AdaptThrottle(int framesPerSecond);

}  // namespace core
