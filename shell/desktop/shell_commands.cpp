// The machine side of the main window's commands.
#include "shell/desktop/shell_commands.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "core/machine_state.h"
#include "core/run_loop.h"
#include "media/prg_loader.h"
#include "platform/host_services.h"

namespace shell {

namespace {

// BASIC's cold start reaches its prompt 82 frames after power-on and clears program
// memory (NEW) on its way there: a program loaded before would be lost, and RUN typed
// before the KERNAL enables its interrupt is never scanned. At the machine's own speed
// that is 1.6 s, more than the one-second pause before a command-line program.
constexpr std::uint64_t kBasicPromptFrame = 100;
constexpr unsigned kCommandLinePauseMs = 1000;
constexpr unsigned kBasicPromptWaitLimitMs = 10000;
constexpr unsigned kBasicPromptPollMs = 10;

void WaitForBasicPrompt() {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kBasicPromptWaitLimitMs);
  while (core::FrameCounter.load() < kBasicPromptFrame && core::EmulationRunning.load() != 0 &&
         std::chrono::steady_clock::now() < deadline) {
    core::SleepServingWaitHook(kBasicPromptPollMs);
  }
}

}  // namespace

bool CommandLineNamesProgram(const std::string& path) {
  for (const char* extension : {".prg", ".PRG"}) {
    const std::size_t at = path.find(extension);
    if (at != std::string::npos && at >= 2) return true;
  }
  return false;
}

bool LoadAndStartProgram(const std::string& path) {
  {
    core::PassLock lock;
    if (!media::LoadPrg(path)) return false;
    media::SetBasicVariablesToLoadEnd();
  }
  // Typing needs the machine running: the keys are held while EmulatorThread scans them.
  media::AutostartProgram();
  return true;
}

bool StartCommandLineProgram(const std::string& path) {
  if (!CommandLineNamesProgram(path)) return false;
  platform::SleepMilliseconds(kCommandLinePauseMs);
  WaitForBasicPrompt();
  return LoadAndStartProgram(path);
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
