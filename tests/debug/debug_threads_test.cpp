// The debug window with two threads at work, as in the desktop program: another thread
// appends log lines, sets fields and runs passes while the user-interface thread appends,
// clicks and opens and closes the window. Nothing may deadlock and no line may be lost.
// Also run under ThreadSanitizer.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/debug_log.h"
#include "core/host_hooks.h"
#include "core/machine.h"
#include "core/run_control.h"
#include "core/run_loop.h"
#include "shell/debug/debug_dialog.h"
#include "shell/debug/dialog_template.h"
#include "tests/debug/dialog_driver.h"
#include "tests/support/test_machine.h"
#include "video/vic_state.h"

using namespace core;
using namespace video;
using namespace shell;

namespace {

using namespace debug_dialog;
using namespace std::chrono_literals;

// Serves queued requests until `done` holds (at most 60 s), so that a thread blocked on
// the user-interface thread can finish.
template <typename Done>
bool ServeUntil(Done done) {
  const auto deadline = std::chrono::steady_clock::now() + 60s;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

// Joins `thread` while serving its requests: a thread may still be inside a call to the
// window that began just before the window closed, and that call waits for this thread.
bool JoinWhileServing(std::thread& thread) {
  std::atomic<bool> joined{false};
  std::thread joiner([&] {
    thread.join();
    joined = true;
  });
  const bool served = ServeUntil([&joined] { return joined.load(); });
  joiner.join();
  return served;
}

// The log's lines, newest first, without their "> " prefix.
std::vector<std::string> LogLines() {
  const std::string text = DebugLogText();
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find("\r\n", start);
    lines.push_back(text.substr(start + 2, end - start - 2));
    start = end + 2;
  }
  return lines;
}

// Checks that every line "<origin> <n>" for n < count came exactly once, in order.
void ExpectAllLinesInOrder(const std::vector<std::string>& newestFirst,
                           const std::map<std::string, int>& counts) {
  std::map<std::string, int> next;
  for (auto line = newestFirst.rbegin(); line != newestFirst.rend(); ++line) {
    const std::size_t space = line->rfind(' ');
    ASSERT_NE(space, std::string::npos) << *line;
    const std::string origin = line->substr(0, space);
    ASSERT_EQ(std::stoi(line->substr(space + 1)), next[origin]++) << *line;
  }
  for (const auto& [origin, count] : counts) EXPECT_EQ(next[origin], count) << origin;
}

class DebugThreadsTest : public testing::Test {
 protected:
  void SetUp() override {
    ZeroWholeMachine();
    for (int i = 0; i < 8; ++i) C64.cpu.flagMasks[i] = static_cast<std::uint8_t>(1 << i);
  }
  void TearDown() override { ZeroWholeMachine(); }
};

TEST_F(DebugThreadsTest, BothThreadsAppendAtOnceWithTheWindowOpen) {
  constexpr int kLines = 2000;
  auto dialog = std::make_unique<CDebugDialog>();
  dialog->show();
  std::thread worker([] {
    for (int i = 0; i < kLines; ++i) {
      AppendDebugLog("worker " + std::to_string(i));
      if (i % 50 == 49) SetDebugWindowField(DebugField::kFramesPerSecond, std::to_string(i));
    }
  });
  for (int i = 0; i < kLines; ++i) {
    AppendDebugLog("ui " + std::to_string(i));
    if (i % 4 == 0) QCoreApplication::processEvents();
  }
  ASSERT_TRUE(JoinWhileServing(worker));

  EXPECT_EQ(DebugLogLineCount(), 2u * kLines);
  ExpectAllLinesInOrder(LogLines(), {{"worker", kLines}, {"ui", kLines}});
  RefreshDebugWindow();
  EXPECT_EQ(TextOf(*dialog, kLogBox), DebugLogText());
  EXPECT_EQ(TextOf(*dialog, kFramesPerSecondBox), std::to_string(kLines - 1));
}

TEST_F(DebugThreadsTest, WindowOpensAndClosesWhileTheOtherThreadAppends) {
  std::atomic<bool> stop{false};
  std::atomic<int> appended{0};
  std::thread worker([&] {
    while (!stop) {
      AppendDebugLog("worker " + std::to_string(appended.load()));
      SetDebugWindowField(DebugField::kTextMode, "yes");
      ++appended;
    }
  });
  for (int opening = 0; opening < 40; ++opening) {
    auto dialog = std::make_unique<CDebugDialog>();
    dialog->show();
    const int seen = appended;
    ASSERT_TRUE(ServeUntil([&] { return appended > seen + 5; }));
    AppendDebugLog("ui " + std::to_string(opening));
    // The open window shows the log whole, in the log's order.
    const QString shown = dialog->ControlText(kLogBox);
    EXPECT_TRUE(QString::fromStdString(DebugLogText()).endsWith(shown));
    dialog.reset();
  }
  stop = true;
  ASSERT_TRUE(JoinWhileServing(worker));
  EXPECT_FALSE(DebugWindowIsOpen());
  ExpectAllLinesInOrder(LogLines(), {{"worker", appended.load()}, {"ui", 40}});
}

// The other thread runs passes as the display window does while the user stops, steps
// and runs the machine from the window.
TEST_F(DebugThreadsTest, ButtonsWorkWhileTheOtherThreadRunsPasses) {
  BootToBasic();
  ClearDebugLog();
  auto dialog = std::make_unique<CDebugDialog>();
  dialog->show();
  std::atomic<bool> stop{false};
  std::thread display([&stop] {
    while (!stop) {
      RunPassIfIdle();
      std::this_thread::yield();
    }
  });

  Click(*dialog, kStopRunButton);
  EXPECT_EQ(TextOf(*dialog, kStopRunButton), "Run");
  EXPECT_EQ(TextOf(*dialog, kDumpBox).rfind("- RAM - ", 0), 0u);
  TypeStepCount(*dialog, "4");
  Click(*dialog, kStepButton);
  // Stopped, the machine runs the four steps and stays stopped.
  ASSERT_TRUE(ServeUntil([] { return C64.run.stepBudget.load() == 0; }));
  EXPECT_EQ(DebugLogLineCount(), 4u);
  EXPECT_EQ(C64.run.emulationRunning.load(), 0);
  EXPECT_EQ(TextOf(*dialog, kStopRunButton), "Run");

  Click(*dialog, kStopRunButton);  // Run
  EXPECT_EQ(TextOf(*dialog, kStopRunButton), "Stop");
  for (int round = 1; round <= 5; ++round) {
    Click(*dialog, kStepButton);
    ASSERT_TRUE(ServeUntil([] { return C64.run.stepBudget.load() == 0; }));
    // Whichever thread ran them, the four instructions were traced.
    EXPECT_EQ(DebugLogLineCount(), 4u + 4u * round);
  }
  Click(*dialog, kStopRunButton);  // Stop again: the dump and fields under the pass lock
  stop = true;
  ASSERT_TRUE(JoinWhileServing(display));
  EXPECT_EQ(TextOf(*dialog, kLogBox), DebugLogText());
}

}  // namespace
