// A disk image read into memory after its size has been checked; the mount confirms the
// disk name's first character.
#include "media/d64_image.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/escaped_text.h"
#include "core/run_loop.h"
#include "media/disk_drive.h"
#include "platform/file_reader.h"
#include "platform/host_services.h"

namespace media {

std::uint8_t D64Image[kD64LargestImageSize];

namespace {
std::size_t MountedSize = 0;  // 0: nothing mounted
std::string MountedPath;      // absolute: the current folder may change after the mount
}  // namespace

bool MountD64(const std::string& path) {
  // One byte more than the largest image: a longer file shows as too long, unread.
  const platform::FileContents file = platform::ReadFileHead(path, kD64LargestImageSize + 1);
  const std::string shownPath = core::EscapedText(path);
  if (file.status != platform::FileReadStatus::kRead) {
    // The image stays as it was; the box says why, as for program files.
    std::error_code error;
    const bool exists = std::filesystem::exists(path, error);
    const char* why = file.status == platform::FileReadStatus::kNotRegularFile
                          ? "D64 Image not a regular file: "
                      : exists ? "D64 Image not readable: "
                               : "D64 Image not found: ";
    platform::ShowMessageBox(why + shownPath, "Error");
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
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    MountedPath = error ? path : absolute.string();
    nameStart = D64Image[kD64DiskNameOffset];
    DiskDrive().Mount(MountedD64Bytes(), MountedPath, DiskWriteProtect());
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

std::span<std::uint8_t> MountedD64Bytes() {
  return {D64Image, MountedSize};
}

const std::string& MountedD64Path() {
  return MountedPath;
}

void UnmountD64() {
  MountedSize = 0;
  MountedPath.clear();
  DiskDrive().Unmount();
}

std::span<const std::uint8_t> MountedImageBytes() {
  return {D64Image, MountedSize};
}

bool MountImageBytes(std::span<const std::uint8_t> bytes) {
  if (!OpenD64(bytes)) return false;
  assert(bytes.size() <= kD64LargestImageSize);  // only the four D64 sizes open
  std::copy(bytes.begin(), bytes.end(), D64Image);
  MountedSize = bytes.size();
  // A snapshot's disk lives in memory: the drive writes nothing back to a file.
  DiskDrive().Mount(MountedD64Bytes(), std::string(), DiskWriteProtect());
  return true;
}

}  // namespace media
