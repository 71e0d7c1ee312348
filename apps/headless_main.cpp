// c64emu-headless: the machine without a window, for scripts and tests.
#include <CLI/CLI.hpp>

#include <charconv>
#include <iostream>
#include <limits>
#include <string>
#include <vector>

#include "apps/headless_runner.h"
#include "apps/output_files.h"
#include "core/breakpoints.h"
#include "core/debug_log.h"
#include "core/rom_images.h"
#include "platform/host_services.h"
#include "shell/machine_hooks.h"

namespace {

// Frame numbers are decimal whatever their leading zeros ("010" is ten), from 0 up.
void SetFrameNumber(const std::string& option, const std::string& text, int& target) {
  int value = 0;
  const char* end = text.data() + text.size();
  const bool digitsOnly =
      !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
  const auto [stop, error] = std::from_chars(text.data(), end, value, 10);
  if (!digitsOnly || error != std::errc() || stop != end) {
    throw CLI::ValidationError(option, "'" + text + "' is not a whole number from 0 to " +
                                           std::to_string(std::numeric_limits<int>::max()));
  }
  target = value;
}

// A file option given with an empty name is a mistake, not "no file".
const CLI::Validator kFileName(
    [](std::string& name) { return name.empty() ? std::string("no file name given") : ""; },
    "FILE");

// A --break address: hexadecimal, as C000, $C000 or 0xC000.
const CLI::Validator kBreakAddress(
    [](std::string& text) {
      return core::ParseBreakpointAddress(text)
                 ? std::string()
                 : "'" + text +
                       "' is not a hexadecimal address from 0 to FFFF (C000, $C000 or "
                       "0xC000)";
    },
    "ADDR");

int Run(int argc, char** argv) {
  CLI::App app{"Runs the C64 without a window; timing counts emulated frames (50 a second).",
               "c64emu-headless"};
  app.set_version_flag("--version", std::string("c64emu-headless ") + C64EMU_VERSION);
  apps::HeadlessOptions options;
  std::string positionalProgram;
  bool echoLog = false;
  const auto frameOption = [&app](const std::string& name, int& target, const std::string& help) {
    return app
        .add_option_function<std::string>(
            name, [name, &target](const std::string& text) { SetFrameNumber(name, text, target); },
            help)
        ->type_name("N");
  };
  frameOption("--input-at", options.inputAt,
              "Frame at which input starts (a program waits for BASIC's prompt)");
  app.add_option("--prg", options.program, "Program file (.prg) loaded and run at the input frame")
      ->check(kFileName);
  app.add_option("program", positionalProgram,
                 "Program file, as --prg; or a disk image (.d64): mounted, then LOAD\"*\",8,1 "
                 "and RUN typed")
      ->check(kFileName);
  app.add_option("--d64", options.disk, "Disk image mounted as drive 8 (nothing typed)")
      ->check(kFileName);
  app.add_flag("--read-only-disk", options.readOnlyDisk,
               "Mount the disk write-protected (writes answer 26,WRITE PROTECT ON)");
  app.add_flag("--no-run", options.noRun, "Load the program without typing RUN");
  app.add_option("--type", options.typeText,
                 "Text typed after that; \\n is RETURN, {NAME} a named key or joystick event");
  frameOption("--frames", options.frames, "Frames run after the last input event");
  app.add_flag("--screen-text", options.screenText, "Print the screen as text at the end");
  app.add_option("--screenshot", options.screenshot,
                 "Save a PNG picture at the end (320x200, or 384x272 with --model accurate)")
      ->check(kFileName);
  app.add_option("--dump-ram", options.dumpRam, "Write the 64 KB of RAM at the end")
      ->check(kFileName);
  app.add_option("--dump-io", options.dumpIo, "Write the 64 KB I/O image at the end")
      ->check(kFileName);
  app.add_option("--save-state", options.saveState,
                 "Write a snapshot of the whole machine at the end")
      ->check(kFileName);
  app.add_option("--load-state", options.loadState,
                 "Start from a snapshot instead of power-on (frames count from there)")
      ->check(kFileName);
  app.add_option("--audio", options.audio,
                 "Write the whole run's sound as a 48 kHz 16-bit mono WAV file at the end")
      ->check(kFileName);
  app.add_flag("--speed-limit", options.speedLimit, "Throttle towards 50 frames per second");
  app.add_flag("--stats", options.stats, "Print frames, instructions, seconds and frames/s");
  app.add_flag("--fps-trace", options.fpsTrace,
               "Print the measured frames per second once per emulated second");
  std::vector<std::string> breakTexts;
  app.add_option("--break", breakTexts,
                 "End the run before the instruction at this hexadecimal address (repeatable)")
      ->allow_extra_args(false)
      ->check(kBreakAddress);
  app.add_flag("--log", echoLog, "Print the debug log's lines on standard error as they arrive");
  // The joystick and the cursor keys, as the desktop program takes them.
  std::string cursorKeys = "joystick";
  std::string model = "classic";
  app.add_option("--model", model,
                 "The machine: classic (as designed) or accurate (the chips' own timing)")
      ->check(CLI::IsMember({"classic", "accurate"}));
  app.add_option("--joystick-port", options.joystickPort, "Control port of the joystick")
      ->check(CLI::IsMember({1, 2}));
  app.add_option("--cursor-keys", cursorKeys, "The PC cursor keys as the joystick or the cursor")
      ->check(CLI::IsMember({"joystick", "cursor"}));
  try {
    app.parse(argc, argv);
    if (!positionalProgram.empty() && !options.program.empty()) {
      throw CLI::ValidationError("give the program either as --prg or as an argument");
    }
    if (apps::NamesDiskImage(positionalProgram) && !options.disk.empty()) {
      throw CLI::ValidationError("give the disk either as --d64 or as an argument");
    }
    // Every output path is checked before anything runs.
    if (const std::string problem = apps::OutputFilesProblem(apps::RequestedOutputFiles(options));
        !problem.empty()) {
      throw CLI::ValidationError(problem);
    }
  } catch (const CLI::Success& done) {  // --help, --version
    return app.exit(done);
  } catch (const CLI::ParseError& error) {
    app.exit(error);
    return 1;
  }
  if (apps::NamesDiskImage(positionalProgram)) {
    options.disk = positionalProgram;
    options.startDisk = true;
  } else if (!positionalProgram.empty()) {
    options.program = positionalProgram;
  }
  for (const std::string& text : breakTexts) {
    options.breakpoints.push_back(*core::ParseBreakpointAddress(text));
  }
  options.cursorKeysAsJoystick = cursorKeys == "joystick";
  options.model =
      model == "accurate" ? core::MachineModel::kAccurate : core::MachineModel::kClassic;

  std::string error;
  if (!core::LoadRomImages(core::RomSearchDirectories(platform::ExecutablePath()), error)) {
    std::cerr << error << "\n";
    return 1;
  }
  if (echoLog) core::SetDebugLogEcho(stderr);
  shell::InstallMachineHooks();
  return apps::RunHeadless(options, std::cout, std::cerr);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& error) {
    std::cerr << "c64emu-headless: " << error.what() << "\n";
    return 1;
  }
}
