#include "apps/screen_text.h"

#include "core/memory_map.h"
#include "video/vic_state.h"

namespace apps {

char ScreenCodeToAscii(unsigned code) {
  const unsigned c = code & 0x7F;
  if (c == 0) return '@';
  if (c <= 26) return static_cast<char>('A' + c - 1);
  if (c <= 31) return "[\\]^_"[c - 27];
  if (c <= 63) return static_cast<char>(c);
  return '.';
}

std::vector<std::string> ScreenTextLines() {
  const std::uint16_t matrix = static_cast<std::uint16_t>(video::VicBank + video::ScreenOffset);
  std::vector<std::string> lines;
  for (int row = 0; row < 25; ++row) {
    std::string line;
    for (int column = 0; column < 40; ++column) {
      const auto address = static_cast<std::uint16_t>(matrix + row * 40 + column);
      line += ScreenCodeToAscii(core::ReadVideoByte(address));
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace apps
