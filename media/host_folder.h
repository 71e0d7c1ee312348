// The current folder as the drive's disk: its files read and written by name, listed as
// a directory, scratched and renamed. Only regular files lying in the folder are touched:
// a symbolic link is neither read, written through, replaced, scratched nor renamed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace media {

enum class HostFileStatus {
  kRead,            // `bytes` holds the file (at most the limit's bytes; `size` says all)
  kNotFound,        // no such name
  kNotRegularFile,  // a link, a folder, a FIFO, a device
  kNotReadable,     // no permission, or reading stopped early
};

struct HostFile {
  HostFileStatus status = HostFileStatus::kNotFound;
  std::uintmax_t size = 0;
  std::vector<std::uint8_t> bytes;
};

// Reads the start of the file `name` of the current folder (a name HostNameAllowed
// accepts), never through a link and never waiting on a FIFO.
HostFile ReadHostFile(const std::string& name, std::size_t limit);

enum class HostWriteStatus {
  kWritten,
  kExists,   // the name is taken and `replace` was not asked for, or it is not a regular file
  kRefused,  // a name HostNameAllowed refuses
  kFailed,   // the system refused; `reason` says why and the folder is as it was
};

// Writes `bytes` as the whole file `name` in the current folder (platform::WriteWholeFile:
// the old file or the new one, never a part). An existing regular file is replaced only
// with `replace`; a link or any other kind of file is never replaced.
HostWriteStatus WriteHostFile(const std::string& name, std::span<const std::uint8_t> bytes,
                              bool replace, std::string& reason);

// Removes the folder's regular files whose names match one of the patterns (letters of
// either case alike, names starting with "." only when named exactly); how many went.
int ScratchHostFiles(std::span<const std::string_view> patterns);

// Renames the regular file `from` to `to` in the folder; 0 (done), 62 (`from` is not a
// regular file there) or 63 (`to` is taken by any kind of file).
std::uint8_t RenameHostFile(const std::string& from, const std::string& to);

// The folder as a directory listing program (d64_directory_listing's form): header
// "HOST FOLDER", the regular files matching `pattern` (all for an empty one) as PRG files
// of their size in 254-byte blocks (names beyond 16 bytes cut), and the folder's free
// space in blocks (at most 65535).
std::vector<std::uint8_t> HostFolderListing(std::string_view pattern);

}  // namespace media
