// The current folder's file names, read once per request.
#include "platform/folder_names.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace platform {

std::vector<std::string> RegularFileNamesHere(std::size_t limit) {
  std::vector<std::string> names;
  std::error_code error;
  std::filesystem::directory_iterator entry(".", error);
  for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
    if (names.size() >= limit) break;
    std::error_code typeError;
    if (entry->is_regular_file(typeError)) names.push_back(entry->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace platform
