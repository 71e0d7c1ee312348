// The headless runner: powers the machine on without a window and runs it as fast as
// the host allows, with input and output scheduled in emulated frames, so that a run
// is the same every time.
#pragma once

#include <ostream>
#include <string>

namespace apps {

struct HeadlessOptions {
  int inputAt = 200;        // frame at which input starts (BASIC waits at its prompt)
  std::string program;      // PRG loaded at the input frame
  bool noRun = false;       // load without typing RUN
  std::string typeText;     // typed after the program's RUN
  int frames = 100;         // frames run after the last input event
  bool screenText = false;  // print the video matrix as text at the end
  std::string screenshot;   // PNG of a picture rendered at the end
  std::string dumpRam;      // the 65,536 bytes of Ram
  std::string dumpIo;       // the 65,536 bytes of IoImage
  bool speedLimit = false;  // keep the throttle on
  bool stats = false;       // frames, instructions, seconds and frames per second
  bool fpsTrace = false;    // the frames-per-second measurement, once per emulated second
  // The joystick's control port and the PC cursor keys' meaning (host_key_table.h); a
  // {JOY1 ...} or {JOY2 ...} step of typeText puts the joystick into its port.
  int joystickPort = 1;
  bool cursorKeysAsJoystick = true;
};

// Runs the machine (already holding its ROM images) as the options say and returns the
// process's exit status. Results go to `out`, errors to `err`; a typeText that cannot be
// typed (typed_script.h) is a usage error, status 1, before the machine starts.
int RunHeadless(const HeadlessOptions& options, std::ostream& out, std::ostream& err);

// Types one character as the keyboard handlers would (a character found only in a
// shifted column comes with SHIFT); "\n" and '\r' are RETURN. Returns false for a
// character with no key.
bool PressHostCharacter(unsigned char character);
void ReleaseHostCharacter(unsigned char character);

}  // namespace apps
