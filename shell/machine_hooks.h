// The machine's wiring: the host hooks through which the core reaches the video
// renderers, the keyboard mapping and the loader of named files (disk and host folder).
// Every program installs them once at start-up; the desktop program adds its display
// window.
#pragma once

#include <cstdint>

namespace shell {

// Installs the hooks; `openDisplay` is the first start's display (none without a window),
// `frameBegun` what the host does at each frame's start (the desktop's sound), and
// `waitForFrame` the speed limit's wait (a plain sleep without one).
void InstallMachineHooks(void (*openDisplay)() = nullptr, void (*frameBegun)() = nullptr,
                         bool (*waitForFrame)(std::int64_t) = nullptr);

// Every record of the machine (core, video, input, the debug log, the mounted disk) back
// to the all-zero state of process start, the keyboard settings at theirs (cursor keys as
// the joystick, the joystick in port 1), with the hooks installed: the one call tests and
// benchmarks make between cases.
void ZeroWholeMachine();

}  // namespace shell
