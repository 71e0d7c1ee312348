// c64emu-headless: the machine without a window, for scripts and tests.
#include <CLI/CLI.hpp>

#include <iostream>

#include "apps/headless_runner.h"
#include "core/debug_log.h"
#include "core/rom_images.h"
#include "platform/host_services.h"
#include "shell/machine_hooks.h"

namespace {

int Run(int argc, char** argv) {
  CLI::App app{"Runs the C64 without a window; timing counts emulated frames (50 a second)."};
  apps::HeadlessOptions options;
  std::string positionalProgram;
  bool echoLog = false;
  app.add_option("--input-at", options.inputAt, "Frame at which input starts")
      ->check(CLI::NonNegativeNumber);
  app.add_option("--prg", options.program, "Program file (.prg) loaded and run at the input frame");
  app.add_option("program", positionalProgram,
                 "Program file, as --prg; or a disk image (.d64): mounted, then LOAD\"*\",8,1 "
                 "and RUN typed");
  app.add_option("--d64", options.disk, "Disk image mounted as drive 8 (nothing typed)");
  app.add_flag("--no-run", options.noRun, "Load the program without typing RUN");
  app.add_option("--type", options.typeText, "Text typed after that; \\n is RETURN");
  app.add_option("--frames", options.frames, "Frames run after the last input event")
      ->check(CLI::NonNegativeNumber);
  app.add_flag("--screen-text", options.screenText, "Print the screen as text at the end");
  app.add_option("--screenshot", options.screenshot, "Save a 320x200 PNG picture at the end");
  app.add_option("--dump-ram", options.dumpRam, "Write the 64 KB of RAM at the end");
  app.add_option("--dump-io", options.dumpIo, "Write the 64 KB I/O image at the end");
  app.add_flag("--speed-limit", options.speedLimit, "Throttle towards 50 frames per second");
  app.add_flag("--stats", options.stats, "Print frames, instructions, seconds and frames/s");
  app.add_flag("--fps-trace", options.fpsTrace,
               "Print the measured frames per second once per emulated second");
  app.add_flag("--log", echoLog, "Print the debug log's lines on standard error as they arrive");
  try {
    app.parse(argc, argv);
    if (!positionalProgram.empty() && !options.program.empty()) {
      throw CLI::ValidationError("give the program either as --prg or as an argument");
    }
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help);
  } catch (const CLI::ParseError& error) {
    app.exit(error);
    return 1;
  }
  if (apps::NamesDiskImage(positionalProgram)) {
    if (!options.disk.empty()) {
      std::cerr << "give the disk either as --d64 or as an argument\n";
      return 1;
    }
    options.disk = positionalProgram;
    options.startDisk = true;
  } else if (!positionalProgram.empty()) {
    options.program = positionalProgram;
  }

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
