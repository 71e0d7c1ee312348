// Placeholder until the machine core lands.
#include "core/run_loop.h"
void RunLoop() {}
bool MachineStep() { return false; }
std::string FormatTraceLine() { return {}; }
void HaltMachine() { for (;;) {} }
PassLock::PassLock() {}
PassLock::~PassLock() {}
void SetPassWaitHookForThisThread(PassWaitHook) {}
bool ThisThreadHoldsPassLock() { return false; }
