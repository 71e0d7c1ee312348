// The headless runner: powers the machine on without a window and runs it as fast as
// the host allows, with input and output scheduled in emulated frames, so that a run
// is the same every time.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "core/machine.h"

namespace apps {

struct HeadlessOptions {
  int inputAt = 200;    // frame at which input starts (a program waits for the prompt)
  std::string program;  // PRG loaded at the input frame
  std::string disk;     // D64 image mounted before the machine starts
  // The disk mounted write-protected: a write answers 26,WRITE PROTECT ON.
  bool readOnlyDisk = false;
  bool startDisk = false;   // at the input frame, type LOAD"*",8,1 and RUN for the disk
  bool noRun = false;       // load (or mount) without typing RUN (or LOAD and RUN)
  std::string typeText;     // typed after the program's RUN
  int frames = 100;         // frames run after the last input event
  bool screenText = false;  // print the video matrix as text at the end
  std::string screenshot;   // PNG of a picture rendered at the end
  std::string dumpRam;      // the 65,536 bytes of C64.memory.ram
  std::string dumpIo;       // the 65,536 bytes of C64.memory.ioImage
  std::string saveState;    // a snapshot of the whole machine at the end
  std::string loadState;    // a snapshot the run starts from instead of power-on
  std::string audio;        // the sound chip's output of the whole run, as a WAV file
  bool speedLimit = false;  // keep the throttle on
  bool stats = false;       // frames, instructions, seconds and frames per second
  bool fpsTrace = false;    // the frames-per-second measurement, once per emulated second
  // The joystick's control port and the PC cursor keys' meaning (host_key_table.h); a
  // {JOY1 ...} or {JOY2 ...} step of typeText puts the joystick into its port.
  int joystickPort = 1;
  bool cursorKeysAsJoystick = true;
  // The machine model powered on (a snapshot brings its own).
  core::MachineModel model = core::MachineModel::kClassic;
  // The run ends before the instruction at the first of these it reaches, with its outputs.
  std::vector<std::uint16_t> breakpoints;
};

// Runs the machine (already holding its ROM images) as the options say and returns the
// process's exit status: 0 when the run went as asked, 1 when an output path or an input
// file is unusable or the typed text cannot be typed (typed_script.h; all before the
// machine starts), when BASIC's prompt never came for the program, or when an output
// could not be written. Results go to `out`, errors to `err`.
// A halting opcode ends the process from inside the run, after the outputs are written;
// a breakpoint ends the run there, with the outputs written and status 0.
int RunHeadless(const HeadlessOptions& options, std::ostream& out, std::ostream& err);

// The --stats line: "stats: frames=F instructions=I seconds=S fps=R model=M".
std::string StatsLine(std::uint64_t frames, std::int64_t instructions, double seconds,
                      core::MachineModel model);

// Whether a command-line path names a disk image: it ends in ".d64" or ".D64".
bool NamesDiskImage(const std::string& path);

// Types one character as the keyboard handlers would (a character found only in a
// shifted column comes with SHIFT); "\n" and '\r' are RETURN. Returns false for a
// character with no key.
bool PressHostCharacter(unsigned char character);
void ReleaseHostCharacter(unsigned char character);

}  // namespace apps
