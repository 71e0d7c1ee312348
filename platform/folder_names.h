// The names of the regular files in the current folder: what an emulated program's file
// name is matched against, so that no name it sets can reach another folder.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

// The regular files (or links to them) directly in the current folder, sorted by their
// bytes, at most `limit` of them (the first the folder lists). Empty when the folder
// cannot be read.
std::vector<std::string> RegularFileNamesHere(std::size_t limit);

}  // namespace platform
