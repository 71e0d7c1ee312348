// Reading a file with POSIX calls: opened without blocking (a FIFO with no writer would
// otherwise wait for ever), checked to be a regular file, then read up to the limit.
#include "platform/file_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace platform {

namespace {

// Closes the descriptor on every way out.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

FileContents ReadFileHead(const std::string& path, std::size_t limit, Links links) {
  FileContents contents;
  const int noFollow = links == Links::kRefuse ? O_NOFOLLOW : 0;
  const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | noFollow));
  if (file.get() < 0) {
    if (errno == ELOOP && noFollow != 0) contents.status = FileReadStatus::kNotRegularFile;
    return contents;
  }

  struct stat info {};
  if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    contents.status = FileReadStatus::kNotRegularFile;
    return contents;
  }
  contents.size = static_cast<std::uintmax_t>(info.st_size);
  contents.bytes.resize(static_cast<std::size_t>(std::min<std::uintmax_t>(contents.size, limit)));

  std::size_t done = 0;
  while (done < contents.bytes.size()) {
    const ssize_t got =
        ::read(file.get(), contents.bytes.data() + done, contents.bytes.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      contents.status = FileReadStatus::kReadFailed;
      contents.bytes.clear();
      return contents;
    }
    done += static_cast<std::size_t>(got);
  }
  contents.status = FileReadStatus::kRead;
  return contents;
}

}  // namespace platform
