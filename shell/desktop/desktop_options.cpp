// The desktop program's options, read by CLI11 and removed from the argument vector.
#include "shell/desktop/desktop_options.h"

#include <CLI/CLI.hpp>

#include <atomic>
#include <sstream>
#include <vector>

#include "core/escaped_text.h"
#include "core/machine.h"
#include "input/host_key_table.h"

namespace shell {

namespace {

std::atomic<bool> FpsTrace{false};
std::atomic<bool> SoundStatus{false};

// The options with a value, and the values each takes.
struct ValueOption {
  const char* name;
  const char* first;
  const char* second;
  const char* help;
};
constexpr ValueOption kValueOptions[] = {
    {"--joystick-port", "1", "2", "Control port of the joystick (Extras menu)"},
    {"--cursor-keys", "joystick", "cursor",
     "The PC cursor keys as the joystick or the cursor (Extras menu)"},
    {"--model", "classic", "accurate",
     "The machine: classic (as designed) or accurate (the chips' own timing)"},
};

std::string Takes(const ValueOption& option) {
  return std::string(option.name) + " takes " + option.first + " or " + option.second;
}

// A check whose message says what the option takes, as "--model takes classic or
// accurate, not "x"".
CLI::Validator TakesValueOf(const ValueOption& option) {
  return CLI::Validator(
      [option](std::string& value) {
        if (value == option.first || value == option.second) return std::string();
        return Takes(option) + ", not \"" + core::EscapedText(value) + "\"";
      },
      "");
}

// CLI11's message for a failure, with a missing value said as the value's rule.
std::string FailureText(const CLI::ParseError& failure) {
  const std::string text = failure.what();
  for (const ValueOption& option : kValueOptions) {
    const std::string prefix = std::string(option.name) + ": ";
    if (text.rfind(prefix, 0) != 0) continue;
    const std::string reason = text.substr(prefix.size());
    // The validator's own message already starts with the option's name.
    return reason.rfind(option.name, 0) == 0 ? reason : Takes(option) + " (no value given)";
  }
  return core::EscapedText(text);
}

}  // namespace

bool TakeDesktopOptions(int& argc, char** argv, std::string& error, std::string* shown) {
  CLI::App app{
      "The C64 in a window: the display window \"Emulator\" and the main window "
      "with its menu. PROGRAM (.prg) is loaded and started, or a disk image (.d64) "
      "mounted and its first program loaded, once BASIC shows its prompt.",
      "c64emu"};
  app.set_version_flag("--version", std::string("c64emu ") + C64EMU_VERSION);
  app.allow_extras();
  std::string values[] = {
      std::to_string(core::C64.input.joystickPort.load()),
      input::CursorKeysAsJoystick() ? "joystick" : "cursor",
      core::C64.model == core::MachineModel::kAccurate ? "accurate" : "classic"};
  for (std::size_t i = 0; i < std::size(kValueOptions); ++i) {
    const ValueOption& option = kValueOptions[i];
    app.add_option(option.name, values[i], option.help)
        ->check(TakesValueOf(option))
        ->type_name(std::string(option.first) + "|" + option.second);
  }
  const std::string& port = values[0];
  const std::string& cursorKeys = values[1];
  const std::string& model = values[2];
  bool fpsTrace = false;
  app.add_flag("--fps-trace", fpsTrace,
               "Print the frames run in each second of wall time (fps: N) on standard output");
  bool soundStatus = false;
  app.add_flag("--sound-status", soundStatus,
               "Print the sound output's figures (underruns, queue) every second");
  app.footer("Positionals: [PROGRAM.prg | DISK.d64]. Keys and menus: see the README.");
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& done) {  // --help, --version
    std::ostringstream out;
    std::ostringstream ignored;
    app.exit(done, out, ignored);
    if (shown != nullptr) *shown = out.str();
    argc = 1;
    argv[1] = nullptr;
    return true;
  } catch (const CLI::ParseError& failure) {
    error = FailureText(failure);
    return false;
  }
  // The arguments CLI11 did not take, in their order (a lone "--" is one of them).
  const std::vector<std::string> rest = app.remaining();
  int kept = 1;
  for (int i = 1; i < argc && kept - 1 < static_cast<int>(rest.size()); ++i) {
    if (argv[i] == rest[static_cast<std::size_t>(kept - 1)]) argv[kept++] = argv[i];
  }
  argc = kept;
  argv[argc] = nullptr;
  core::C64.input.joystickPort.store(port == "2" ? 2 : 1);
  input::SetCursorKeysAsJoystick(cursorKeys == "joystick");
  core::C64.model =
      model == "accurate" ? core::MachineModel::kAccurate : core::MachineModel::kClassic;
  FpsTrace.store(fpsTrace);
  SoundStatus.store(soundStatus);
  return true;
}

bool SoundStatusRequested() {
  return SoundStatus.load();
}

bool DesktopFpsTrace() {
  return FpsTrace.load();
}

}  // namespace shell
