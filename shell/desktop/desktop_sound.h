// The desktop program's sound: the chip's 48 kHz samples go, a frame at a time, from the
// emulator thread through a lock-free queue to the sound card (SDL2). Silent while the
// "Sound" item is off, the speed limit is off or the machine is stopped.
#pragma once

#include <cstdint>

namespace shell {

// Samples kept queued on average (30 ms) and per sound-card callback (10 ms, a whole
// number of milliseconds, which drivers that pace themselves by a millisecond sleep keep
// exactly): their sum is the latency, below 60 ms.
inline constexpr int kSoundQueueTarget = 1440;
inline constexpr int kSoundCardBuffer = 480;

// Opens the sound card; without one the program runs silently and the debug log says why.
void OpenDesktopSound();

// The frame hook: moves the chip's samples to the queue, and switches the chip's sound
// on or off as the output wants it. On the thread running the pass.
void TakeFrameSound();

// The Extras menu's "Sound" item (on at the start).
void SetSoundOn(bool on);
bool SoundIsOn();

// Times the sound card found the queue empty while sound should have played.
std::uint64_t SoundUnderruns();
// One line of the output's figures: driver, underruns, queued samples, reading rate.
void FormatSoundStatus(char* line, int size);

}  // namespace shell
