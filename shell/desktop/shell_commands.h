// What the main window's commands do to the machine, free of any widget: the main
// window only asks the user for files and calls these.
#pragma once

#include <string>

namespace shell {

// The command-line rule: the path names a program when ".prg" occurs at character index
// 2 or later, or failing that ".PRG" does (the first occurrence of each counts).
bool CommandLineNamesProgram(const std::string& path);
// The same rule with ".d64" and ".D64", for a path that names no program: a disk image.
bool CommandLineNamesDisk(const std::string& path);

// Loads the program at its own address under the pass lock (the copy never interleaves
// with a pass). A program at BASIC's start gets BASIC's variables set to the end of the
// load and RUN typed; any other is left where it is, with its place in the debug log.
// Returns whether it loaded; on failure LoadPrg has shown its box and nothing is typed.
bool LoadAndStartProgram(const std::string& path);

// A program or disk named on the command line, once the machine powering on meanwhile on
// EmulatorThread has reached BASIC's prompt: after a pause of one second, and for as long
// as the first 100 frames since power-on take (at most ten seconds more, and not while
// the machine is stopped). A program is loaded and started as by LoadAndStartProgram; a
// disk is mounted and LOAD"*",8,1 and RUN are typed. Returns false when the path names
// neither or the load or mount failed.
bool StartCommandLineProgram(const std::string& path);

// A file chosen in an open-file dialog: its folder becomes the current directory, and the
// bare name, which the loaders open relative to it, is returned.
std::string EnterFolderOf(const std::string& chosenPath);

}  // namespace shell
