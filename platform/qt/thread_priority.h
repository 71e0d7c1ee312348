// The two priorities of EmulatorThread: lowest while a file dialog is open and the
// chosen file is loaded, normal otherwise. On Linux a thread's own nice value is set
// through setpriority on its thread id.
#pragma once

namespace platform {

enum class ThreadPriority { kLowest, kNormal };

// The kernel's id of the calling thread.
int CurrentThreadId();

// Sets the nice value of the thread. Failures are ignored: an unprivileged user may not
// lower the nice value again, and the machine runs on at whatever priority it has.
void SetThreadPriorityOf(int threadId, ThreadPriority priority);

// The thread's current nice value (tests).
int ThreadNiceValue(int threadId);

inline constexpr int kLowestNiceValue = 10;

}  // namespace platform
