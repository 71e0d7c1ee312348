// File names matched as the 1541 matches the name of a LOAD or OPEN: for names on a disk
// image and, with the same rules, for names of host files.
#pragma once

#include <string_view>

namespace media {

// Whether `name` (without padding) matches `pattern`. A leading "0:" drive prefix is
// dropped; then `?` matches any one character and `*` matches whatever follows (the
// pattern's characters after a `*` are ignored, so "*" alone matches every name and a
// search with it finds the first file). Otherwise the name must equal the pattern. An
// empty pattern matches nothing.
bool CbmNameMatches(std::string_view pattern, std::string_view name);

// CbmNameMatches for a host file's name, with the letters of either case alike: the
// machine's unshifted letters ($41-$5A) stand for the host's letters in either case.
bool CbmNameMatchesIgnoringCase(std::string_view pattern, std::string_view name);

}  // namespace media
