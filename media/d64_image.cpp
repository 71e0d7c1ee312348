// A disk image read into memory; the mount only confirms the disk name's first character.
#include "media/d64_image.h"

#include <cstdio>
#include <vector>

#include "platform/file_reader.h"
#include "platform/host_services.h"

namespace media {

std::uint8_t D64Image[kD64ImageSize];

bool MountD64(const std::string& path) {
  // Longer files (error bytes, 40 tracks) contribute only their first 174,848 bytes.
  const platform::FileContents file = platform::ReadFileHead(path, kD64ImageSize);
  const std::vector<std::uint8_t>& buffer = file.bytes;
  if (file.status != platform::FileReadStatus::kRead) {
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
