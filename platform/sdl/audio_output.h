// The sound card through SDL2's audio: 48 kHz, 16-bit, mono, filled from SDL's own audio
// thread by a function of the caller's.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Fills `count` samples; runs on SDL's audio thread, so it may not block or allocate.
using AudioFill = void (*)(std::int16_t* out, int count);

// Opens the default output device with `bufferSamples` per callback and starts it. Returns
// an empty text on success, otherwise why not (SDL's error text); nothing is then open.
std::string OpenAudioOutput(AudioFill fill, int bufferSamples);
// The name of the audio driver in use ("dummy", "disk", "pulseaudio", ...), once open.
std::string AudioDriverName();
void CloseAudioOutput();

}  // namespace platform
