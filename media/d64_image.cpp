// A disk image read into memory; the mount only confirms the disk name's first character.
#include "media/d64_image.h"

#include <cstdio>
#include <vector>

#include "platform/host_services.h"

namespace media {

std::uint8_t D64Image[kD64ImageSize];

namespace {

// Reads up to the image size from the start of the file; longer files (error bytes,
// 40 tracks) contribute only their first 174,848 bytes.
bool ReadImageBytes(std::FILE* file, std::vector<std::uint8_t>& buffer) {
  if (std::fseek(file, 0, SEEK_END) != 0) return false;
  const long length = std::ftell(file);
  if (length < 0) return false;
  if (std::fseek(file, 0, SEEK_SET) != 0) return false;
  const std::size_t wanted = static_cast<std::size_t>(length) < kD64ImageSize
                                 ? static_cast<std::size_t>(length)
                                 : kD64ImageSize;
  buffer.resize(wanted);
  return std::fread(buffer.data(), 1, wanted, file) == wanted;
}

}  // namespace

bool MountD64(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  std::vector<std::uint8_t> buffer;
  const bool read = file != nullptr && ReadImageBytes(file, buffer);
  if (file != nullptr) std::fclose(file);
  if (!read) {
    // Missing, or opened but unreadable (a directory): the image stays as it was.
    platform::ShowMessageBox("D64 Image not found: " + path, "Error");
    return false;
  }

  // Image byte k is file byte k; bytes beyond a shorter file keep their old contents.
  for (std::size_t i = 0; i < buffer.size(); ++i) D64Image[i] = buffer[i];

  char text[8];
  std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(D64Image[kD64DiskNameOffset]));
  platform::ShowMessageBox(text, "Info");
  return true;
}

}  // namespace media
