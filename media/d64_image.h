// Disk images in the D64 format, held in memory; no drive is emulated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace media {

inline constexpr std::size_t kD64ImageSize = 174848;
inline constexpr std::size_t kD64DiskNameOffset = 0x16590;
extern std::uint8_t D64Image[kD64ImageSize];

// Reads the file into D64Image and confirms with the first character of the disk name.
bool MountD64(const std::string& path);

}  // namespace media
