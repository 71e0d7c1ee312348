// The debug log keeps its lines in append order and builds the newest-first text on
// demand, so an append costs one line, not a copy of the whole log.
#include "core/debug_log.h"

#include <atomic>
#include <mutex>
#include <vector>

#include "core/host_hooks.h"

namespace core {

namespace {

std::mutex LogMutex;
std::vector<std::string> LogLines;  // oldest first, each already framed
std::atomic<std::FILE*> EchoStream{nullptr};

std::string JoinNewestFirst(std::size_t fromLine) {
  std::string text;
  std::size_t bytes = 0;
  for (std::size_t i = fromLine; i < LogLines.size(); ++i) bytes += LogLines[i].size();
  text.reserve(bytes);
  for (std::size_t i = LogLines.size(); i > fromLine; --i) text += LogLines[i - 1];
  return text;
}

}  // namespace

void AppendDebugLog(std::string_view text) {
  std::string line;
  line.reserve(text.size() + 4);
  line += "> ";
  line += text;
  line += "\r\n";
  {
    std::lock_guard lock(LogMutex);
    if (std::FILE* echo = EchoStream.load()) {
      std::fwrite(line.data(), 1, line.size() - 2, echo);
      std::fputc('\n', echo);
    }
    LogLines.push_back(std::move(line));
  }
  RefreshDebugWindow();
}

std::string DebugLogText() {
  std::lock_guard lock(LogMutex);
  return JoinNewestFirst(0);
}

std::size_t DebugLogLineCount() {
  std::lock_guard lock(LogMutex);
  return LogLines.size();
}

std::string DebugLogTextSince(std::size_t knownLines) {
  std::lock_guard lock(LogMutex);
  return knownLines >= LogLines.size() ? std::string() : JoinNewestFirst(knownLines);
}

void SetDebugLogEcho(std::FILE* stream) {
  EchoStream.store(stream);
}

void ClearDebugLog() {
  std::lock_guard lock(LogMutex);
  LogLines.clear();
}

}  // namespace core
