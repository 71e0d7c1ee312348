// The "Debug Info" window as the main window sees it.
#pragma once

#include <QString>

class QWidget;

namespace shell {

// Shows a fresh debug window modally over `owner` and returns when the user closes it.
// Runs on the user-interface thread.
void RunDebugDialog(QWidget* owner);

// The speed-limit box follows a change made elsewhere (the Warp item or key) while the
// window is open. User-interface thread only.
void ShowSpeedLimitInDebugDialog(bool on);

// The step count the window offers on opening (the main window sets "1" once at start)
// and keeps from one opening to the next.
void SetDebugStepCountText(const QString& text);
QString DebugStepCountText();

}  // namespace shell
