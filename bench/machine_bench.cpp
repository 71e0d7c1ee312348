// The machine's hot path: one run-loop pass from the BASIC prompt (eight frames, one
// picture) in each model, one machine step, and the memory accesses that every
// instruction makes.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench/boot_to_prompt.h"
#include "core/machine.h"
#include "core/memory_map.h"
#include "core/run_control.h"
#include "core/run_loop.h"

using namespace core;

namespace {

// Argument 0: the classic machine; 1: the accurate one.
void BM_RunLoopPass(benchmark::State& state) {
  const MachineModel model = state.range(0) == 1 ? MachineModel::kAccurate : MachineModel::kClassic;
  state.SetLabel(model == MachineModel::kAccurate ? "accurate" : "classic");
  if (!BootToPrompt(state, model)) return;
  for (auto _ : state) {
    RunPassIfIdle();
  }
  state.counters["frames/s"] = benchmark::Counter(
      static_cast<double>(state.iterations() * FramesPerPass), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RunLoopPass)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_MachineStep(benchmark::State& state) {
  if (!BootToPrompt(state)) return;
  PassLock lock;
  for (auto _ : state) {
    if (!C64.run.runFlag) C64.run.runFlag = 1;
    benchmark::DoNotOptimize(MachineStep());
  }
}
BENCHMARK(BM_MachineStep);

void BM_AccurateMachineStep(benchmark::State& state) {
  if (!BootToPrompt(state, MachineModel::kAccurate)) return;
  PassLock lock;
  for (auto _ : state) {
    if (!C64.run.runFlag) C64.run.runFlag = 1;
    benchmark::DoNotOptimize(AccurateMachineStep());
  }
}
BENCHMARK(BM_AccurateMachineStep);

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
