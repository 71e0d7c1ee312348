#include "shell/debug_window_hooks.h"

#include <atomic>

namespace {
std::atomic<DebugWindowView*> OpenView{nullptr};
}

void SetDebugWindowView(DebugWindowView* view) {
  OpenView.store(view);
}

bool DebugWindowIsOpen() {
  return OpenView.load(std::memory_order_relaxed) != nullptr;
}

void RefreshDebugWindow() {
  if (DebugWindowView* view = OpenView.load()) view->Refresh();
}

void SetDebugWindowField(DebugField field, const std::string& text) {
  if (DebugWindowView* view = OpenView.load()) view->SetField(field, text);
}
