// The running debug log: lines "> " + text + "\r\n", newest first, never trimmed.
// Appends come from both threads; a mutex keeps every line whole and none lost.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace core {

// Puts a line in front of the log, then refreshes the debug window if it is open.
void AppendDebugLog(std::string_view text);

// The whole log as one text, newest line first.
std::string DebugLogText();
// Number of lines appended so far.
std::size_t DebugLogLineCount();
// The text of the lines appended after the first `knownLines`, newest first: what a view
// that already shows `knownLines` lines must put in front of its text.
std::string DebugLogTextSince(std::size_t knownLines);

// While set, every appended line is also written to the stream as it arrives (the
// headless runner's --log), so that a run that ends the process still shows it.
void SetDebugLogEcho(std::FILE* stream);

// Empties the log (tests and ZeroMachineState).
void ClearDebugLog();

}  // namespace core
