// Edit -> "Paste Text": the clipboard's text typed into the machine as the runner's --type
// types text, one key event down and one up per character, fed into the keyboard's event
// queue as it has room. Characters no C64 key types are skipped and counted.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "input/key_matrix.h"

namespace shell {

// More than this many characters are refused whole (nothing typed).
inline constexpr std::size_t kMaxPastedCharacters = 65536;

struct PastedKeys {
  std::vector<input::KeyEvent> events;  // press, release, press, release, ...
  std::size_t typed = 0;                // characters that have a key
  std::size_t skipped = 0;              // characters that have none
};

// A newline, a carriage return or the two together is RETURN; an upper-case letter is
// SHIFT+letter, as with --type; other characters as the C64's keys print them.
PastedKeys KeysForPastedText(std::u32string_view text);

// Starts typing `text` (replacing a paste still under way) and logs what is typed and
// skipped; text over the limit is refused with a box. The user-interface thread feeds
// the events from its timer while the machine scans them.
void PasteText(std::u32string_view text);
// Submits queued events while the keyboard queue has room; false once all are in.
bool FeedPastedKeys();

}  // namespace shell
