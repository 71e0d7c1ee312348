#include "bench/boot_to_prompt.h"

#include <cstdlib>
#include <string>

#include "apps/headless_runner.h"
#include "core/machine.h"
#include "core/power_on.h"
#include "core/rom_images.h"
#include "core/run_control.h"
#include "shell/machine_hooks.h"

using namespace core;
using namespace apps;

bool BootToPrompt(benchmark::State& state, MachineModel model) {
  shell::ZeroWholeMachine();
  std::string error;
  const char* roms = std::getenv("C64EMU_ROMS");
  if (!LoadRomImages({roms ? roms : C64EMU_SHARED_DIR "/roms"}, error)) {
    state.SkipWithError(error.c_str());
    return false;
  }
  C64.model = model;
  PowerOn(true);
  RunFrames(200);
  return true;
}
