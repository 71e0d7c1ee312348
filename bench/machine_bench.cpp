// The machine's hot path: one run-loop pass from the BASIC prompt (eight frames, one
// picture) in each model, one machine step, and the memory accesses that every
// instruction makes.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "bench/boot_to_prompt.h"
#include "core/machine.h"
#include "core/memory_map.h"
#include "core/run_control.h"
#include "core/run_loop.h"

using namespace core;

namespace {

// Arguments: the model (0 classic, 1 accurate) and the sound (0 off, as without --audio;
// 1 on, as with it: samples made and taken every pass).
void BM_RunLoopPass(benchmark::State& state) {
  const MachineModel model = state.range(0) == 1 ? MachineModel::kAccurate : MachineModel::kClassic;
  const bool sound = state.range(1) == 1;
  state.SetLabel(std::string(model == MachineModel::kAccurate ? "accurate" : "classic") +
                 (sound ? ", sound on" : ", sound off"));
  if (!BootToPrompt(state, model)) return;
  C64.sid.SetAudioEnabled(sound);
  std::int16_t samples[8192];
  for (auto _ : state) {
    RunPassIfIdle();
    while (C64.sid.TakeSamples(samples) != 0) {
    }
  }
  C64.sid.SetAudioEnabled(false);
  state.counters["frames/s"] = benchmark::Counter(
      static_cast<double>(state.iterations() * FramesPerPass), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RunLoopPass)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond);

// The sound chip alone over one pass's cycles (eight frames of 312 lines of 63 cycles),
// advanced in the steps the run loop takes (an instruction's first cycle, then its idle
// ones at once), with sound off (0) or on (1), a voice playing: its share of
// BM_RunLoopPass is what the machine would gain without the chip.
void BM_SidPass(benchmark::State& state) {
  const bool sound = state.range(0) == 1;
  state.SetLabel(sound ? "sound on" : "sound off");
  Sid sid;
  sid.SetAudioEnabled(sound);
  sid.Write(0x18, 0x0F);  // volume 15
  sid.Write(0x01, 0x1C);  // voice 1: 440 Hz-ish sawtooth, gate on, sustain 15
  sid.Write(0x06, 0xF0);
  sid.Write(0x04, 0x21);
  constexpr std::uint32_t kPassCycles = FramesPerPass * 312 * 63;
  std::int16_t samples[8192];
  for (auto _ : state) {
    for (std::uint32_t cycle = 0; cycle < kPassCycles; cycle += 4) {
      sid.Advance(1);
      sid.Advance(3);
    }
    while (sid.TakeSamples(samples) != 0) {
    }
  }
}
BENCHMARK(BM_SidPass)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

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
