// The desktop program's options, read and removed from the argument vector in place.
#include "shell/desktop/desktop_options.h"

#include <optional>
#include <string_view>

#include "core/machine.h"
#include "input/host_key_table.h"

namespace shell {

namespace {

constexpr std::string_view kJoystickPort = "--joystick-port";
constexpr std::string_view kCursorKeys = "--cursor-keys";
constexpr std::string_view kModel = "--model";
constexpr std::string_view kSoundStatus = "--sound-status";

bool SoundStatus = false;

// The value of option `name` at argv[*index] ("--name=value", or "--name" followed by the
// value, which *index then moves past); false when argv[*index] is another argument.
bool OptionValue(std::string_view name, int argc, char** argv, int* index,
                 std::optional<std::string_view>* value) {
  const std::string_view argument = argv[*index];
  if (argument == name) {
    if (*index + 1 < argc) *value = argv[++*index];
    return true;
  }
  if (argument.size() > name.size() && argument.substr(0, name.size()) == name &&
      argument[name.size()] == '=') {
    *value = argument.substr(name.size() + 1);
    return true;
  }
  return false;
}

}  // namespace

bool TakeDesktopOptions(int& argc, char** argv, std::string& error) {
  int port = core::C64.input.joystickPort.load();
  bool cursorKeysAsJoystick = input::CursorKeysAsJoystick();
  core::MachineModel model = core::C64.model;
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    std::optional<std::string_view> value;
    if (OptionValue(kJoystickPort, argc, argv, &i, &value)) {
      if (value != "1" && value != "2") {
        error = std::string(kJoystickPort) + " takes 1 or 2";
        return false;
      }
      port = *value == "1" ? 1 : 2;
    } else if (OptionValue(kCursorKeys, argc, argv, &i, &value)) {
      if (value != "joystick" && value != "cursor") {
        error = std::string(kCursorKeys) + " takes joystick or cursor";
        return false;
      }
      cursorKeysAsJoystick = *value == "joystick";
    } else if (OptionValue(kModel, argc, argv, &i, &value)) {
      if (value != "classic" && value != "accurate") {
        error = std::string(kModel) + " takes classic or accurate";
        return false;
      }
      model = *value == "classic" ? core::MachineModel::kClassic : core::MachineModel::kAccurate;
    } else if (argv[i] == kSoundStatus) {
      SoundStatus = true;
    } else {
      argv[kept++] = argv[i];
    }
  }
  argc = kept;
  argv[argc] = nullptr;
  core::C64.input.joystickPort.store(static_cast<std::uint8_t>(port));
  input::SetCursorKeysAsJoystick(cursorKeysAsJoystick);
  core::C64.model = model;
  return true;
}

bool SoundStatusRequested() {
  return SoundStatus;
}

}  // namespace shell
