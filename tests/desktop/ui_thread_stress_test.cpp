// The hand-over between EmulatorThread and the user-interface thread under load: both
// threads run passes, the user-interface thread writes machine state under the pass lock
// and resets the machine, while the emulator thread shows message boxes and sets a
// control's text, also while it holds the pass lock as a pass does. Nothing may deadlock,
// every box must have been shown and closed before ShowMessageBox returns, and every
// text must be in the control when the call returns.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "core/machine.h"
#include "core/power_on.h"
#include "core/run_loop.h"
#include "platform/host_services.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/ui_thread.h"
#include "tests/support/test_machine.h"

using namespace platform;
using namespace core;

namespace {

QApplication& Application() {
  static int argc = 1;
  static char name[] = "ui_thread_stress_test";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication application(argc, argv);
  return application;
}

// Ends the test program if the threads stop making progress: a deadlock never returns.
class Watchdog {
 public:
  explicit Watchdog(std::chrono::seconds limit)
      : thread_([this, limit] {
          const auto deadline = std::chrono::steady_clock::now() + limit;
          while (!done_.load()) {
            if (std::chrono::steady_clock::now() > deadline) {
              std::fprintf(stderr, "no progress within the time limit: deadlock\n");
              std::fflush(stderr);
              std::_Exit(3);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
          }
        }) {}
  ~Watchdog() {
    done_.store(true);
    thread_.join();
  }

 private:
  std::atomic<bool> done_{false};
  std::thread thread_;
};

}  // namespace

TEST(UiThreadHandOver, RunOnUiThreadAndWaitRunsOnTheUiThreadAndCompletesBeforeReturning) {
  Application();
  MarkUiThread();
  const std::thread::id uiThread = std::this_thread::get_id();
  std::thread::id ranOn;
  std::atomic<bool> returned{false};
  std::thread emulator([&] {
    RunOnUiThreadAndWait([&] { ranOn = std::this_thread::get_id(); });
    returned.store(true);
  });
  while (!returned.load()) ProcessPendingUiEvents();
  emulator.join();
  EXPECT_EQ(ranOn, uiThread);
}

TEST(UiThreadHandOver, OnTheUiThreadItselfTheWorkRunsAtOnce) {
  Application();
  MarkUiThread();
  bool ran = false;
  RunOnUiThreadAndWait([&] { ran = true; });
  EXPECT_TRUE(ran);
}

TEST(UiThreadHandOver, BoxesTextsAndPassesOnBothThreadsNeverDeadlock) {
  Application();
  MarkUiThread();
  PowerOnTestMachine();
  C64.throttle.speedLimitOn.store(0);
  InstallQtMessageBoxHandler();
  SetPassWaitHookForThisThread(&ProcessPendingUiEvents);

  // Plays the user: closes every message box shortly after it appears.
  std::atomic<int> boxesClosed{0};
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&boxesClosed] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(widget);
      if (box != nullptr && box->isVisible()) {
        box->accept();
        boxesClosed.fetch_add(1);
      }
    }
  });
  closer.start(2);

  QLabel field;
  constexpr int kRounds = 60;
  std::atomic<bool> emulatorDone{false};
  std::atomic<int> textMismatches{0};
  std::atomic<int> boxesReturned{0};
  Watchdog watchdog(std::chrono::seconds(240));

  std::thread emulator([&] {
    for (int round = 0; round < kRounds; ++round) {
      C64.run.runFlag.store(1);
      RunLoop();
      const QString text = QString::number(round);
      if (round % 2 == 0) {
        // As a trap or a halt does: the box is shown while this thread holds the pass.
        PassLock pass;
        ShowMessageBox("Box " + std::to_string(round), "Info");
        RunOnUiThreadAndWait([&] { field.setText(text); });
      } else {
        ShowMessageBox("Box " + std::to_string(round), "Error");
        RunOnUiThreadAndWait([&] { field.setText(text); });
      }
      boxesReturned.fetch_add(1);
      // The call has completed on the user-interface thread: the text is in the control.
      if (field.text() != text) textMismatches.fetch_add(1);
    }
    emulatorDone.store(true);
  });

  int uiPasses = 0;
  int resets = 0;
  while (!emulatorDone.load()) {
    {
      // A load's copy into memory, kept from interleaving with a pass.
      PassLock pass;
      C64.memory.ram[0xC000] = static_cast<std::uint8_t>(C64.memory.ram[0xC000] + 1);
    }
    C64.run.runFlag.store(1);
    RunLoop();
    ++uiPasses;
    if (uiPasses % 25 == 0 && resets < 3) {
      Reset();
      ++resets;
    }
    ProcessPendingUiEvents();
  }
  emulator.join();
  closer.stop();

  EXPECT_EQ(boxesReturned.load(), kRounds);
  EXPECT_EQ(boxesClosed.load(), kRounds) << "every ShowMessageBox waited for its box to close";
  EXPECT_EQ(textMismatches.load(), 0);
  EXPECT_GT(uiPasses, 0);
  SetPassWaitHookForThisThread(nullptr);
  SetMessageBoxHandler(nullptr);
}
