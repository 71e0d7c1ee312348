// The KERNAL traps: a table of ROM addresses where the machine steps in for the
// KERNAL's tape and serial load routines (loading from the mounted disk or the host
// folder through the host hooks), for its serial-bus routines when they address device 8,
// and for a tape SAVE; and remembers the file name the KERNAL was given.
#pragma once

#include <cstdint>

namespace core {

// The lowest trapped address: every trap lies in the KERNAL ROM at or above it.
inline constexpr std::uint16_t kLowestTrapAddress = 0xED09;

// Consulted at instruction fetch while the processor sees the KERNAL ROM (HIRAM set) and
// PC is at or above kLowestTrapAddress: runs the trap at PC, if there is one, which may
// move PC on. Kept out of line, so that the loads it may call do not weigh on the
// machine step's code.
[[gnu::noinline]] void RunKernalTrap();

}  // namespace core
