// One RenderFrame in each of the four screen modes, with all eight sprites enabled and
// doubled (half of them multicolour) over a screen full of varied cells; and the same
// frames drawn raster line by raster line, as the accurate machine draws them: all 312
// lines begun, the 272 visible ones drawn.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "core/debug_log.h"
#include "core/machine.h"
#include "shell/machine_hooks.h"
#include "video/frame_buffer.h"
#include "video/raster_line_renderer.h"
#include "video/vic_state.h"

using namespace core;
using namespace video;

namespace {

void FillNoise(std::uint8_t* image, unsigned from, unsigned count, std::uint32_t state) {
  for (unsigned i = 0; i < count; ++i) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    image[(from + i) & 0xFFFF] = static_cast<std::uint8_t>(state >> 7);
  }
}

void SetUpMachine(std::uint8_t control, std::uint8_t control2) {
  shell::ZeroWholeMachine();
  for (int n = 0; n < 8; ++n) C64.cpu.flagMasks[n] = static_cast<std::uint8_t>(1u << n);
  FillNoise(C64.memory.ram, 0x0000, 0x10000, 1);
  FillNoise(C64.memory.romMap, 0x1000, 0x1000, 2);  // stands in for the character ROM copy
  FillNoise(C64.memory.ioImage, 0xD800, 0x400, 3);
  C64.memory.ioImage[0xDD00] = 0x03;  // bank 0
  C64.memory.ioImage[0xD011] = control;
  C64.memory.ioImage[0xD016] = control2;
  C64.memory.ioImage[0xD018] = 0x18;  // matrix $0400, characters and bitmap at $2000
  C64.memory.ioImage[0xD021] = 6;
  C64.memory.ioImage[0xD022] = 2;
  C64.memory.ioImage[0xD023] = 5;
  C64.memory.ioImage[0xD025] = 9;
  C64.memory.ioImage[0xD026] = 10;
  for (int n = 0; n < 8; ++n) {
    C64.memory.ram[0x07F8 + n] = static_cast<std::uint8_t>(0x80 + n);  // data at $2000 + 64n
    C64.memory.ioImage[0xD000 + 2 * n] = static_cast<std::uint8_t>(30 + 30 * n);
    C64.memory.ioImage[0xD001 + 2 * n] = static_cast<std::uint8_t>(55 + 18 * n);
    C64.memory.ioImage[0xD027 + n] = static_cast<std::uint8_t>(n + 1);
  }
  C64.memory.ioImage[0xD015] = 0xFF;
  C64.memory.ioImage[0xD017] = 0xFF;
  C64.memory.ioImage[0xD01D] = 0xFF;
  C64.memory.ioImage[0xD01C] = 0x0F;
}

void RenderFrameBench(benchmark::State& state, std::uint8_t control, std::uint8_t control2) {
  SetUpMachine(control, control2);
  for (auto _ : state) {
    RenderFrame();
    benchmark::DoNotOptimize(FrameBuffer);
    benchmark::ClobberMemory();
  }
  // Multicolour text adds a line to the debug log at every picture.
  ClearDebugLog();
}

void RasterFrameBench(benchmark::State& state, std::uint8_t control, std::uint8_t control2) {
  SetUpMachine(control, control2);
  const std::uint8_t* registers = &C64.memory.ioImage[0xD000];
  for (auto _ : state) {
    for (std::uint16_t line = 0; line < 312; ++line) {
      C64.vic.raster.BeginLine(line, registers);
      DrawRasterLine(line, C64.vic.raster, registers, RasterPicture);
    }
    benchmark::DoNotOptimize(RasterPicture);
    benchmark::ClobberMemory();
  }
}

}  // namespace

BENCHMARK_CAPTURE(RasterFrameBench, StandardText, 0x1B, 0x08)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RasterFrameBench, MulticolourBitmap, 0x3B, 0x18)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RenderFrameBench, StandardText, 0x1B, 0x08)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RenderFrameBench, MulticolourText, 0x1B, 0x18)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RenderFrameBench, HiresBitmap, 0x3B, 0x08)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RenderFrameBench, MulticolourBitmap, 0x3B, 0x18)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
