// The texts of the debug window's fields, formatted from machine state. The formatting
// functions are pure; CaptureDebugFields reads the machine once for a whole refresh.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace shell {

// "0x" + PC + " (0x" + byte + ")", upper-case hexadecimal without padding.
std::string FormatProgramCounterField(std::uint16_t pc, std::uint8_t byteAtPc);
// "0x" + the value in upper-case hexadecimal without padding (registers X, Y, A, SP).
std::string FormatRegisterField(std::uint8_t value);
// "1" or "0".
std::string FormatFlagField(bool set);
// "0x%x": lower-case hexadecimal without padding (VIC bank and the two offsets).
std::string FormatPointerField(std::uint16_t value);
// " 0x%X" for each stack byte from $01FF down to $01F1.
std::string FormatStackField(const std::uint8_t* ram);

// Number of characters of the memory dump (always the same).
std::size_t MemoryDumpLength();
// The dump of all of `ram` and then all of `io`: a header, 4,096 lines "\r\n0x%04X: "
// followed by " %02X" for each of 16 bytes, and the same for the I/O image.
// `out` is overwritten; its capacity is reused.
void BuildMemoryDump(const std::uint8_t* ram, const std::uint8_t* io, std::string& out);

// The C library's atoi: leading white space, an optional sign, then decimal digits up to
// the first non-digit; no digits gives 0. Values beyond the 32-bit range saturate.
std::int32_t ParseStepCount(std::string_view text);
// The step budget for a step count: the count itself, and -1 (unlimited) for any
// negative count.
std::int32_t StepBudgetForCount(std::int32_t count);

// All fields a refresh writes, in their refresh order.
struct DebugFieldTexts {
  bool hasDump = false;  // the dump is only built while the machine is stopped
  std::string dump;
  std::string programCounter;
  std::string regX, regY, regA, stackPointer;
  std::string flagN, flagZ, flagV, flagC, flagI;
  std::string bank, charBase, screen;
  std::string stack;
  std::string model;        // "classic machine" or "accurate machine"
  std::string disassembly;  // sixteen instructions around PC, PC marked
};

// Reads the registers, the sixteen instructions around PC, the byte at PC (through ReadByte, as the
// processor would fetch it), the video pointers, the stack page and, while C64.run.emulationRunning
// is clear, the whole of C64.memory.ram and C64.memory.ioImage. The caller makes sure no pass runs
// meanwhile.
void CaptureDebugFields(DebugFieldTexts& texts);

}  // namespace shell
