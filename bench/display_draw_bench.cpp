// The cost of one picture in the display window, drawn as the display callback draws it
// until the OpenGL implementation has finished it, on whatever X server DISPLAY names
// (bench/desktop_bench.sh starts Xvfb, where Mesa draws in software): the classic
// machine's FrameBuffer as 64,000 unit polygons in a 640 x 400 window, or the accurate
// machine's 384 x 272 picture through its texture in a 768 x 544 window.
//
//   display_draw_bench [--no-malloc-tuning] [--model classic|accurate] [pictures]
//
// --no-malloc-tuning leaves glibc's trim and mmap thresholds at their defaults, to show
// what KeepFreedMemoryForReuse saves.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/machine.h"
#include "core/run_control.h"
#include "platform/host_services.h"
#include "platform/qt/x11_session.h"
#include "video/display/display_window.h"
#include "video/frame_buffer.h"
#include "video/raster_line_renderer.h"

using namespace platform;
using namespace core;
using namespace video;

int main(int argc, char** argv) {
  bool tuning = true;
  bool accurate = false;
  int pictures = 60;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--no-malloc-tuning") {
      tuning = false;
    } else if (argument == "--model" && i + 1 < argc) {
      accurate = std::string(argv[++i]) == "accurate";
    } else {
      pictures = std::max(1, std::atoi(argument.c_str()));
    }
  }
  InitialiseXlib();
  if (tuning) KeepFreedMemoryForReuse();
  // The machine stays stopped: only the drawing is measured.
  StopMachine();
  C64.model = accurate ? MachineModel::kAccurate : MachineModel::kClassic;
  CreateDisplayWindow();
  // A text screen's mix: light blue strokes on blue, in a light blue border.
  for (int x = 0; x < kScreenWidth; ++x) {
    for (int y = 0; y < kScreenHeight; ++y) FramePixel(x, y) = ((x ^ y) % 7 == 0) ? 14 : 6;
  }
  for (int y = 0; y < kPictureHeight; ++y) {
    for (int x = 0; x < kPictureWidth; ++x) {
      const bool display = x >= kDisplayLeft && x < kDisplayLeft + kScreenWidth &&
                           y >= kDisplayTop && y < kDisplayTop + kScreenHeight;
      ShownPicture.pixels[y][x] = !display || (x ^ y) % 7 == 0 ? 14 : 6;
    }
  }
  for (int i = 0; i < 20; ++i) ProcessDisplayWindowEvents();

  std::vector<double> milliseconds;
  for (int i = 0; i < pictures + 5; ++i) {
    const auto start = std::chrono::steady_clock::now();
    DrawMachinePicture();
    WaitForDrawingToFinish();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    if (i >= 5) milliseconds.push_back(took.count());  // the first pictures warm up
  }
  std::sort(milliseconds.begin(), milliseconds.end());
  double sum = 0;
  for (double value : milliseconds) sum += value;
  std::printf(
      "DisplayFrame draw (%s, %s): median %.2f ms, mean %.2f ms, min %.2f ms, max %.2f ms over "
      "%d pictures\n",
      accurate ? "accurate, texture" : "classic, polygons",
      tuning ? "malloc tuned" : "glibc defaults", milliseconds[milliseconds.size() / 2],
      sum / static_cast<double>(milliseconds.size()), milliseconds.front(), milliseconds.back(),
      pictures);
  std::fflush(stdout);
  EndProcess(0);
}
