// The video matrix read back as text: screen codes mapped to ASCII in the character set
// the video chip shows.
#include "apps/screen_text.h"

#include "core/memory_map.h"
#include "video/vic_state.h"

namespace apps {

char ScreenCodeToAscii(unsigned code, bool mixedCase) {
  const unsigned c = code & 0x7F;
  if (c == 0) return '@';
  if (c <= 26) return static_cast<char>((mixedCase ? 'a' : 'A') + c - 1);
  if (c <= 31) return "[\\]^_"[c - 27];
  if (c <= 63) return static_cast<char>(c);
  if (mixedCase && c >= 65 && c <= 90) return static_cast<char>('A' + c - 65);
  return '.';
}

std::vector<std::string> ScreenTextLines() {
  const std::uint16_t matrix = static_cast<std::uint16_t>(video::VicBank + video::ScreenOffset);
  // The character ROM's second half, seen at $1800 in banks 0 and 2, is the mixed-case set.
  const unsigned glyphs = (video::VicBank + video::CharBaseOffset) & 0xFFFF;
  const bool mixedCase = glyphs == 0x1800 || glyphs == 0x9800;
  std::vector<std::string> lines;
  for (int row = 0; row < 25; ++row) {
    std::string line;
    for (int column = 0; column < 40; ++column) {
      const auto address = static_cast<std::uint16_t>(matrix + row * 40 + column);
      line += ScreenCodeToAscii(core::ReadVideoByte(address), mixedCase);
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace apps
