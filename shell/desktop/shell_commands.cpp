// The machine side of the main window's commands.
#include "shell/desktop/shell_commands.h"

#include <filesystem>
#include <system_error>

#include "core/run_loop.h"
#include "media/prg_loader.h"

bool CommandLineNamesProgram(const std::string& path) {
  for (const char* extension : {".prg", ".PRG"}) {
    const std::size_t at = path.find(extension);
    if (at != std::string::npos && at >= 2) return true;
  }
  return false;
}

bool LoadAndStartProgram(const std::string& path) {
  {
    PassLock lock;
    if (!LoadPrg(path)) return false;
    SetBasicVariablesToLoadEnd();
  }
  // Typing needs the machine running: the keys are held while EmulatorThread scans them.
  AutostartProgram();
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
