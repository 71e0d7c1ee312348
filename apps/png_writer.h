// The FrameBuffer as the bytes of a 320 x 200 RGB PNG file, through the palette (encoded
// in memory; the runner writes the file whole through the platform's writer).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace apps {

// Returns false (with `error` set) if libpng cannot encode the picture.
bool EncodeFrameBufferPng(std::vector<std::uint8_t>& png, std::string& error);

}  // namespace apps
