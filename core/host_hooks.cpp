// The installed host hooks and the open debug window's view.
#include "core/host_hooks.h"

#include <atomic>

namespace core {

namespace {
HostHooks Installed;
std::atomic<DebugWindowView*> OpenView{nullptr};
}  // namespace

void InstallHostHooks(const HostHooks& hooks) {
  Installed = hooks;
}

const HostHooks& InstalledHostHooks() {
  return Installed;
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

}  // namespace core
