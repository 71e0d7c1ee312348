// The three ROM images of the C64, read from a directory at start-up.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace core {

struct RomImageSet {
  std::array<std::uint8_t, 8192> basic;
  std::array<std::uint8_t, 8192> kernal;
  std::array<std::uint8_t, 4096> characters;
};
extern RomImageSet RomImages;

// $C64EMU_ROMS, else roms/ in the current directory, else roms/ beside the executable
// or one level above it.
std::vector<std::filesystem::path> RomSearchDirectories(const std::filesystem::path& executable);

// Loads the three images from the first directory that holds the named file. On
// failure returns false and sets `error` to a message that names the file and every
// place searched; RomImages is then unchanged.
bool LoadRomImages(const std::vector<std::filesystem::path>& directories, std::string& error);

}  // namespace core
