// The one way the program reads a file from the host: a regular file from its start,
// never more than the caller's limit, whatever the file's size. A FIFO, a device or a
// folder is refused without waiting on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

enum class FileReadStatus {
  kRead,            // the file's first min(size, limit) bytes are in `bytes`
  kCannotOpen,      // missing, or no permission
  kNotRegularFile,  // a folder, a FIFO, a device
  kReadFailed,      // opened, but reading stopped early
};

struct FileContents {
  FileReadStatus status = FileReadStatus::kCannotOpen;
  std::uintmax_t size = 0;  // the whole file's size in bytes (when it could be opened)
  std::vector<std::uint8_t> bytes;
};

// Whether the file may be reached through a symbolic link. Refused, a link at `path`
// reads as kNotRegularFile, whatever it leads to.
enum class Links { kFollow, kRefuse };

// Reads at most `limit` bytes from the start of the file at `path`; `size` tells whether
// the file was longer.
FileContents ReadFileHead(const std::string& path, std::size_t limit, Links links = Links::kFollow);

}  // namespace platform
