// The drive's name matching: exact names, the two wildcards and the drive prefix.
#include "media/cbm_name_pattern.h"

#include <gtest/gtest.h>

using namespace media;

namespace {

TEST(CbmNamePattern, MatchesByTheDrivesRules) {
  const struct {
    const char* pattern;
    const char* name;
    bool matches;
  } kCases[] = {
      {"GAME", "GAME", true},  {"GAME", "GAMES", false},  {"GAMES", "GAME", false},
      {"game", "GAME", false}, {"0:GAME", "GAME", true},  {"1:GAME", "GAME", false},
      {"G?ME", "GAME", true},  {"G?ME", "GME", false},    {"GAME?", "GAME", false},
      {"????", "GAME", true},  {"GA*", "GAME", true},     {"GA*", "GA", true},
      {"GA*", "G", false},     {"G*XYZ", "GAME", true},   {"*", "GAME", true},
      {"*", "", true},         {"0:*", "ANY", true},      {"?*", "", false},
      {"", "", false},         {"0:", "", false},         {"", "GAME", false},
      {"GAME*", "GAME", true}, {"*GAME", "MYGAME", true}, {"A\xA0", "A", false},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(CbmNameMatches(c.pattern, c.name), c.matches) << c.pattern << " / " << c.name;
  }
}

}  // namespace

namespace {

// Host names: the machine's capitals stand for the host's letters of either case, and
// nothing else is folded.
TEST(CbmNamePattern, HostNamesMatchWithLettersOfEitherCase) {
  const struct {
    const char* pattern;
    const char* name;
    bool matches;
  } kCases[] = {
      {"GAME", "game", true},
      {"GAME", "Game", true},
      {"game", "GAME", true},
      {"G?ME", "gAme", true},
      {"GA*", "gamma.prg", true},
      {"0:GAME", "game", true},
      {"GAME", "games", false},
      {"G@ME", "g`me", false},
      {"\xC7"
       "AME",
       "game", false},
      {"[", "{", false},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(CbmNameMatchesIgnoringCase(c.pattern, c.name), c.matches)
        << c.pattern << " / " << c.name;
  }
}

}  // namespace
