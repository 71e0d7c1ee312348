// The cost of one picture in the display window: DrawFrameBuffer (64,000 unit polygons
// and a flush) until the OpenGL implementation has finished it, on whatever X server
// DISPLAY names (bench/desktop_bench.sh starts Xvfb, where Mesa draws in software).
//
//   display_draw_bench [--no-malloc-tuning] [pictures]
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

using namespace platform;
using namespace core;
using namespace video;

int main(int argc, char** argv) {
  bool tuning = true;
  int pictures = 60;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--no-malloc-tuning") {
      tuning = false;
    } else {
      pictures = std::max(1, std::atoi(argument.c_str()));
    }
  }
  InitialiseXlib();
  if (tuning) KeepFreedMemoryForReuse();
  // The machine stays stopped: only the drawing is measured.
  StopMachine();
  CreateDisplayWindow();
  // A text screen's mix: light blue strokes on blue.
  for (int x = 0; x < kScreenWidth; ++x) {
    for (int y = 0; y < kScreenHeight; ++y) FramePixel(x, y) = ((x ^ y) % 7 == 0) ? 14 : 6;
  }
  for (int i = 0; i < 20; ++i) ProcessDisplayWindowEvents();

  std::vector<double> milliseconds;
  for (int i = 0; i < pictures + 5; ++i) {
    const auto start = std::chrono::steady_clock::now();
    DrawFrameBuffer();
    WaitForDrawingToFinish();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    if (i >= 5) milliseconds.push_back(took.count());  // the first pictures warm up
  }
  std::sort(milliseconds.begin(), milliseconds.end());
  double sum = 0;
  for (double value : milliseconds) sum += value;
  std::printf(
      "DisplayFrame draw (%s): median %.2f ms, mean %.2f ms, min %.2f ms, max %.2f ms over %d "
      "pictures\n",
      tuning ? "malloc tuned" : "glibc defaults", milliseconds[milliseconds.size() / 2],
      sum / static_cast<double>(milliseconds.size()), milliseconds.front(), milliseconds.back(),
      pictures);
  std::fflush(stdout);
  EndProcess(0);
}
