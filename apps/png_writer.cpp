// Encoding a picture of palette indices with libpng's simplified API, into memory.
#include "apps/png_writer.h"

#include <png.h>

#include "core/machine.h"
#include "core/run_loop.h"
#include "platform/file_writer.h"
#include "video/frame_buffer.h"
#include "video/raster_line_renderer.h"

namespace apps {

namespace {

// `entry(x, y)` gives the palette index of each pixel.
template <typename Entry>
bool EncodePng(int width, int height, const Entry& entry, std::vector<std::uint8_t>& png,
               std::string& error) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;

  std::vector<png_byte> pixels(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const video::RgbColour& colour = video::PaletteColour(entry(x, y));
      png_byte* out = &pixels[(static_cast<std::size_t>(y) * width + x) * 3];
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

}  // namespace

bool EncodeFrameBufferPng(std::vector<std::uint8_t>& png, std::string& error) {
  return EncodePng(
      video::kScreenWidth, video::kScreenHeight,
      [](int x, int y) { return video::FramePixel(x, y); }, png, error);
}

bool EncodeRasterPicturePng(std::vector<std::uint8_t>& png, std::string& error) {
  return EncodePng(
      video::kPictureWidth, video::kPictureHeight,
      [](int x, int y) { return video::RasterPicture.pixels[y][x]; }, png, error);
}

bool EncodeMachinePicturePng(std::vector<std::uint8_t>& png, std::string& error) {
  return core::C64.model == core::MachineModel::kAccurate ? EncodeRasterPicturePng(png, error)
                                                          : EncodeFrameBufferPng(png, error);
}

bool SaveScreenshotFile(const std::string& path, std::string& error) {
  std::vector<std::uint8_t> png;
  {
    core::PassLock lock;
    if (!EncodeMachinePicturePng(png, error)) return false;
  }
  return platform::WriteWholeFile(path, png, error);
}

}  // namespace apps
