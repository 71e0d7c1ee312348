// The display window as a target of the X drag-and-drop protocol (XDND), which freeglut
// does not speak: a single local file dragged from a file manager onto the window is
// handed to the program's handler, which opens it as a drop on the main window would.
#pragma once

#include <string>

namespace video {

// Called on the window's thread with the dropped file's path; installed by the program
// (any thread, any time). Without a handler drops are refused.
using DroppedFileHandler = void (*)(const std::string& path);
void SetDroppedFileHandler(DroppedFileHandler handler);

// Announces the window as a drop target and starts noting the protocol's messages on
// freeglut's connection (which must be current, as after glutCreateWindow). Call once,
// on the thread that runs the window.
void AcceptFileDrops();
// Answers the messages noted since the last call: status replies while a drag moves over
// the window, the request for the dropped data, and the handler's call with the end of
// the drop. The display callback calls it; it never waits.
void ServeFileDrops();

}  // namespace video
