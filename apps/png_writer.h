// Saving the FrameBuffer as a 320 x 200 RGB PNG through the palette.
#pragma once

#include <string>

namespace apps {

// Returns false (with `error` set) if the file cannot be written.
bool WriteFrameBufferPng(const std::string& path, std::string& error);

}  // namespace apps
