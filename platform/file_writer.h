// The one way the program writes a file on the host: the whole file at once, written
// beside its destination under a temporary name and renamed into place only when every
// byte is stored, so that the path holds the old file or the complete new one, never a part.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace platform {

enum class OutputPathStatus {
  kWritable,        // a regular file, or no file yet, in a folder that exists
  kEmpty,           // no name at all
  kFolder,          // names a folder
  kMissingFolder,   // the folder it would go in does not exist
  kNotRegularFile,  // a FIFO, a device, a socket, a link to nothing
};

// Names one file however its path is spelled ("x", "./x", "sub/../x", a link to it):
// the file's own device and inode when it exists, else its folder's and its name.
struct FileIdentity {
  std::uintmax_t device = 0;
  std::uintmax_t inode = 0;
  std::string name;
  bool operator==(const FileIdentity&) const = default;
};

struct OutputPathCheck {
  OutputPathStatus status = OutputPathStatus::kEmpty;
  FileIdentity identity;  // set when the status is kWritable
};

// Looks at the path without opening or creating anything (a FIFO is never opened).
OutputPathCheck CheckOutputPath(const std::string& path);

// Writes `bytes` as the whole file at `path` (a link to a regular file is followed, and
// an existing file keeps its permissions). On failure `reason` says why in the system's
// words, the file at `path` is as it was and no temporary file is left. A file-size
// limit makes the write fail rather than end the process.
bool WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes,
                    std::string& reason);

}  // namespace platform
