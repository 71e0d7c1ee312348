// A disk image read into memory after its size has been checked; the mount confirms the
// disk name's first character.
#include "media/d64_image.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <string>
#include <vector>

#include "core/escaped_text.h"
#include "core/run_loop.h"
#include "platform/file_reader.h"
#include "platform/host_services.h"

namespace media {

std::uint8_t D64Image[kD64LargestImageSize];

namespace {
std::size_t MountedSize = 0;  // 0: nothing mounted
}

bool MountD64(const std::string& path) {
  // One byte more than the largest image: a longer file shows as too long, unread.
  const platform::FileContents file = platform::ReadFileHead(path, kD64LargestImageSize + 1);
  const std::string shownPath = core::EscapedText(path);
  if (file.status != platform::FileReadStatus::kRead) {
    // Missing, or opened but unreadable (a directory): the image stays as it was.
    platform::ShowMessageBox("D64 Image not found: " + shownPath, "Error");
    return false;
  }
  if (!OpenD64(file.bytes)) {
    platform::ShowMessageBox("No D64 image: " + shownPath + " has " + std::to_string(file.size) +
                                 " bytes (a D64 image has 174848 or 196608, or 175531 or "
                                 "197376 with error bytes)",
                             "Error");
    return false;
  }
  unsigned nameStart = 0;
  {
    core::PassLock lock;
    std::copy(file.bytes.begin(), file.bytes.end(), D64Image);
    MountedSize = file.bytes.size();
    nameStart = D64Image[kD64DiskNameOffset];
  }
  char text[8];
  std::snprintf(text, sizeof text, "0x%x", nameStart);
  platform::ShowMessageBox(text, "Info");
  return true;
}

std::optional<D64Disk> MountedD64() {
  if (MountedSize == 0) return std::nullopt;
  return OpenD64(std::span<const std::uint8_t>(D64Image, MountedSize));
}

void UnmountD64() {
  MountedSize = 0;
}

std::span<const std::uint8_t> MountedImageBytes() {
  return {D64Image, MountedSize};
}

bool MountImageBytes(std::span<const std::uint8_t> bytes) {
  if (!OpenD64(bytes)) return false;
  assert(bytes.size() <= kD64LargestImageSize);  // only the four D64 sizes open
  std::copy(bytes.begin(), bytes.end(), D64Image);
  MountedSize = bytes.size();
  return true;
}

}  // namespace media
