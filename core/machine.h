// The emulated C64 as one record: the processor, memory, each chip, the input lines, the
// run state and the KERNAL traps' state. One instance, C64, lives for the whole process;
// power-on, reset and the tests' return to zero all start from it, and a snapshot is
// its sections written one by one.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/chips/cia1_state.h"
#include "core/chips/cia6526.h"
#include "core/chips/sid.h"
#include "core/chips/video_chip_state.h"

namespace core {

inline constexpr std::uint32_t kMemorySize = 0x10000;

// ---- Processor -----------------------------------------------------------------------

struct CpuRegisters {
  std::uint8_t A;
  std::uint8_t X;
  std::uint8_t Y;
  std::uint8_t SP;
  std::uint16_t PC;
  std::uint8_t P;
};

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

struct Cpu6510 : CpuRegisters {
  // Entry n holds 1 << n once PowerOn has stored them; until then all are zero, so every
  // flag test finds the bit clear and every flag update does nothing.
  std::uint8_t flagMasks[8];
  std::int64_t instructionCount;  // incremented before every fetch; never wraps
  std::uint8_t stallCycles;       // idle steps owed by the last instruction
  // The accurate machine polls the interrupt input in an instruction's next-to-last cycle
  // (earlier in a taken branch that stays on its page): when the owed cycles come down to
  // pollAt it notes whether an IRQ is to be taken at the next boundary, with I as it was
  // before CLI, SEI or PLP changed it. pollAt 0xFF polls nothing (an interrupt entry).
  std::uint8_t pollAt;
  std::uint8_t pollWithI;
  std::uint8_t irqPolled;

  CpuRegisters Registers() const { return *this; }
  void SetRegisters(const CpuRegisters& registers) {
    static_cast<CpuRegisters&>(*this) = registers;
  }
};

// ---- Memory --------------------------------------------------------------------------

struct Memory {
  // The machine's RAM, including the RAM under the ROMs and the I/O window.
  // $0000 is the port's data-direction register, $0001 the effective port value.
  std::uint8_t ram[kMemorySize];
  // BASIC at $A000, KERNAL at $E000, the character generator at $D000 and its two copies
  // at $1000 and $9000 (the video chip's view). Written only when the ROMs are placed.
  std::uint8_t romMap[kMemorySize];
  // The I/O registers at $D000-$DFFF (video, sound, colour RAM, CIA 1, CIA 2, I/O areas).
  std::uint8_t ioImage[kMemorySize];
  // The last value the processor wrote to $0001.
  std::uint8_t portLatch;
};

// ---- Interrupts of the accurate machine ----------------------------------------------

// The NMI input is edge-triggered: a change of CIA 2's interrupt output (or a RESTORE
// press) from inactive to active latches a request, which the processor takes at its next
// instruction boundary whatever I says.
struct NmiInput {
  std::uint8_t level;    // the line as last seen: CIA 2's output
  std::uint8_t pending;  // an edge not yet taken
};

// The two 6526s are clocked lazily: cycles that change nothing but their counters are owed
// to them and handed over at once, before the cycle that holds an event of either chip
// (an underflow, a time-of-day tick) and before any access to their registers.
struct CiaClock {
  std::uint32_t owed;   // cycles passed since the chips were last brought up to date
  std::uint32_t quiet;  // cycles that could pass after that with no event in either chip
};

// ---- Input lines ---------------------------------------------------------------------

// The lines CIA 1 reads at its ports, changed by the keyboard mapping with atomic bit
// operations (presses come from two threads). Bit c of keyMatrix row r is the key at row
// r, column c: 1 released, 0 pressed. The joystick is active low: bit 0 up, 1 down,
// 2 left, 3 right, 4 fire; $FF when idle.
struct InputLines {
  std::atomic<std::uint8_t> keyMatrix[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  std::atomic<std::uint8_t> joystick{0xFF};
  // The control port the joystick is plugged into, 1 or 2. A setting of the host (menu and
  // command line), not of the machine: power-on and reset leave it alone.
  std::atomic<std::uint8_t> joystickPort{1};
  // RESTORE is not on the matrix: a press sends one pulse to the NMI input (the accurate
  // machine takes it at its next instruction boundary; the classic one has no NMI).
  std::atomic<std::uint8_t> restorePressed{0};
  // A 1351 mouse in port 1 (a host setting, like the joystick's port) and its motion
  // counters, added to by the display thread: x to the right, y upwards.
  std::atomic<std::uint8_t> mouseInPort1{0};
  std::atomic<std::int32_t> mouseX{0};
  std::atomic<std::int32_t> mouseY{0};
};

// ---- Run state -----------------------------------------------------------------------

// The classic machine's pass runs eight frames and ends with a picture; the accurate
// machine's runs one, as its picture is drawn line by line and the display shows each frame.
inline constexpr int FramesPerPass = 8;
inline constexpr int AccurateFramesPerPass = 1;

// Flags written by the user-interface thread and read by the loop at every instruction
// boundary are atomics with relaxed access: a plain load on the hot path.
struct RunState {
  std::atomic<std::uint8_t> runFlag{0};           // a pass may run
  std::atomic<std::uint8_t> emulationRunning{1};  // Stop/Run
  std::atomic<std::int32_t> stepBudget{-1};       // -1 unlimited, 0 paused, N single steps
  std::uint32_t framesLeft = FramesPerPass;       // frames before the pass's picture
  // Frames begun since the process started (one per raster wrap); the headless runner and
  // the keyboard's deferred releases count emulated time with it.
  std::atomic<std::uint64_t> frameCounter{0};
};

// The speed limit's frame pacing and the frames-per-second window.
struct Throttle {
  std::atomic<std::uint8_t> speedLimitOn{0};
  // Set while the host paces the machine itself (the desktop program by its sound card's
  // clock): the frames then begin without waiting for their time on the steady clock.
  std::atomic<std::uint8_t> pacedByHost{0};
  // The steady clock's time (ns) at which the next frame may begin; 0 before the first
  // paced frame. Only the thread running the pass touches it.
  std::int64_t nextFrameAt;
  // The pass's last frame has begun and still owes its wait: paid at the next pass's start.
  bool paceOwed;
  std::int32_t fpsCounter;
  std::int32_t fpsDeadline;
  std::int32_t fpsLastSample;
  std::atomic<std::int32_t> framesPerSecond{0};
};

// ---- KERNAL traps --------------------------------------------------------------------

struct TrapState {
  // The file name last set through the KERNAL, kept until a load routine reaches its
  // device trap (a save or an open with a name loads nothing).
  char fileName[256];
  std::uint16_t fileNameLength;
  std::uint8_t loadSucceeded;
  // Device 8's part on the serial bus: kBusListening after LISTEN, kBusTalking after TALK,
  // until UNLSN or UNTLK (or another device is addressed).
  std::uint8_t busDevice8;
};
inline constexpr std::uint8_t kBusListening = 0x01;
inline constexpr std::uint8_t kBusTalking = 0x02;

// ---- Breakpoints ---------------------------------------------------------------------

// Addresses at which the machine stops before executing the instruction that starts
// there. The run loop tests the table at an instruction boundary only while `active` is
// set, so a machine without breakpoints pays one byte test per instruction. The table and
// the switches are changed only under the pass lock (core/breakpoints.h); a pass writes
// only the last stop.
struct Breakpoints {
  std::uint8_t at[kMemorySize];  // 1 where a breakpoint is set
  std::uint32_t count;           // addresses set in `at`
  std::uint8_t enabled;          // the host lets them stop the machine
  std::uint8_t active;           // enabled and count > 0: the only test on the hot path
  // The last stop: where, and the instruction count then. Resumed at that same count the
  // machine executes the instruction it stopped before instead of stopping again.
  std::uint8_t stopped;
  std::uint16_t stopAddress;
  std::int64_t stopCount = -1;
};

// ---- The machine ---------------------------------------------------------------------

// The machine as designed (one interrupt per frame, its own cycle charges, a reduced
// CIA 1), or as the chips are: the 6510's cycles, two complete CIAs, raster interrupts.
enum class MachineModel : std::uint8_t { kClassic, kAccurate };

struct Machine {
  // A setting that power-on and reset keep; a change takes effect with the next reset.
  MachineModel model;
  Cpu6510 cpu;
  Memory memory;
  VideoChip vic;
  Cia1Classic classicCia1;  // the classic machine's CIA 1
  Cia6526 cia1;             // the accurate machine's: keyboard, joysticks, IRQ
  Cia6526 cia2;             // the accurate machine's: video bank, serial bus, NMI
  CiaClock ciaClock;
  Sid sid;  // both machines' sound chip at $D400-$D7FF
  NmiInput nmi;
  InputLines input;
  RunState run;
  Throttle throttle;
  TrapState traps;
  Breakpoints breakpoints;  // a setting of the host's debugger, never in a snapshot
};

extern Machine C64;

// Brings the whole record back to the all-zero state of process start, with the run
// loop's flags at their initial values, every key up, and the debug log empty. The layers
// above have their own (the tests' support zeroes them all in one call).
void ZeroMachineState();

// ---- Status flags --------------------------------------------------------------------

inline bool FlagSet(int flag) {
  return (C64.cpu.P & C64.cpu.flagMasks[flag]) != 0;
}
inline void SetFlag(int flag) {
  C64.cpu.P |= C64.cpu.flagMasks[flag];
}
inline void ClearFlag(int flag) {
  C64.cpu.P &= static_cast<std::uint8_t>(~C64.cpu.flagMasks[flag]);
}
inline void PutFlag(int flag, bool on) {
  on ? SetFlag(flag) : ClearFlag(flag);
}
inline void SetNZ(std::uint8_t value) {
  PutFlag(kFlagN, (value & 0x80) != 0);
  PutFlag(kFlagZ, value == 0);
}

// The interrupt request the processor sees: the OR of the chips' lines.
inline bool InterruptRequested() {
  return (C64.vic.irq | C64.classicCia1.irq) != 0;
}
inline bool AccurateInterruptRequested() {
  return C64.vic.irq != 0 || C64.cia1.interrupt;
}

}  // namespace core
