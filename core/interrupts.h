// The interrupt entry and the frames-per-second measurement. CIA 1's per-step model is
// in chips/cia1.h; the speed limit's pacing in frame_pacing.h.
#pragma once

namespace core {

void TakeInterrupt();
// Called at every interrupt entry: counts frames per one-second window.
void CountFramesPerSecond();

}  // namespace core
