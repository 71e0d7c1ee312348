// Host services the machine relies on: a millisecond clock and tick count, calendar
// time, sleeping, modal message boxes and ending the process. This part builds without
// any GUI library; the desktop program installs a message-box handler of its own.
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>

namespace platform {

// A 32-bit count of milliseconds that increases with real time (monotonic, counted from
// the first reading in this process, so that it stays far from wrapping).
std::uint32_t TimeGetTime();
// The millisecond tick count taken once per power-on.
std::uint32_t GetTickCount();
std::time_t CalendarTime();
std::tm LocalTime(std::time_t time);
void SleepMilliseconds(unsigned milliseconds);
// The steady clock in nanoseconds (monotonic, from an arbitrary start), and a sleep until
// it reaches a time (at once for a time already past).
std::int64_t SteadyNanoseconds();
void SleepUntilSteadyNanoseconds(std::int64_t time);

// A modal box with one OK button: returns when the user has closed it. Without an
// installed handler it prints "Title: text" on standard error and returns at once.
void ShowMessageBox(const std::string& text, const std::string& title);
using MessageBoxHandler = void (*)(const std::string& text, const std::string& title);
void SetMessageBoxHandler(MessageBoxHandler handler);

// Ends the process at once with the status, from any thread: standard streams are
// flushed, no destructors run, so nothing races the other thread.
[[noreturn]] void EndProcess(int status);

// The running program's own file (empty if the host cannot tell).
std::filesystem::path ExecutablePath();

}  // namespace platform
