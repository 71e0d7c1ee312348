// The emulated C64's global state: the three 64 KB memory images, the processor
// registers and status-flag masks, the processor port latch and the run loop's flags,
// counters and timing records. Everything lives for the whole process; the routines
// that work on it are free functions in the neighbouring files.
#pragma once

#include <atomic>
#include <cstdint>
#include <ctime>

namespace core {

// ---- Memory images -------------------------------------------------------------------

inline constexpr std::uint32_t kMemorySize = 0x10000;

// The machine's RAM, including the RAM under the ROMs and the I/O window.
// $0000 is the port's data-direction register, $0001 the effective port value.
extern std::uint8_t Ram[kMemorySize];
// BASIC at $A000, KERNAL at $E000, the character generator at $D000 and its two copies
// at $1000 and $9000 (the video chip's view). Written only by PowerOn.
extern std::uint8_t RomMap[kMemorySize];
// The I/O registers at $D000-$DFFF (video, sound, colour RAM, CIA 1, CIA 2, I/O areas).
extern std::uint8_t IoImage[kMemorySize];

// ---- Processor -----------------------------------------------------------------------

struct CpuRegisters {
  std::uint8_t A;
  std::uint8_t X;
  std::uint8_t Y;
  std::uint8_t SP;
  std::uint16_t PC;
  std::uint8_t P;
};
extern CpuRegisters Cpu;

// Entry n holds 1 << n once PowerOn has stored them; until then all are zero, so every
// flag test finds the bit clear and every flag update does nothing.
extern std::uint8_t StatusFlagMasks[8];
enum StatusFlag : int {
  kFlagC = 0,
  kFlagZ = 1,
  kFlagI = 2,
  kFlagD = 3,
  kFlagB = 4,
  kFlagBit5 = 5,
  kFlagV = 6,
  kFlagN = 7,
};
// The processor port bits share the mask entries: LORAM 0, HIRAM 1, CHAREN 2.
enum PortBit : int { kPortLoram = 0, kPortHiram = 1, kPortCharen = 2 };

inline bool FlagSet(int flag) {
  return (Cpu.P & StatusFlagMasks[flag]) != 0;
}
inline void SetFlag(int flag) {
  Cpu.P |= StatusFlagMasks[flag];
}
inline void ClearFlag(int flag) {
  Cpu.P &= static_cast<std::uint8_t>(~StatusFlagMasks[flag]);
}
inline void PutFlag(int flag, bool on) {
  on ? SetFlag(flag) : ClearFlag(flag);
}
inline void SetNZ(std::uint8_t value) {
  PutFlag(kFlagN, (value & 0x80) != 0);
  PutFlag(kFlagZ, value == 0);
}

// The lines CIA 1 reads at its ports, changed by the keyboard mapping with atomic bit
// operations (presses come from two threads). Bit c of KeyMatrix row r is the key at row
// r, column c: 1 released, 0 pressed. JoystickState is active low: bit 0 up, 1 down,
// 2 left, 3 right, 4 fire; $FF when idle.
extern std::atomic<std::uint8_t> KeyMatrix[8];
extern std::atomic<std::uint8_t> JoystickState;
// The control port the joystick is plugged into, 1 or 2. A setting of the host (menu and
// command line), not of the machine: power-on and reset leave it alone.
extern std::atomic<std::uint8_t> JoystickPort;

// The last value the processor wrote to $0001.
extern std::uint8_t PortLatch;
// The interrupt request: raised at each frame start, cleared by reading $DC0D/$DD0D or
// by a CIA 1 timer A underflow.
extern std::uint8_t IrqPending;

// ---- Run loop ------------------------------------------------------------------------

inline constexpr int CyclesPerLine = 63;
inline constexpr int LinesPerFrame = 312;
inline constexpr int FramesPerPass = 8;

// Flags written by the user-interface thread and read by the loop at every instruction
// boundary are atomics with relaxed access: a plain load on the hot path.
extern std::atomic<std::uint8_t> RunFlag;           // a pass may run
extern std::atomic<std::uint8_t> EmulationRunning;  // Stop/Run
extern std::atomic<std::int32_t> StepBudget;        // -1 unlimited, 0 paused, N single steps
extern std::int64_t InstructionCount;               // incremented before every fetch; never wraps
extern std::uint8_t StallCycles;                    // idle steps owed by the last instruction
extern std::int32_t LineCyclesLeft;
extern std::uint16_t RasterLine;
extern std::uint32_t FramesLeft;
extern std::uint8_t LoadTrapSucceeded;
// Frames begun since the process started (one per raster wrap); the headless runner and
// the keyboard's deferred releases count emulated time with it.
extern std::atomic<std::uint64_t> FrameCounter;

// ---- CIA 1, time of day and throttle -------------------------------------------------

extern std::uint16_t TimerACounter;
extern std::uint8_t TimerARunning;
extern std::int32_t TodTenths;
extern std::int32_t TodNextTick;
extern std::time_t PowerOnTime;
extern std::tm PowerOnLocalTime;
extern std::uint32_t PowerOnTicks;

extern std::atomic<float> ThrottleDelay;
extern std::atomic<float> SavedThrottleDelay;
extern std::atomic<std::uint8_t> SpeedLimitOn;
extern std::int32_t FpsCounter;
extern std::int32_t FpsDeadline;
extern std::int32_t FpsLastSample;
extern std::atomic<std::int32_t> FramesPerSecond;

// Brings every record of the machine core and the debug log back to the all-zero state of
// process start, with the run loop's flags at their initial values and every key up.
// The layers above have their own (the tests' support zeroes them all in one call).
void ZeroMachineState();

}  // namespace core
