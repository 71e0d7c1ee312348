// Typing pasted text: each character as its C64 key (input/c64_keys.h), fed into the
// keyboard's event queue no faster than the KERNAL's scans take it.
#include "shell/desktop/pasted_text.h"

#include <QCoreApplication>
#include <QTimer>
#include <cassert>
#include <optional>

#include "core/debug_log.h"
#include "input/c64_keys.h"
#include "platform/host_services.h"

namespace shell {

namespace {

constexpr unsigned char kReturn = 13;
constexpr int kFeedIntervalMs = 20;  // one emulated frame

std::uint64_t Bit(input::MatrixPosition position) {
  return std::uint64_t{1} << (position.row * 8 + position.column);
}

// The paste under way: written and read on the user-interface thread only.
struct PasteInProgress {
  std::vector<input::KeyEvent> events;
  std::size_t next = 0;
};
PasteInProgress& Paste() {
  static PasteInProgress paste;
  return paste;
}

}  // namespace

PastedKeys KeysForPastedText(std::u32string_view text) {
  PastedKeys keys;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t character = text[i];
    if (character == U'\r') {
      if (i + 1 < text.size() && text[i + 1] == U'\n') continue;  // "\r\n": one RETURN
      character = U'\n';
    }
    std::optional<input::C64Key> key;
    if (character == U'\n') {
      key = input::KeyForCharacter(kReturn);
    } else if (character < 0x100) {
      key = input::KeyForCharacter(static_cast<unsigned char>(character));
    }
    if (!key) {
      ++keys.skipped;
      continue;
    }
    const std::uint64_t positions =
        Bit(key->position) | (key->shifted ? Bit(input::RightShiftKey) : 0);
    input::KeyEvent down;
    down.press = positions;
    input::KeyEvent up;
    up.release = positions;
    keys.events.push_back(down);
    keys.events.push_back(up);
    ++keys.typed;
  }
  assert(keys.events.size() == 2 * keys.typed);
  return keys;
}

void PasteText(std::u32string_view text) {
  if (text.size() > kMaxPastedCharacters) {
    platform::ShowMessageBox("The clipboard holds " + std::to_string(text.size()) +
                                 " characters; at most " + std::to_string(kMaxPastedCharacters) +
                                 " are typed. Nothing was typed.",
                             "Paste Text");
    return;
  }
  PastedKeys keys = KeysForPastedText(text);
  core::AppendDebugLog("Paste Text: " + std::to_string(keys.typed) + " characters typed, " +
                       std::to_string(keys.skipped) + " skipped (no C64 key types them)");
  Paste() = PasteInProgress{std::move(keys.events), 0};
  if (!FeedPastedKeys()) return;
  // The rest as the queue empties; the timer stops itself at the end.
  auto* timer = new QTimer(QCoreApplication::instance());
  QObject::connect(timer, &QTimer::timeout, timer, [timer] {
    if (!FeedPastedKeys()) timer->deleteLater();
  });
  timer->start(kFeedIntervalMs);
}

bool FeedPastedKeys() {
  PasteInProgress& paste = Paste();
  // Two places kept free: the display window's own key events must not push pasted ones
  // out of a full queue.
  while (paste.next < paste.events.size() &&
         input::CurrentKeysInFlight().queuedCount < input::kQueuedKeyEventCapacity - 2) {
    input::SubmitKeyEvent(paste.events[paste.next++]);
  }
  return paste.next < paste.events.size();
}

}  // namespace shell
