// The machine booted to BASIC's prompt with the real ROM images (C64EMU_ROMS, else the
// shared folder beside the checkout), for benchmarks that measure from there.
#pragma once

#include <benchmark/benchmark.h>

#include "core/machine.h"

// False, with the benchmark skipped and the reason given, when the ROMs cannot be loaded.
bool BootToPrompt(benchmark::State& state, core::MachineModel model = core::MachineModel::kClassic);
