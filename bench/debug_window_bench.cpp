// The "Debug Info" window's responsiveness, on Qt's offscreen platform with the machine
// booted to BASIC: one single step with the refresh it makes over a long log, building
// the memory dump's text, and Stop with the dump shown in its box.
#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <memory>
#include <string>

#include "bench/boot_to_prompt.h"
#include "core/debug_log.h"
#include "core/machine.h"
#include "core/run_control.h"
#include "core/run_loop.h"
#include "shell/debug/debug_dialog.h"
#include "shell/debug/debug_dialog_window.h"
#include "shell/debug/debug_fields.h"
#include "shell/debug/dialog_template.h"

using namespace core;
using namespace shell;

namespace {

using namespace debug_dialog;

constexpr int kLogLines = 20000;

// Made once, closed before the application object goes.
std::unique_ptr<CDebugDialog> Window;

// The booted machine and an open window over a log of kLogLines lines.
CDebugDialog* OpenWindow(benchmark::State& state) {
  if (Window) return Window.get();
  if (!BootToPrompt(state)) return nullptr;
  for (int i = 0; i < kLogLines; ++i) {
    AppendDebugLog("a long log line number " + std::to_string(i));
  }
  SetDebugStepCountText("1");
  Window = std::make_unique<CDebugDialog>();
  Window->show();
  RefreshDebugWindow();
  return Window.get();
}

void Click(CDebugDialog& dialog, int id) {
  qobject_cast<QAbstractButton*>(dialog.Control(id))->click();
}

// As the display window would: passes until the step budget is used up.
void FinishSteps() {
  while (C64.run.stepBudget.load() > 0 && C64.run.emulationRunning.load() != 0) RunPassIfIdle();
}

void BM_SingleStepWithRefresh(benchmark::State& state) {
  CDebugDialog* dialog = OpenWindow(state);
  if (dialog == nullptr) return;
  qobject_cast<QLineEdit*>(dialog->Control(kStepCountBox))->setText("1");
  for (auto _ : state) {
    Click(*dialog, kStepButton);
    FinishSteps();
  }
  // Back to free running for the next benchmark.
  qobject_cast<QLineEdit*>(dialog->Control(kStepCountBox))->setText("-1");
  Click(*dialog, kStepButton);
}
BENCHMARK(BM_SingleStepWithRefresh)->Unit(benchmark::kMillisecond);

void BM_MemoryDumpText(benchmark::State& state) {
  std::string text;
  for (auto _ : state) {
    BuildMemoryDump(C64.memory.ram, C64.memory.ioImage, text);
    benchmark::DoNotOptimize(text.data());
  }
}
BENCHMARK(BM_MemoryDumpText)->Unit(benchmark::kMillisecond);

// Stop builds the dump and shows it; Run (not timed) lets the machine go again.
void BM_StopWithMemoryDump(benchmark::State& state) {
  CDebugDialog* dialog = OpenWindow(state);
  if (dialog == nullptr) return;
  for (auto _ : state) {
    Click(*dialog, kStopRunButton);
    state.PauseTiming();
    Click(*dialog, kStopRunButton);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StopWithMemoryDump)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  Window.reset();
  return 0;
}
