// The desktop program's small SDL thread: opens the sound card and the game controllers,
// then every few milliseconds handles SDL's events and puts the first controller on the
// joystick. It runs for the whole process and is never joined.
#pragma once

namespace shell {

// `printSoundStatus`: a line of the sound output's figures on stderr every second (for the
// benchmark that counts underruns).
void StartDeviceThread(bool printSoundStatus);

}  // namespace shell
