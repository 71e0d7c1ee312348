// Host file names: refused when they could leave the folder, else looked up among the
// folder's own regular files. Links are left out by their own type, not their target's.
#include "media/host_file_names.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "media/cbm_name_pattern.h"

namespace media {

namespace {
// A folder of more files than this is searched in the first this many it lists.
constexpr std::size_t kFolderNameLimit = 100000;
}  // namespace

bool HostNameAllowed(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
         name.find('\0') == std::string_view::npos;
}

std::vector<std::string> HostFolderFiles() {
  std::vector<std::string> names;
  std::error_code error;
  std::filesystem::directory_iterator entry(".", error);
  for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
    if (names.size() >= kFolderNameLimit) break;
    std::error_code typeError;
    // The entry's own type: a link is a link, whatever it leads to.
    if (entry->symlink_status(typeError).type() == std::filesystem::file_type::regular) {
      names.push_back(entry->path().filename().string());
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<std::string> FindHostFile(std::string_view name) {
  if (!HostNameAllowed(name)) return std::nullopt;
  const std::vector<std::string> names = HostFolderFiles();
  if (std::binary_search(names.begin(), names.end(), name)) return std::string(name);
  const auto visible = [](const std::string& candidate) { return !candidate.starts_with('.'); };
  const auto sameIgnoringCase = [&](const std::string& candidate) {
    return candidate.size() == name.size() &&
           std::equal(candidate.begin(), candidate.end(), name.begin(), [](char a, char b) {
             const auto fold = [](char c) {
               return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
             };
             return fold(a) == fold(b);
           });
  };
  for (const std::string& candidate : names) {
    if (visible(candidate) && sameIgnoringCase(candidate)) return candidate;
  }
  for (const std::string& candidate : names) {
    if (visible(candidate) && CbmNameMatches(name, candidate)) return candidate;
  }
  for (const std::string& candidate : names) {
    if (visible(candidate) && CbmNameMatchesIgnoringCase(name, candidate)) return candidate;
  }
  return std::nullopt;
}

}  // namespace media
