// The installed screenshot saver.
#include "shell/desktop/screenshot_saver.h"

#include <atomic>

namespace shell {

namespace {
std::atomic<ScreenshotSaver> Saver{nullptr};
}  // namespace

void InstallScreenshotSaver(ScreenshotSaver saver) {
  Saver.store(saver);
}

bool SaveScreenshot(const std::string& path, std::string& error) {
  const ScreenshotSaver saver = Saver.load();
  if (saver == nullptr) {
    error = "this program saves no pictures";
    return false;
  }
  return saver(path, error);
}

}  // namespace shell
