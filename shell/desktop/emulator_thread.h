// EmulatorThread: powers the machine on and stays in the display window's main loop for
// the rest of the process. It is never joined; the process ends around it.
#pragma once

#include "platform/qt/thread_priority.h"

namespace shell {

// Starts the thread at normal priority and returns once its kernel id is known.
void StartEmulatorThread();

// The kernel id of EmulatorThread, 0 before it has started.
int EmulatorThreadId();

// Lowest while a file dialog is open and the chosen file is loaded, normal otherwise.
void SetEmulatorThreadPriority(platform::ThreadPriority priority);

}  // namespace shell
