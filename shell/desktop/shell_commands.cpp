// The machine side of the main window's commands.
#include "shell/desktop/shell_commands.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <system_error>

#include "core/machine.h"
#include "core/run_loop.h"
#include "media/d64_image.h"
#include "media/prg_loader.h"
#include "platform/host_services.h"

namespace shell {

namespace {

// BASIC's cold start reaches its prompt 82 frames after power-on in the classic machine,
// and 111 in the accurate one (its memory test runs at the chip's own cycle counts); it
// clears program memory (NEW) on its way there: a program loaded before would be lost,
// and RUN typed before the KERNAL enables its interrupt is never scanned. At the
// machine's own speed that is 1.6 s or 2.2 s, more than the one-second pause before a
// command-line program.
std::uint64_t BasicPromptFrame() {
  return core::C64.model == core::MachineModel::kAccurate ? 130 : 100;
}
constexpr unsigned kCommandLinePauseMs = 1000;
constexpr unsigned kBasicPromptWaitLimitMs = 10000;
constexpr unsigned kBasicPromptPollMs = 10;

void WaitForBasicPrompt() {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kBasicPromptWaitLimitMs);
  while (core::C64.run.frameCounter.load() < BasicPromptFrame() &&
         core::C64.run.emulationRunning.load() != 0 &&
         std::chrono::steady_clock::now() < deadline) {
    core::SleepServingWaitHook(kBasicPromptPollMs);
  }
}

bool NamedByExtension(const std::string& path, std::initializer_list<const char*> extensions) {
  for (const char* extension : extensions) {
    const std::size_t at = path.find(extension);
    if (at != std::string::npos && at >= 2) return true;
  }
  return false;
}

}  // namespace

bool CommandLineNamesProgram(const std::string& path) {
  return NamedByExtension(path, {".prg", ".PRG"});
}

bool CommandLineNamesDisk(const std::string& path) {
  return !CommandLineNamesProgram(path) && NamedByExtension(path, {".d64", ".D64"});
}

bool LoadAndStartProgram(const std::string& path) {
  bool typeRun = false;
  {
    core::PassLock lock;
    const std::optional<media::ProgramRange> loaded = media::LoadPrg(path);
    if (!loaded) return false;
    typeRun = media::PrepareLoadedProgramForStart(*loaded);
  }
  // Typing needs the machine running: the keys are held while EmulatorThread scans them.
  if (typeRun) media::AutostartProgram();
  return true;
}

bool StartCommandLineProgram(const std::string& path) {
  const bool disk = CommandLineNamesDisk(path);
  if (!disk && !CommandLineNamesProgram(path)) return false;
  platform::SleepMilliseconds(kCommandLinePauseMs);
  WaitForBasicPrompt();
  if (!disk) return LoadAndStartProgram(path);
  if (!media::MountD64(path)) return false;
  media::AutostartDisk();
  return true;
}

std::string EnterFolderOf(const std::string& chosenPath) {
  const std::filesystem::path chosen(chosenPath);
  if (chosen.has_parent_path()) {
    std::error_code ignored;
    std::filesystem::current_path(chosen.parent_path(), ignored);
  }
  return chosen.filename().string();
}

}  // namespace shell
