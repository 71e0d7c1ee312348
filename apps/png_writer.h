// The machine's picture as the bytes of an RGB PNG file, through the palette (encoded in
// memory; the runner writes the file whole through the platform's writer): the classic
// model's 320 x 200 FrameBuffer, or the accurate model's 384 x 272 line picture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace apps {

// Returns false (with `error` set) if libpng cannot encode the picture.
bool EncodeFrameBufferPng(std::vector<std::uint8_t>& png, std::string& error);
bool EncodeRasterPicturePng(std::vector<std::uint8_t>& png, std::string& error);
// The picture of the model the machine runs: the accurate model's line picture, or the
// classic model's FrameBuffer as it was last rendered.
bool EncodeMachinePicturePng(std::vector<std::uint8_t>& png, std::string& error);

// The machine's picture as a PNG file, written whole or not at all (the desktop program's
// File -> "Save Screenshot..."): encoded under the pass lock, so that no pass changes it
// meanwhile. Returns false with `error` saying why.
bool SaveScreenshotFile(const std::string& path, std::string& error);

}  // namespace apps
