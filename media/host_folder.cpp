// Host files opened without following links, relative to the current folder, so that the
// name checked is the file read, and written through platform::WriteWholeFile once their name
// is known to be free or a regular file.
#include "media/host_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "media/cbm_name_pattern.h"
#include "media/d64_directory_listing.h"
#include "media/host_file_names.h"
#include "platform/file_reader.h"
#include "platform/file_writer.h"

namespace media {

namespace {

constexpr std::size_t kBlockBytes = 254;

// The name's own kind in the folder: 0 for none, else its lstat mode.
mode_t OwnKind(const std::string& name) {
  struct stat info {};
  if (::lstat(name.c_str(), &info) != 0) return 0;
  return info.st_mode & S_IFMT;
}

}  // namespace

HostFile ReadHostFile(const std::string& name, std::size_t limit) {
  HostFile file;
  if (!HostNameAllowed(name)) return file;
  const mode_t kind = OwnKind(name);
  if (kind == 0) return file;
  if (kind != S_IFREG) {
    file.status = HostFileStatus::kNotRegularFile;
    return file;
  }
  // Opened without following a link: one put in the file's place since the check above is
  // refused too.
  platform::FileContents contents = platform::ReadFileHead(name, limit, platform::Links::kRefuse);
  switch (contents.status) {
    case platform::FileReadStatus::kRead:
      file.status = HostFileStatus::kRead;
      file.size = contents.size;
      file.bytes = std::move(contents.bytes);
      break;
    case platform::FileReadStatus::kNotRegularFile:
      file.status = HostFileStatus::kNotRegularFile;
      break;
    case platform::FileReadStatus::kCannotOpen:
    case platform::FileReadStatus::kReadFailed: file.status = HostFileStatus::kNotReadable; break;
  }
  return file;
}

HostWriteStatus WriteHostFile(const std::string& name, std::span<const std::uint8_t> bytes,
                              bool replace, std::string& reason) {
  if (!HostNameAllowed(name)) return HostWriteStatus::kRefused;
  const mode_t kind = OwnKind(name);
  if (kind != 0 && (kind != S_IFREG || !replace)) return HostWriteStatus::kExists;
  if (!platform::WriteWholeFile(name, bytes, reason)) return HostWriteStatus::kFailed;
  return HostWriteStatus::kWritten;
}

int ScratchHostFiles(std::span<const std::string_view> patterns) {
  int count = 0;
  for (const std::string& name : HostFolderFiles()) {
    const bool hidden = name.starts_with('.');
    const bool matched = std::any_of(patterns.begin(), patterns.end(), [&](std::string_view p) {
      if (p.starts_with("0:")) p.remove_prefix(2);
      return p == name || (!hidden && CbmNameMatchesIgnoringCase(p, name));
    });
    // The name was a regular file when listed; unlink removes a link itself, never its target.
    if (matched && OwnKind(name) == S_IFREG && ::unlink(name.c_str()) == 0) ++count;
  }
  return count;
}

std::uint8_t RenameHostFile(const std::string& from, const std::string& to) {
  if (!HostNameAllowed(from) || OwnKind(from) != S_IFREG) return 62;
  if (!HostNameAllowed(to) || OwnKind(to) != 0) return 63;
  // Linux's renameat2 with RENAME_NOREPLACE is not everywhere; link and unlink give the
  // same "never over an existing name".
  if (::link(from.c_str(), to.c_str()) != 0) return errno == EEXIST ? 63 : 62;
  ::unlink(from.c_str());
  return 0;
}

std::vector<std::uint8_t> HostFolderListing(std::string_view pattern) {
  D64Directory directory;
  directory.header.name = {'H', 'O', 'S', 'T',  ' ',  'F',  'O',  'L',
                           'D', 'E', 'R', 0xA0, 0xA0, 0xA0, 0xA0, 0xA0};
  directory.header.id = {'H', 'F'};
  directory.header.dosType = {'2', 'A'};
  for (const std::string& name : HostFolderFiles()) {
    if (name.starts_with('.')) continue;
    if (!pattern.empty() && !CbmNameMatchesIgnoringCase(pattern, name)) continue;
    D64DirectoryEntry entry;
    entry.typeByte = 0x82;
    entry.name.fill(0xA0);
    for (std::size_t k = 0; k < std::min<std::size_t>(name.size(), 16); ++k) {
      const char c = name[k];
      // Host letters of either case show as the machine's letters.
      entry.name[k] = static_cast<std::uint8_t>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(name, error);
    const std::uintmax_t blocks = error ? 0 : (size + kBlockBytes - 1) / kBlockBytes;
    entry.blocks = static_cast<std::uint16_t>(std::min<std::uintmax_t>(blocks, 65535));
    directory.entries.push_back(entry);
  }
  std::error_code error;
  const std::filesystem::space_info space = std::filesystem::space(".", error);
  directory.header.blocksFree =
      error ? 0 : static_cast<int>(std::min<std::uintmax_t>(space.available / kBlockBytes, 65535));
  return DirectoryListingProgram(directory);
}

}  // namespace media
