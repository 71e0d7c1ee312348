// A helper of the window tests: reads the emulated screen back from a capture of the
// "Emulator" window, and asks a window to close the way a window manager's close box does.
//
//   desktop_probe screen <capture.ppm> <characters.bin>
//     Checks that the capture is 640 x 400, that every emulated pixel is a uniform 2 x 2
//     block of one palette colour, and decodes the 40 x 25 character cells by comparing
//     their pixels with the character generator's glyphs. Prints
//       colours <background> <foreground>
//     and the 25 rows of text ('?' for a cell that matches no glyph, '_' for the
//     reversed space of the cursor). Exit status 0, or 2 with a reason on standard error.
//   desktop_probe close <window id>
//     Sends WM_DELETE_WINDOW to the window.
#include <X11/Xlib.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "video/frame_buffer.h"

using namespace video;

namespace {

constexpr int kWindowWidth = 640;
constexpr int kWindowHeight = 400;

struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
};

bool ReadPpm(const std::string& path, Image& image) {
  std::ifstream file(path, std::ios::binary);
  std::string magic;
  file >> magic;
  if (magic != "P6") return false;
  int maxValue = 0;
  auto readNumber = [&file](int& value) {
    file >> std::ws;
    while (file.peek() == '#') {
      std::string comment;
      std::getline(file, comment);
      file >> std::ws;
    }
    file >> value;
  };
  readNumber(image.width);
  readNumber(image.height);
  readNumber(maxValue);
  file.get();
  if (!file || maxValue != 255) return false;
  image.rgb.resize(static_cast<std::size_t>(image.width) * image.height * 3);
  file.read(reinterpret_cast<char*>(image.rgb.data()),
            static_cast<std::streamsize>(image.rgb.size()));
  return static_cast<std::size_t>(file.gcount()) == image.rgb.size();
}

// The palette index of a window pixel, or -1 when it is no palette colour.
int PaletteIndexAt(const Image& image, int x, int y) {
  const std::uint8_t* p = &image.rgb[(static_cast<std::size_t>(y) * image.width + x) * 3];
  for (int i = 0; i < 16; ++i) {
    if (Palette[i].red == p[0] && Palette[i].green == p[1] && Palette[i].blue == p[2]) return i;
  }
  return -1;
}

char ScreenCodeCharacter(int code) {
  if (code == 160) return '_';
  if (code == 0) return '@';
  if (code >= 1 && code <= 26) return static_cast<char>('A' + code - 1);
  if (code >= 32 && code <= 63) return static_cast<char>(code);
  if (code == 27) return '[';
  if (code == 29) return ']';
  return '~';
}

int ReadScreen(const std::string& capturePath, const std::string& romPath) {
  Image image;
  if (!ReadPpm(capturePath, image)) {
    std::cerr << "cannot read the capture " << capturePath << "\n";
    return 2;
  }
  if (image.width != kWindowWidth || image.height != kWindowHeight) {
    std::cerr << "capture is " << image.width << " x " << image.height << ", not 640 x 400\n";
    return 2;
  }
  std::ifstream romFile(romPath, std::ios::binary);
  const std::vector<std::uint8_t> rom((std::istreambuf_iterator<char>(romFile)),
                                      std::istreambuf_iterator<char>());
  if (rom.size() != 4096) {
    std::cerr << "cannot read the character generator " << romPath << "\n";
    return 2;
  }

  // Every emulated pixel: one palette colour over its whole 2 x 2 block.
  std::vector<int> pixels(kScreenWidth * kScreenHeight);
  std::map<int, int> colourCounts;
  for (int y = 0; y < kScreenHeight; ++y) {
    for (int x = 0; x < kScreenWidth; ++x) {
      const int index = PaletteIndexAt(image, 2 * x, 2 * y);
      if (index < 0) {
        std::cerr << "window pixel (" << 2 * x << ", " << 2 * y << ") is no palette colour\n";
        return 2;
      }
      for (const auto& [dx, dy] : {std::pair{1, 0}, std::pair{0, 1}, std::pair{1, 1}}) {
        if (PaletteIndexAt(image, 2 * x + dx, 2 * y + dy) != index) {
          std::cerr << "emulated pixel (" << x << ", " << y << ") is not a uniform 2 x 2 block\n";
          return 2;
        }
      }
      pixels[y * kScreenWidth + x] = index;
      ++colourCounts[index];
    }
  }
  int background = -1;
  int foreground = -1;
  for (const auto& [index, count] : colourCounts) {
    if (background < 0 || count > colourCounts[background]) background = index;
  }
  for (const auto& [index, count] : colourCounts) {
    if (index != background && (foreground < 0 || count > colourCounts[foreground])) {
      foreground = index;
    }
  }
  std::cout << "colours " << background << " " << foreground << "\n";

  for (int row = 0; row < 25; ++row) {
    std::string line;
    for (int column = 0; column < 40; ++column) {
      std::array<std::uint8_t, 8> glyph{};
      for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
          if (pixels[(row * 8 + y) * kScreenWidth + column * 8 + x] != background) {
            glyph[y] |= static_cast<std::uint8_t>(0x80 >> x);
          }
        }
      }
      char character = '?';
      for (int code = 0; code < 256; ++code) {
        if (std::equal(glyph.begin(), glyph.end(), rom.begin() + code * 8)) {
          character = ScreenCodeCharacter(code);
          break;
        }
      }
      line += character;
    }
    std::cout << line << "\n";
  }
  return 0;
}

int Close(const std::string& windowText) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::cerr << "cannot open the display\n";
    return 2;
  }
  const Window window = std::strtoul(windowText.c_str(), nullptr, 0);
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
  XCloseDisplay(display);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "screen" && argc == 4) return ReadScreen(argv[2], argv[3]);
  if (command == "close" && argc == 3) return Close(argv[2]);
  std::cerr << "usage: desktop_probe screen <capture.ppm> <characters.bin> | close <window>\n";
  return 2;
}
