// The --type parser: characters through the C64 key of each, brace groups through the
// key names, every error with the byte position where it starts.
#include "apps/typed_script.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <initializer_list>
#include <optional>

#include "core/escaped_text.h"
#include "input/c64_keys.h"

namespace apps {

namespace {

constexpr std::string_view kJoystickDirections[] = {"UP", "DOWN", "LEFT", "RIGHT", "FIRE"};

std::uint64_t Bit(input::MatrixPosition position) {
  return std::uint64_t{1} << (position.row * 8 + position.column);
}

std::uint64_t KeysOf(const input::C64Key& key) {
  return Bit(key.position) | (key.shifted ? Bit(input::RightShiftKey) : 0);
}

// Joins message parts (appending keeps clear of a false warning of GCC 12 about
// prepending to a std::string).
std::string Cat(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (std::string_view part : parts) text += part;
  return text;
}

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

// Text from the command line, quoted, its control bytes as \xNN.
std::string Quoted(std::string_view text) {
  return Cat({"\"", core::EscapedText(text), "\""});
}

std::string NameList() {
  return Cat({"the names are ", input::KeyNames(), " RESTORE",
              ", single characters, chords joined by + ({CTRL+3}, {C=+SHIFT}), and JOY1 or "
              "JOY2 with UP, DOWN, LEFT, RIGHT, FIRE ({JOY2 UP+FIRE 10}); a number holds "
              "that many frames"});
}

// One part of a chord: a key name or a single character (a letter names its key, without
// SHIFT, in either case).
std::optional<input::C64Key> ChordKey(std::string_view part) {
  if (part.size() == 1) {
    const auto character = static_cast<unsigned char>(part[0]);
    return input::KeyForCharacter(static_cast<unsigned char>(std::tolower(character)));
  }
  return input::KeyNamed(Upper(part));
}

// Splits "C=+SHIFT" or "CTRL++" at the plus signs; a plus sign where a part starts is the
// + key itself, and a plus sign at the end leaves an empty part (no key).
std::vector<std::string_view> ChordParts(std::string_view chord) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    const bool plusKey = start < chord.size() && chord[start] == '+';
    const std::size_t end = chord.find('+', plusKey ? start + 1 : start);
    if (end == std::string_view::npos) {
      parts.push_back(chord.substr(start));
      return parts;
    }
    parts.push_back(chord.substr(start, end - start));
    start = end + 1;
  }
}

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t start = 0;
  while (start < text.size()) {
    if (text[start] == ' ') {
      ++start;
      continue;
    }
    std::size_t end = text.find(' ', start);
    if (end == std::string_view::npos) end = text.size();
    words.push_back(text.substr(start, end - start));
    start = end;
  }
  return words;
}

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  TypedScript Run() {
    TypedScript script;
    for (std::size_t i = 0; i < text_.size() && error_.empty();) {
      const auto byte = static_cast<unsigned char>(text_[i]);
      if (byte == '\\' && i + 1 < text_.size() && text_[i + 1] == 'n') {
        Add(KeysOf({{0, 1}}));
        i += 2;
      } else if (byte == '\n') {
        Add(KeysOf({{0, 1}}));
        ++i;
      } else if (byte == '{') {
        const std::size_t close = text_.find('}', i + 1);
        if (close == std::string_view::npos) {
          Fail(Cat({"\"{\" at position ", std::to_string(i + 1), " is not closed"}));
          break;
        }
        Group(text_.substr(i + 1, close - i - 1), i + 1);
        i = close + 1;
      } else {
        Character(byte, i + 1);
        ++i;
      }
    }
    if (error_.empty()) {
      script.steps = std::move(steps_);
    } else {
      script.error = error_;
    }
    return script;
  }

 private:
  void Fail(std::string message) {
    if (error_.empty()) error_ = std::move(message);
  }

  void Add(std::uint64_t keys, int holdFrames = kTypedHoldFrames, bool restore = false) {
    TypedStep step;
    step.keys = keys;
    step.restore = restore;
    step.holdFrames = holdFrames;
    steps_.push_back(step);
  }

  void Character(unsigned char byte, std::size_t position) {
    if (byte < 0x20 || byte > 0x7E) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%02X", byte);
      Fail(Cat({"byte ", hex, " at position ", std::to_string(position),
                " is not printable ASCII (\\n is RETURN, {NAME} a named key)"}));
      return;
    }
    const std::optional<input::C64Key> key = input::KeyForCharacter(byte);
    if (!key) {
      const char character = static_cast<char>(byte);
      Fail(Cat({"no C64 key types ", Quoted(std::string_view(&character, 1)), " at position ",
                std::to_string(position)}));
      return;
    }
    Add(KeysOf(*key));
  }

  // The frames of an optional trailing number; 0 after an error.
  int HoldFrames(std::string_view word, std::size_t position) {
    int frames = 0;
    const auto [end, result] = std::from_chars(word.data(), word.data() + word.size(), frames);
    if (result != std::errc() || end != word.data() + word.size() || frames < 1 ||
        frames > kMaxHoldFrames) {
      Fail(Cat({"hold ", Quoted(word), " at position ", std::to_string(position),
                " is no number of frames from 1 to ", std::to_string(kMaxHoldFrames)}));
      return 0;
    }
    return frames;
  }

  void Group(std::string_view inside, std::size_t position) {
    const std::vector<std::string_view> words = Words(inside);
    if (words.empty()) {
      Fail(Cat({"empty {} at position ", std::to_string(position), "; ", NameList()}));
      return;
    }
    const std::string first = Upper(words[0]);
    if (first == "JOY1" || first == "JOY2") {
      Joystick(first == "JOY1" ? 1 : 2, words, position);
      return;
    }
    if (words.size() > 2) {
      Fail(Cat({"too many words in {", core::EscapedText(inside), "} at position ",
                std::to_string(position)}));
      return;
    }
    std::uint64_t keys = 0;
    bool restore = false;
    for (std::string_view part : ChordParts(words[0])) {
      if (Upper(part) == "RESTORE") {
        restore = true;
        continue;
      }
      const std::optional<input::C64Key> key = ChordKey(part);
      if (!key) {
        Fail(Cat({"unknown key name ", Quoted(part), " at position ", std::to_string(position),
                  "; ", NameList()}));
        return;
      }
      keys |= KeysOf(*key);
    }
    const int frames = words.size() == 2 ? HoldFrames(words[1], position) : kTypedHoldFrames;
    if (frames > 0) Add(keys, frames, restore);
  }

  void Joystick(int port, const std::vector<std::string_view>& words, std::size_t position) {
    if (words.size() < 2 || words.size() > 3) {
      const std::string joy = Cat({"JOY", std::to_string(port)});
      Fail(Cat({"{", joy, "} at position ", std::to_string(position), " needs directions, e.g. {",
                joy, " UP+FIRE 10}"}));
      return;
    }
    TypedStep step;
    step.joystickPort = port;
    for (std::string_view part : ChordParts(words[1])) {
      const std::string direction = Upper(part);
      bool known = false;
      for (int bit = 0; bit < 5; ++bit) {
        if (kJoystickDirections[bit] != direction) continue;
        step.joystickLines |= static_cast<std::uint8_t>(1u << bit);
        known = true;
      }
      if (!known) {
        Fail(Cat({"unknown joystick direction ", Quoted(part), " at position ",
                  std::to_string(position), "; the directions are UP DOWN LEFT RIGHT FIRE"}));
        return;
      }
    }
    if (words.size() == 3) step.holdFrames = HoldFrames(words[2], position);
    if (step.holdFrames > 0) steps_.push_back(step);
  }

  std::string_view text_;
  std::vector<TypedStep> steps_;
  std::string error_;
};

}  // namespace

TypedScript ParseTypedScript(std::string_view text) {
  return Parser(text).Run();
}

}  // namespace apps
