// The view the machine talks to while a debug window is open. It lives for the whole
// process, so that a call the emulator thread has begun just before the window closes
// never reaches a destroyed window: the relay hands every update to the user-interface
// thread, which alone knows whether a window is still there.
#pragma once

#include <string>

#include "core/host_hooks.h"

namespace shell {

class CDebugDialog;

class DebugViewRelay final : public core::DebugWindowView {
 public:
  static DebugViewRelay& Instance();

  // User-interface thread: a window opens (registers the relay with the machine) or
  // closes (unregisters it).
  void Attach(CDebugDialog* dialog);
  void Detach(CDebugDialog* dialog);

  // Any thread. The field texts are formatted on the calling thread from a consistent
  // machine state (under the pass lock when the thread does not hold it already) and
  // shown by the user-interface thread; the call returns once they are shown.
  void Refresh() override;
  void SetField(core::DebugField field, const std::string& text) override;

 private:
  DebugViewRelay() = default;
  template <typename Work>
  void RunOnUiThread(Work work);

  CDebugDialog* dialog_ = nullptr;  // read and written on the user-interface thread only
};

}  // namespace shell
