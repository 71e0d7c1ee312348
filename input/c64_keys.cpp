// The C64 keyboard matrix as the labels of its 64 keys, and the lookups by character and
// by name built on it.
#include "input/c64_keys.h"

namespace input {

namespace {

// Row r (CIA 1 port A bit r), column c (port B bit c): the key's label. Keys with a
// character of their own carry that character; the others carry their names.
constexpr std::string_view kMatrixLabels[8][8] = {
    {"DEL", "RETURN", "RIGHT", "F7", "F1", "F3", "F5", "DOWN"},
    {"3", "W", "A", "4", "Z", "S", "E", "SHIFT"},
    {"5", "R", "D", "6", "C", "F", "T", "X"},
    {"7", "Y", "G", "8", "B", "H", "U", "V"},
    {"9", "I", "J", "0", "M", "K", "O", "N"},
    {"+", "P", "L", "-", ".", ":", "@", ","},
    {"POUND", "*", ";", "HOME", "RSHIFT", "=", "UPARROW", "/"},
    {"1", "LEFTARROW", "CTRL", "2", "SPACE", "C=", "Q", "RUNSTOP"},
};

// Characters and names that a key types or means together with SHIFT, or that are
// another name of a key.
struct KeyAlias {
  std::string_view name;
  std::string_view label;
  bool shifted;
};
constexpr KeyAlias kCharacterAliases[] = {
    {"!", "1", true},        {"\"", "2", true},         {"#", "3", true},
    {"$", "4", true},        {"%", "5", true},          {"&", "6", true},
    {"'", "7", true},        {"(", "8", true},          {")", "9", true},
    {"<", ",", true},        {">", ".", true},          {"?", "/", true},
    {"[", ":", true},        {"]", ";", true},          {" ", "SPACE", false},
    {"\r", "RETURN", false}, {"\\", "POUND", false},    {"\xA3", "POUND", false},
    {"^", "UPARROW", false}, {"_", "LEFTARROW", false},
};
constexpr KeyAlias kNameAliases[] = {
    {"CLR", "HOME", true},   {"INST", "DEL", true}, {"UP", "DOWN", true},
    {"LEFT", "RIGHT", true}, {"F2", "F1", true},    {"F4", "F3", true},
    {"F6", "F5", true},      {"F8", "F7", true},    {"STOP", "RUNSTOP", false},
    {"CBM", "C=", false},
};

std::optional<MatrixPosition> PositionLabelled(std::string_view label) {
  for (int row = 0; row < 8; ++row) {
    for (int column = 0; column < 8; ++column) {
      if (kMatrixLabels[row][column] == label) return MatrixPosition{row, column};
    }
  }
  return std::nullopt;
}

std::optional<C64Key> KeyByAlias(std::string_view name, const KeyAlias* first,
                                 const KeyAlias* last) {
  for (const KeyAlias* alias = first; alias != last; ++alias) {
    if (alias->name == name) return C64Key{*PositionLabelled(alias->label), alias->shifted};
  }
  return std::nullopt;
}

bool IsLetter(unsigned char character) {
  return (character >= 'a' && character <= 'z') || (character >= 'A' && character <= 'Z');
}

// A name of more than one character (single characters are the keys' own characters).
bool IsName(std::string_view label) {
  return label.size() > 1;
}

}  // namespace

bool IsModifierKey(MatrixPosition position) {
  const auto same = [position](MatrixPosition key) {
    return key.row == position.row && key.column == position.column;
  };
  return same(LeftShiftKey) || same(RightShiftKey) || same(ControlKey) || same(CommodoreKey);
}

std::optional<C64Key> KeyForCharacter(unsigned char character) {
  if (IsLetter(character)) {
    const char upper = static_cast<char>(character & ~0x20);
    return C64Key{*PositionLabelled(std::string_view(&upper, 1)), character < 'a'};
  }
  const char text = static_cast<char>(character);
  const std::string_view asText(&text, 1);
  if (const auto aliased =
          KeyByAlias(asText, std::begin(kCharacterAliases), std::end(kCharacterAliases))) {
    return aliased;
  }
  if (character > ' ' && character < 0x7F) {
    if (const auto position = PositionLabelled(asText)) return C64Key{*position, false};
  }
  return std::nullopt;
}

std::optional<C64Key> KeyNamed(std::string_view name) {
  if (!IsName(name)) return std::nullopt;
  if (const auto position = PositionLabelled(name)) return C64Key{*position, false};
  return KeyByAlias(name, std::begin(kNameAliases), std::end(kNameAliases));
}

std::string KeyNames() {
  std::string names;
  const auto add = [&names](std::string_view name) {
    if (!names.empty()) names += ' ';
    names += name;
  };
  for (const auto& row : kMatrixLabels) {
    for (std::string_view label : row) {
      if (IsName(label)) add(label);
    }
  }
  for (const KeyAlias& alias : kNameAliases) add(alias.name);
  return names;
}

}  // namespace input
