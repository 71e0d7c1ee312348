// Thread priorities through the per-thread nice value.
#include "platform/qt/thread_priority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

int CurrentThreadId() {
  return static_cast<int>(syscall(SYS_gettid));
}

void SetThreadPriorityOf(int threadId, ThreadPriority priority) {
  if (threadId <= 0) return;
  const int nice = priority == ThreadPriority::kLowest ? kLowestNiceValue : 0;
  // EACCES/EPERM (raising the priority back without the right to) is expected and quiet.
  (void)setpriority(PRIO_PROCESS, static_cast<id_t>(threadId), nice);
}

int ThreadNiceValue(int threadId) {
  errno = 0;
  return getpriority(PRIO_PROCESS, static_cast<id_t>(threadId));
}

}  // namespace platform
