// Writing a whole file with POSIX calls: a temporary file in the destination's folder,
// written, flushed to the disk and renamed over the destination; on any failure the
// temporary file goes and the destination stays untouched.
#include "platform/file_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace platform {

namespace {

struct PathParts {
  std::string folder;  // "." for a bare name
  std::string name;    // empty when the path ends in a slash
};

PathParts SplitPath(const std::string& path) {
  const std::filesystem::path whole(path);
  const std::string folder = whole.parent_path().string();
  return {folder.empty() ? std::string(".") : folder, whole.filename().string()};
}

std::string SystemReason(int error) {
  return std::system_category().message(error);
}

// Without this a write beyond the file-size limit (ulimit -f) ends the process.
void IgnoreFileSizeSignal() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGXFSZ, &ignore, nullptr);
  });
}

// The file the bytes finally go to: a link to a regular file is followed, so that the
// link stays and its target gets the new contents.
std::string Destination(const std::string& path) {
  struct stat link {};
  if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

// A name of its own beside the destination, created exclusively (the umask applies).
int CreateTemporary(const PathParts& parts, std::string& temporary) {
  static std::atomic<unsigned> serial{0};
  // Short enough to stay within the folder's name limit whatever the destination's name.
  std::string stem(1, '.');
  stem.append(parts.name, 0, 200).append(".tmp-").append(std::to_string(::getpid()));
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = parts.folder + "/" + stem + "-" + std::to_string(serial.fetch_add(1));
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) {
      if (wrote == 0) errno = EIO;
      return false;
    }
    done += static_cast<std::size_t>(wrote);
  }
  return true;
}

}  // namespace

OutputPathCheck CheckOutputPath(const std::string& path) {
  OutputPathCheck check;
  if (path.empty()) return check;
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) {
      check.status = OutputPathStatus::kFolder;
    } else if (!S_ISREG(info.st_mode)) {
      check.status = OutputPathStatus::kNotRegularFile;
    } else {
      check.status = OutputPathStatus::kWritable;
      check.identity = {static_cast<std::uintmax_t>(info.st_dev),
                        static_cast<std::uintmax_t>(info.st_ino), ""};
    }
    return check;
  }
  struct stat link {};
  if (::lstat(path.c_str(), &link) == 0) {
    check.status = OutputPathStatus::kNotRegularFile;  // a link whose target is missing
    return check;
  }
  const PathParts parts = SplitPath(path);
  struct stat folder {};
  if (parts.name.empty()) {
    check.status = OutputPathStatus::kFolder;
  } else if (::stat(parts.folder.c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode)) {
    check.status = OutputPathStatus::kMissingFolder;
  } else {
    check.status = OutputPathStatus::kWritable;
    check.identity = {static_cast<std::uintmax_t>(folder.st_dev),
                      static_cast<std::uintmax_t>(folder.st_ino), parts.name};
  }
  return check;
}

bool WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes,
                    std::string& reason) {
  IgnoreFileSizeSignal();
  const std::string destination = Destination(path);
  const PathParts parts = SplitPath(destination);
  struct stat existing {};
  const bool exists = ::stat(destination.c_str(), &existing) == 0;
  if (parts.name.empty() || (exists && !S_ISREG(existing.st_mode))) {
    reason = "not a regular file";
    return false;
  }

  std::string temporary;
  const int fd = CreateTemporary(parts, temporary);
  if (fd < 0) {
    reason = SystemReason(errno);
    return false;
  }
  bool written = (!exists || ::fchmod(fd, existing.st_mode & 07777) == 0) && WriteAll(fd, bytes) &&
                 ::fsync(fd) == 0;
  int error = written ? 0 : errno;
  if (::close(fd) != 0 && written) {
    written = false;
    error = errno;
  }
  if (written && ::rename(temporary.c_str(), destination.c_str()) != 0) {
    written = false;
    error = errno;
  }
  if (!written) {
    ::unlink(temporary.c_str());
    reason = SystemReason(error);
  }
  return written;
}

}  // namespace platform
