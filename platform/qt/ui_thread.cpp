// RunOnUiThreadAndWait: a queued call into the application object's thread, answered
// through a promise.
#include "platform/qt/ui_thread.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <atomic>
#include <future>
#include <thread>

namespace platform {

namespace {

std::atomic<std::thread::id> UiThreadId{};

}  // namespace

void MarkUiThread() {
  UiThreadId.store(std::this_thread::get_id());
}

bool IsUiThread() {
  return UiThreadId.load() == std::this_thread::get_id();
}

void RunOnUiThreadAndWait(const std::function<void()>& work) {
  QCoreApplication* app = QCoreApplication::instance();
  if (IsUiThread() || app == nullptr) {
    work();
    return;
  }
  // The queued call runs inside whatever event loop the user-interface thread is in:
  // its main loop, a modal dialog's loop or the pass-wait hook.
  std::promise<void> done;
  QMetaObject::invokeMethod(
      app,
      [&work, &done] {
        work();
        done.set_value();
      },
      Qt::QueuedConnection);
  done.get_future().wait();
}

void ProcessPendingUiEvents() {
  if (QCoreApplication::instance() != nullptr)
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace platform
