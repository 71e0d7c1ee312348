// Xlib set-up for a process with two toolkits on two threads: Qt on the user-interface
// thread and freeglut (the display window) on EmulatorThread, each with its own
// connection to the X server.
#pragma once

#include <cstdint>

namespace platform {

// Makes Xlib thread-safe and has it deliver the display window's key characters as
// single Latin-1 bytes, whatever the locale (the keyboard mapping works on single
// Windows-1252 codes such as 0xA7 for the section sign; in a UTF-8 locale Xlib would
// deliver two bytes, and in the C locale none). Must run before either toolkit opens a
// display.
void InitialiseXlib();

// Qt installs a process-wide Xlib error handler that only logs quietly, which would hide
// the display window's errors. Call after the QApplication exists: errors on Qt's own
// connection still go to Qt's handler; errors on any other connection (the display
// window's) are reported on standard error and counted, and the process goes on.
void InstallX11ErrorReporting();

// Gives the keyboard focus to another window of this program (the display window, whose
// id is `window`) through Qt's connection; nothing for 0 or without an X server.
void GiveKeyboardFocus(unsigned long window);

// X errors reported on connections other than Qt's since the process started.
std::uint64_t ReportedX11ErrorCount();

}  // namespace platform
