// The relay between the machine and an open debug window: updates from any thread are
// handed to the user-interface thread.
#include "shell/debug/debug_view_relay.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <atomic>
#include <optional>

#include "core/run_loop.h"
#include "shell/debug/debug_dialog_window.h"
#include "shell/debug/debug_fields.h"

namespace shell {

DebugViewRelay& DebugViewRelay::Instance() {
  static DebugViewRelay relay;
  return relay;
}

void DebugViewRelay::Attach(CDebugDialog* dialog) {
  dialog_ = dialog;
  core::SetDebugWindowView(this);
}

void DebugViewRelay::Detach(CDebugDialog* dialog) {
  if (dialog_ != dialog) return;
  core::SetDebugWindowView(nullptr);
  dialog_ = nullptr;
}

// On the user-interface thread the work runs at once; from another thread it is queued
// to the application object and the caller waits until that thread has run it. The
// user-interface thread never waits for the machine without serving this queue.
template <typename Work>
void DebugViewRelay::RunOnUiThread(Work work) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) return;
  if (QThread::currentThread() == app->thread()) {
    work();
    return;
  }
  // The queue already orders the two threads; the atomic hand-over states that order in
  // this program's own code as well, where race detectors can see it.
  std::atomic<bool> handedOver{false};
  handedOver.store(true, std::memory_order_release);
  QMetaObject::invokeMethod(
      app,
      [&handedOver, &work] {
        (void)handedOver.load(std::memory_order_acquire);
        work();
        handedOver.store(false, std::memory_order_release);
      },
      Qt::BlockingQueuedConnection);
  (void)handedOver.load(std::memory_order_acquire);
}

void DebugViewRelay::Refresh() {
  // One buffer per thread: the memory dump's half megabyte is allocated once, and the
  // calling thread waits while the user-interface thread reads it.
  thread_local DebugFieldTexts texts;
  {
    std::optional<core::PassLock> lock;
    if (!core::ThisThreadHoldsPassLock()) lock.emplace();
    CaptureDebugFields(texts);
  }
  RunOnUiThread([this, &texts = texts] {
    if (dialog_ != nullptr) dialog_->ShowRefresh(texts);
  });
}

void DebugViewRelay::SetField(core::DebugField field, const std::string& text) {
  RunOnUiThread([this, field, &text] {
    if (dialog_ != nullptr) dialog_->ShowField(field, text);
  });
}

}  // namespace shell
