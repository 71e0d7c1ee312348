#include "tests/support/test_machine.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "apps/headless_runner.h"
#include "apps/screen_text.h"
#include "core/machine_state.h"
#include "core/power_on.h"
#include "core/rom_images.h"
#include "platform/host_services.h"

namespace {
std::vector<RecordedBox> Boxes;
void RecordBox(const std::string& text, const std::string& title) { Boxes.push_back({text, title}); }
}  // namespace

std::filesystem::path SharedDir() {
  if (const char* dir = std::getenv("C64EMU_SHARED_DIR"); dir && *dir) return dir;
  return C64EMU_SHARED_DIR;
}

std::filesystem::path RomDir() { return SharedDir() / "roms"; }

void LoadTestRoms() {
  ZeroMachineState();
  std::string error;
  if (!LoadRomImages({RomDir()}, error)) FAIL() << error;
}

void PowerOnTestMachine() {
  LoadTestRoms();
  SetFirstStartHook(nullptr);
  PowerOn(true);
}

void RunFrames(int frames) { RunEmulatedFrames(frames); }

void BootToBasic() {
  PowerOnTestMachine();
  RunFrames(200);
}

std::vector<std::string> ScreenLines() { return ScreenTextLines(); }

void RecordMessageBoxes() {
  Boxes.clear();
  SetMessageBoxHandler(&RecordBox);
}

std::vector<RecordedBox>& RecordedMessageBoxes() { return Boxes; }
