// Host file names: refused when they could leave the folder, else looked up in it.
#include "media/host_file_names.h"

#include <algorithm>
#include <vector>

#include "media/cbm_name_pattern.h"
#include "platform/folder_names.h"

namespace media {

namespace {
// A folder of more files than this is searched in the first this many it lists.
constexpr std::size_t kFolderNameLimit = 100000;
}  // namespace

std::optional<std::string> FindHostFile(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return std::nullopt;
  if (name.find('/') != std::string_view::npos || name.find('\0') != std::string_view::npos) {
    return std::nullopt;
  }
  const std::vector<std::string> names = platform::RegularFileNamesHere(kFolderNameLimit);
  if (std::binary_search(names.begin(), names.end(), name)) return std::string(name);
  for (const std::string& candidate : names) {
    if (!candidate.starts_with('.') && CbmNameMatches(name, candidate)) return candidate;
  }
  return std::nullopt;
}

}  // namespace media
