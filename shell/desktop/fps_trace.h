// --fps-trace: a thread of its own that prints, once every second of wall time, how many
// frames the machine began in that second ("fps: 50"), for the desktop benchmark.
#pragma once

namespace shell {

// Starts the thread (never joined; the process ends around it).
void StartFpsTrace();

}  // namespace shell
