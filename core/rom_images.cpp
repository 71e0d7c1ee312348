// Reading the BASIC, KERNAL and character ROM images from a directory at start-up.
#include "core/rom_images.h"

#include <algorithm>
#include <cstdlib>
#include <span>

#include "core/escaped_text.h"
#include "platform/file_reader.h"

namespace core {

RomImageSet RomImages;

namespace {

struct RomFile {
  const char* name;
  const char* shortName;
  std::span<std::uint8_t> target;
};

// A path as a message shows it: it comes from outside (the environment, the current
// folder's name), so its control bytes appear as \xNN.
std::string Shown(const std::filesystem::path& path) {
  return EscapedText(path.string());
}

std::string JoinPlaces(const std::vector<std::filesystem::path>& directories) {
  std::string places;
  for (const auto& directory : directories) {
    if (!places.empty()) places += ", ";
    places += Shown(directory);
  }
  return places.empty() ? std::string("(no directory)") : places;
}

// A folder of the search that exists but cannot be listed or searched is named as such:
// passing over it would take the images from a later place without a word. Empty when the
// folder is readable or not there at all.
std::string UnreadableFolderProblem(const std::filesystem::path& directory) {
  std::error_code error;
  if (!std::filesystem::is_directory(std::filesystem::status(directory, error))) return {};
  std::filesystem::directory_iterator listing(directory, error);
  if (!error) {
    // Listing needs read permission, looking names up needs search permission.
    (void)std::filesystem::symlink_status(directory / ".", error);
  }
  if (!error) return {};
  return "ROM folder " + Shown(directory) + " cannot be read (" + error.message() +
         "). Set C64EMU_ROMS to the directory that holds the ROM images.";
}

}  // namespace

std::vector<std::filesystem::path> RomSearchDirectories(const std::filesystem::path& executable) {
  std::vector<std::filesystem::path> directories;
  if (const char* fromEnvironment = std::getenv("C64EMU_ROMS");
      fromEnvironment && *fromEnvironment) {
    directories.emplace_back(fromEnvironment);
  }
  // A current folder that has been deleted (or cannot be named) is left out of the search.
  std::error_code noCurrentFolder;
  const std::filesystem::path current = std::filesystem::current_path(noCurrentFolder);
  if (!noCurrentFolder) directories.push_back(current / "roms");
  if (!executable.empty()) {
    const std::filesystem::path folder = executable.parent_path();
    directories.push_back(folder / "roms");
    directories.push_back(folder.parent_path() / "roms");
  }
  return directories;
}

bool LoadRomImages(const std::vector<std::filesystem::path>& directories, std::string& error) {
  RomImageSet loaded;
  const RomFile files[] = {
      {"basic.901226-01.bin", "basic.bin", loaded.basic},
      {"kernal.901227-03.bin", "kernal.bin", loaded.kernal},
      {"characters.901225-01.bin", "chargen.bin", loaded.characters},
  };
  for (const RomFile& rom : files) {
    bool found = false;
    for (const auto& directory : directories) {
      if (std::string problem = UnreadableFolderProblem(directory); !problem.empty()) {
        error = std::move(problem);
        return false;
      }
      for (const char* name : {rom.name, rom.shortName}) {
        const std::filesystem::path path = directory / name;
        std::error_code ignored;
        if (!std::filesystem::exists(std::filesystem::symlink_status(path, ignored))) continue;
        // Something of that name stops the search: a folder, a FIFO or a device is refused
        // unread, and never more than the image's size is read from a regular file.
        const platform::FileContents file = platform::ReadFileHead(path, rom.target.size());
        if (file.status != platform::FileReadStatus::kRead) {
          error = "Cannot read ROM image " + Shown(path) +
                  (file.status == platform::FileReadStatus::kNotRegularFile ? ": not a regular file"
                                                                            : "");
          return false;
        }
        if (file.size != rom.target.size()) {
          error = "ROM image " + Shown(path) + " has " + std::to_string(file.size) +
                  " bytes; expected " + std::to_string(rom.target.size());
          return false;
        }
        std::copy(file.bytes.begin(), file.bytes.end(), rom.target.begin());
        found = true;
        break;
      }
      if (found) break;
    }
    if (!found) {
      error = std::string("ROM image ") + rom.name + " (or " + rom.shortName +
              ") not found; searched: " + JoinPlaces(directories) +
              ". Set C64EMU_ROMS to the directory that holds the ROM images.";
      return false;
    }
  }
  RomImages = loaded;
  return true;
}

}  // namespace core
