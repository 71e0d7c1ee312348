// File -> "Save Screenshot...": the picture is encoded and written by the program's own
// layer (apps/png_writer.h), which the shell cannot include; the desktop program installs
// its saver here at start-up.
#pragma once

#include <string>

namespace shell {

// Writes the machine's picture as a PNG file, whole or not at all; false with `error` set.
using ScreenshotSaver = bool (*)(const std::string& path, std::string& error);

void InstallScreenshotSaver(ScreenshotSaver saver);
// Saves through the installed saver; without one, fails with a message saying so.
bool SaveScreenshot(const std::string& path, std::string& error);

}  // namespace shell
