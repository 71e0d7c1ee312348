// A file dropped on the main window: a program, a disk image or a snapshot, opened as the
// File menu opens it. Anything else is refused before it is read.
#pragma once

#include <string>

namespace shell {

enum class DroppedFileKind { kNone, kProgram, kDisk, kSnapshot };

// By the name's ending, in either case: ".prg", ".d64", ".c64snap".
DroppedFileKind KindOfDroppedFile(const std::string& path);

// Opens the file as "Open .PRG", "Mount .D64" or "Load Snapshot..." would, with their
// boxes on failure (the machine then stays as it was). Returns whether it was opened.
// User-interface thread.
bool OpenDroppedFile(const std::string& path);

// A file dropped on the display window, on its thread: opened on the user-interface
// thread as soon as that thread is free (the display's thread must go on running the
// machine, which types the RUN of a loaded program), then the keyboard is the display
// window's again.
void OpenDroppedFileLater(const std::string& path);

}  // namespace shell
