// Handing work from EmulatorThread to the user-interface thread. The emulator thread may
// show message boxes and set control texts; both must happen on the user-interface
// thread, and the caller waits until they are done.
#pragma once

#include <functional>

namespace platform {

// Records the calling thread as the user-interface thread. Call once, after the
// QApplication exists and on the thread that created it.
void MarkUiThread();
bool IsUiThread();

// Runs `work` on the user-interface thread and returns when it has finished there. On
// the user-interface thread itself it simply runs `work`. Never deadlocks as long as the
// user-interface thread, whenever it waits for the machine, keeps processing its events
// (ProcessPendingUiEvents is its pass-wait hook).
void RunOnUiThreadAndWait(const std::function<void()>& work);

// Serves the requests queued by RunOnUiThreadAndWait and the user's input: the
// user-interface thread's pass-wait hook.
void ProcessPendingUiEvents();

}  // namespace platform
