// Encoding the FrameBuffer with libpng's simplified API, into memory.
#include "apps/png_writer.h"

#include <png.h>

#include "video/frame_buffer.h"

namespace apps {

bool EncodeFrameBufferPng(std::vector<std::uint8_t>& png, std::string& error) {
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
  png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(image);
  png.resize(size);
  if (!png_image_write_to_memory(&image, png.data(), &size, 0, pixels.data(), 0, nullptr)) {
    error = image.message;
    png.clear();
    return false;
  }
  png.resize(size);
  return true;
}

}  // namespace apps
