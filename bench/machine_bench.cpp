// The machine's hot path: one run-loop pass from the BASIC prompt (eight frames, one
// picture), one machine step, and the memory accesses that every instruction makes.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench/boot_to_prompt.h"
#include "core/machine.h"
#include "core/memory_map.h"
#include "core/run_control.h"
#include "core/run_loop.h"

using namespace core;

namespace {

void BM_RunLoopPass(benchmark::State& state) {
  if (!BootToPrompt(state)) return;
  for (auto _ : state) {
    RunPassIfIdle();
  }
  state.counters["frames/s"] = benchmark::Counter(
      static_cast<double>(state.iterations() * FramesPerPass), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RunLoopPass)->Unit(benchmark::kMillisecond);

void BM_MachineStep(benchmark::State& state) {
  if (!BootToPrompt(state)) return;
  PassLock lock;
  for (auto _ : state) {
    if (!C64.run.runFlag) C64.run.runFlag = 1;
    benchmark::DoNotOptimize(MachineStep());
  }
}
BENCHMARK(BM_MachineStep);

void BM_ReadByteWithIoVisible(benchmark::State& state) {
  if (!BootToPrompt(state)) return;
  std::uint16_t address = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ReadByte(address));
    address = static_cast<std::uint16_t>(address + 0x0101);
  }
}
BENCHMARK(BM_ReadByteWithIoVisible);

void BM_WriteByte(benchmark::State& state) {
  if (!BootToPrompt(state)) return;
  std::uint16_t address = 0x0400;
  for (auto _ : state) {
    WriteByte(address, static_cast<std::uint8_t>(address));
    address = static_cast<std::uint16_t>(0x0400 + ((address + 7) & 0x3FF));
  }
}
BENCHMARK(BM_WriteByte);

}  // namespace

BENCHMARK_MAIN();
