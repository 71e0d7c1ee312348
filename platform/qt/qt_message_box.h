// The message boxes of the machine (load errors, the "tt" trap, "JAM!", disk mounts) as
// Qt message boxes, shown by the user-interface thread whichever thread asks.
#pragma once

#include <string>

namespace platform {

// Installs the Qt handler behind ShowMessageBox. Call on the user-interface thread after
// MarkUiThread.
void InstallQtMessageBoxHandler();

// Before the application exists (a start-up error, such as missing ROM images): a
// QApplication of its own for one "Error" box with the text, shown when a display is there
// to show it on (DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM set); otherwise nothing.
void ShowStartUpErrorBox(int argc, char** argv, const std::string& text);

// The handler itself: a modal box with no owner, the title, the text and one OK button;
// returns when the user has closed it.
void ShowQtMessageBox(const std::string& text, const std::string& title);

}  // namespace platform
