#include "apps/png_writer.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "video/frame_buffer.h"

namespace apps {

bool WriteFrameBufferPng(const std::string& path, std::string& error) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = video::kScreenWidth;
  image.height = video::kScreenHeight;
  image.format = PNG_FORMAT_RGB;

  std::vector<png_byte> pixels(static_cast<std::size_t>(video::kScreenWidth) *
                               video::kScreenHeight * 3);
  for (int y = 0; y < video::kScreenHeight; ++y) {
    for (int x = 0; x < video::kScreenWidth; ++x) {
      const video::RgbColour& colour = video::PaletteColour(video::FramePixel(x, y));
      png_byte* out = &pixels[(static_cast<std::size_t>(y) * video::kScreenWidth + x) * 3];
      out[0] = colour.red;
      out[1] = colour.green;
      out[2] = colour.blue;
    }
  }
  if (!png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr)) {
    error = "Cannot write " + path + ": " + image.message;
    return false;
  }
  return true;
}

}  // namespace apps
