// The 1541's name comparison: character by character, with the two wildcards.
#include "media/cbm_name_pattern.h"

#include <string>

namespace media {

bool CbmNameMatches(std::string_view pattern, std::string_view name) {
  if (pattern.starts_with("0:")) pattern.remove_prefix(2);
  if (pattern.empty()) return false;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '*') return true;
    if (i >= name.size()) return false;
    if (pattern[i] != '?' && pattern[i] != name[i]) return false;
  }
  return pattern.size() == name.size();
}

namespace {
std::string FoldLetters(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return folded;
}
}  // namespace

bool CbmNameMatchesIgnoringCase(std::string_view pattern, std::string_view name) {
  return CbmNameMatches(FoldLetters(pattern), FoldLetters(name));
}

}  // namespace media
