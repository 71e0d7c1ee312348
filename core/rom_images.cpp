// Reading the BASIC, KERNAL and character ROM images from a directory at start-up.
#include "core/rom_images.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <span>

namespace core {

RomImageSet RomImages;

namespace {

struct RomFile {
  const char* name;
  const char* shortName;
  std::span<std::uint8_t> target;
};

// Reads a whole file; false if it cannot be opened.
bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return !file.bad();
}

std::string JoinPlaces(const std::vector<std::filesystem::path>& directories) {
  std::string places;
  for (const auto& directory : directories) {
    if (!places.empty()) places += ", ";
    places += directory.string();
  }
  return places.empty() ? std::string("(no directory)") : places;
}

}  // namespace

std::vector<std::filesystem::path> RomSearchDirectories(const std::filesystem::path& executable) {
  std::vector<std::filesystem::path> directories;
  if (const char* fromEnvironment = std::getenv("C64EMU_ROMS");
      fromEnvironment && *fromEnvironment) {
    directories.emplace_back(fromEnvironment);
  }
  directories.emplace_back(std::filesystem::current_path() / "roms");
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
      for (const char* name : {rom.name, rom.shortName}) {
        const std::filesystem::path path = directory / name;
        std::error_code ignored;
        if (!std::filesystem::is_regular_file(path, ignored)) continue;
        std::vector<std::uint8_t> bytes;
        if (!ReadWholeFile(path, bytes)) {
          error = "Cannot read ROM image " + path.string();
          return false;
        }
        if (bytes.size() != rom.target.size()) {
          error = "ROM image " + path.string() + " has " + std::to_string(bytes.size()) +
                  " bytes; expected " + std::to_string(rom.target.size());
          return false;
        }
        std::copy(bytes.begin(), bytes.end(), rom.target.begin());
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
