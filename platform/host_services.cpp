// The GUI-free host services: std::chrono clocks, the C library's time and _exit.
#include "platform/host_services.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace platform {

namespace {

std::atomic<MessageBoxHandler> CurrentMessageBoxHandler{nullptr};

const std::chrono::steady_clock::time_point ProcessStart = std::chrono::steady_clock::now();

}  // namespace

std::uint32_t TimeGetTime() {
  const auto elapsed = std::chrono::steady_clock::now() - ProcessStart;
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

std::uint32_t GetTickCount() {
  return TimeGetTime();
}

std::time_t CalendarTime() {
  return std::time(nullptr);
}

std::tm LocalTime(std::time_t time) {
  std::tm result{};
  localtime_r(&time, &result);
  return result;
}

void SleepMilliseconds(unsigned milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::int64_t SteadyNanoseconds() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void SleepUntilSteadyNanoseconds(std::int64_t time) {
  std::this_thread::sleep_until(
      std::chrono::steady_clock::time_point(std::chrono::nanoseconds(time)));
}

void ShowMessageBox(const std::string& text, const std::string& title) {
  if (MessageBoxHandler handler = CurrentMessageBoxHandler.load()) {
    handler(text, title);
    return;
  }
  std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
}

void SetMessageBoxHandler(MessageBoxHandler handler) {
  CurrentMessageBoxHandler.store(handler);
}

void EndProcess(int status) {
  std::fflush(nullptr);
  _exit(status);
}

std::filesystem::path ExecutablePath() {
  std::error_code error;
  std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : path;
}

}  // namespace platform
