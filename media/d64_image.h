// The mounted disk: a D64 image held in memory, which the KERNAL's load trap reads its
// directory and files from, and which drive 8 (media/disk_drive.h) is given as its disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "media/d64_reader.h"

namespace media {

inline constexpr std::size_t kD64ImageSize = 174848;         // 35 tracks, no error bytes
inline constexpr std::size_t kD64LargestImageSize = 197376;  // 40 tracks with error bytes
inline constexpr std::size_t kD64DiskNameOffset = 0x16590;   // track 18 sector 0, byte $90
// Image byte k is file byte k; only the mounted image's size counts.
extern std::uint8_t D64Image[kD64LargestImageSize];

// Reads the file. An image of one of the four D64 sizes (35 or 40 tracks, each with or
// without error bytes) replaces the mounted one, and an "Info" box shows the first
// character of its disk name as "0x%x". A missing file ("D64 Image not found: "), one
// that cannot be read ("D64 Image not readable: "), a folder, FIFO or device ("D64 Image
// not a regular file: ") and a file of any other size (an "Error" box that names the
// sizes) leave the mounted image as it was. The copy never interleaves with a pass.
bool MountD64(const std::string& path);

// The mounted disk, a view of D64Image; nothing until a mount succeeds. For the holder of
// the pass lock (the load trap runs inside a pass; others take a PassLock).
std::optional<D64Disk> MountedD64();

// The mounted image's bytes (empty with none) and the absolute path of the file it was
// read from: what the drive (media/drive.h) is given to write files on and back to.
std::span<std::uint8_t> MountedD64Bytes();
const std::string& MountedD64Path();

// No disk mounted, as at process start (the tests' machine reset).
void UnmountD64();

// The mounted image's bytes (empty when none is mounted), and a mount of bytes kept in a
// snapshot, with no box: false, with nothing changed, for bytes of no D64 size. For the
// holder of the pass lock, as MountedD64.
std::span<const std::uint8_t> MountedImageBytes();
bool MountImageBytes(std::span<const std::uint8_t> bytes);

}  // namespace media
