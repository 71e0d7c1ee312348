// Xlib set-up for a process with two toolkits on two threads: Qt on the user-interface
// thread and freeglut (the display window) on EmulatorThread, each with its own
// connection to the X server.
#pragma once

#include <cstdint>

// Makes Xlib thread-safe. Must run before either toolkit opens a display.
void InitialiseXlibThreads();

// Qt installs a process-wide Xlib error handler that only logs quietly, which would hide
// the display window's errors. Call after the QApplication exists: errors on Qt's own
// connection still go to Qt's handler; errors on any other connection (the display
// window's) are reported on standard error and counted, and the process goes on.
void InstallX11ErrorReporting();

// X errors reported on connections other than Qt's since the process started.
std::uint64_t ReportedX11ErrorCount();
