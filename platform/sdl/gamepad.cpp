// SDL2's game controllers: the first one opened is the one read.
#include "platform/sdl/gamepad.h"

#include <SDL2/SDL.h>

namespace platform {

namespace {

SDL_GameController* Controller = nullptr;

void OpenFirstController(std::string& changes) {
  for (int i = 0; i < SDL_NumJoysticks() && Controller == nullptr; ++i) {
    if (!SDL_IsGameController(i)) continue;
    Controller = SDL_GameControllerOpen(i);
    if (Controller != nullptr) {
      const char* name = SDL_GameControllerName(Controller);
      changes = std::string("Gamepad connected: ") + (name != nullptr ? name : "unnamed");
    }
  }
}

}  // namespace

std::string OpenGamepads() {
  // No SDL window ever has the focus: the controller must be read all the same.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  // SIGINT and SIGTERM keep ending the process, instead of becoming SDL events nobody reads.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER | SDL_INIT_EVENTS) != 0) return SDL_GetError();
  return {};
}

GamepadReading PollGamepad(std::string& changes) {
  changes.clear();
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) {
    if (event.type == SDL_CONTROLLERDEVICEREMOVED && Controller != nullptr &&
        event.cdevice.which == SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(Controller))) {
      SDL_GameControllerClose(Controller);
      Controller = nullptr;
      changes = "Gamepad disconnected";
    }
    if (event.type == SDL_CONTROLLERDEVICEADDED && Controller == nullptr) {
      OpenFirstController(changes);
    }
  }
  GamepadReading reading;
  if (Controller == nullptr) return reading;
  const auto button = [](SDL_GameControllerButton b) {
    return SDL_GameControllerGetButton(Controller, b) != 0;
  };
  reading.connected = true;
  reading.stickX = SDL_GameControllerGetAxis(Controller, SDL_CONTROLLER_AXIS_LEFTX);
  reading.stickY = SDL_GameControllerGetAxis(Controller, SDL_CONTROLLER_AXIS_LEFTY);
  reading.dpadUp = button(SDL_CONTROLLER_BUTTON_DPAD_UP);
  reading.dpadDown = button(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
  reading.dpadLeft = button(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
  reading.dpadRight = button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
  reading.buttonA = button(SDL_CONTROLLER_BUTTON_A);
  return reading;
}

void CloseGamepads() {
  if (Controller != nullptr) SDL_GameControllerClose(Controller);
  Controller = nullptr;
  SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER | SDL_INIT_EVENTS);
}

}  // namespace platform
