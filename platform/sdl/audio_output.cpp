// SDL2's audio device, opened once by the desktop program.
#include "platform/sdl/audio_output.h"

#include <SDL2/SDL.h>

namespace platform {

namespace {

SDL_AudioDeviceID Device = 0;

void Callback(void* userdata, Uint8* stream, int bytes) {
  const auto fill = reinterpret_cast<AudioFill>(userdata);
  fill(reinterpret_cast<std::int16_t*>(stream), bytes / static_cast<int>(sizeof(std::int16_t)));
}

}  // namespace

std::string OpenAudioOutput(AudioFill fill, int bufferSamples) {
  if (Device != 0) return {};
  // SIGINT and SIGTERM keep ending the process, instead of becoming SDL events nobody reads.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return SDL_GetError();
  SDL_AudioSpec wanted{};
  wanted.freq = 48000;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = 1;
  wanted.samples = static_cast<Uint16>(bufferSamples);
  wanted.callback = &Callback;
  wanted.userdata = reinterpret_cast<void*>(fill);
  SDL_AudioSpec obtained{};
  // No change allowed: SDL converts to whatever the card takes, so the callback always
  // sees 48 kHz mono 16-bit.
  Device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (Device == 0) {
    std::string error = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return error.empty() ? "no audio device" : error;
  }
  SDL_PauseAudioDevice(Device, 0);
  return {};
}

std::string AudioDriverName() {
  const char* name = SDL_GetCurrentAudioDriver();
  return name != nullptr ? name : "";
}

void CloseAudioOutput() {
  if (Device == 0) return;
  SDL_CloseAudioDevice(Device);
  Device = 0;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

}  // namespace platform
