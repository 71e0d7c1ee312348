// The debug window's field texts, formatted from one consistent machine state.
#include "shell/debug/debug_fields.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "core/disassembler.h"
#include "core/machine.h"
#include "core/memory_map.h"
#include "video/vic_state.h"

namespace shell {

namespace {

constexpr char kUpperHex[] = "0123456789ABCDEF";
constexpr std::string_view kRamHeader = "- RAM - \r\n\r\n";
constexpr std::string_view kIoHeader = "\r\n\r\n- I/O - \r\n\r\n";
constexpr int kBytesPerLine = 16;
constexpr int kLinesPerImage = 0x10000 / kBytesPerLine;
// "\r\n0x" + 4 digits + ": " + 16 x (" " + 2 digits)
constexpr std::size_t kLineLength = 2 + 2 + 4 + 2 + kBytesPerLine * 3;

std::string UpperHex(unsigned value) {
  char buffer[16];
  const int length = std::snprintf(buffer, sizeof buffer, "%X", value);
  return std::string(buffer, static_cast<std::size_t>(length));
}

// Writes the lines of one 64 KB image at `out` and returns the end.
char* DumpImage(const std::uint8_t* image, char* out) {
  for (int line = 0; line < kLinesPerImage; ++line) {
    const unsigned address = static_cast<unsigned>(line) * kBytesPerLine;
    *out++ = '\r';
    *out++ = '\n';
    *out++ = '0';
    *out++ = 'x';
    *out++ = kUpperHex[(address >> 12) & 0xF];
    *out++ = kUpperHex[(address >> 8) & 0xF];
    *out++ = kUpperHex[(address >> 4) & 0xF];
    *out++ = kUpperHex[address & 0xF];
    *out++ = ':';
    *out++ = ' ';
    for (int i = 0; i < kBytesPerLine; ++i) {
      const std::uint8_t byte = image[address + static_cast<unsigned>(i)];
      *out++ = ' ';
      *out++ = kUpperHex[byte >> 4];
      *out++ = kUpperHex[byte & 0xF];
    }
  }
  return out;
}

}  // namespace

std::string FormatProgramCounterField(std::uint16_t pc, std::uint8_t byteAtPc) {
  return "0x" + UpperHex(pc) + " (0x" + UpperHex(byteAtPc) + ")";
}

std::string FormatRegisterField(std::uint8_t value) {
  return "0x" + UpperHex(value);
}

std::string FormatFlagField(bool set) {
  return set ? "1" : "0";
}

std::string FormatPointerField(std::uint16_t value) {
  char buffer[16];
  const int length = std::snprintf(buffer, sizeof buffer, "0x%x", static_cast<unsigned>(value));
  return std::string(buffer, static_cast<std::size_t>(length));
}

std::string FormatStackField(const std::uint8_t* ram) {
  std::string text;
  for (unsigned address = 0x01FF; address >= 0x01F1; --address) {
    text += " 0x";
    text += UpperHex(ram[address]);
  }
  return text;
}

std::size_t MemoryDumpLength() {
  return kRamHeader.size() + kIoHeader.size() + 2 * kLinesPerImage * kLineLength;
}

void BuildMemoryDump(const std::uint8_t* ram, const std::uint8_t* io, std::string& out) {
  out.resize(MemoryDumpLength());
  char* cursor = out.data();
  auto put = [&cursor](std::string_view text) { cursor += text.copy(cursor, text.size()); };
  put(kRamHeader);
  cursor = DumpImage(ram, cursor);
  put(kIoHeader);
  DumpImage(io, cursor);
}

std::int32_t ParseStepCount(std::string_view text) {
  std::size_t i = 0;
  auto isSpace = [](char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
  };
  while (i < text.size() && isSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t value = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    value = value * 10 + (text[i++] - '0');
    if (value > kLimit) value = kLimit;
  }
  if (negative) return static_cast<std::int32_t>(-value);
  return static_cast<std::int32_t>(std::min(value, kLimit - 1));
}

std::int32_t StepBudgetForCount(std::int32_t count) {
  return count < 0 ? -1 : count;
}

void CaptureDebugFields(DebugFieldTexts& texts) {
  texts.hasDump = core::C64.run.emulationRunning.load() == 0;
  if (texts.hasDump) BuildMemoryDump(core::C64.memory.ram, core::C64.memory.ioImage, texts.dump);
  texts.programCounter =
      FormatProgramCounterField(core::C64.cpu.PC, core::ReadByte(core::C64.cpu.PC));
  texts.regX = FormatRegisterField(core::C64.cpu.X);
  texts.regY = FormatRegisterField(core::C64.cpu.Y);
  texts.regA = FormatRegisterField(core::C64.cpu.A);
  texts.stackPointer = FormatRegisterField(core::C64.cpu.SP);
  texts.flagN = FormatFlagField(core::FlagSet(core::kFlagN));
  texts.flagZ = FormatFlagField(FlagSet(core::kFlagZ));
  texts.flagV = FormatFlagField(FlagSet(core::kFlagV));
  texts.flagC = FormatFlagField(FlagSet(core::kFlagC));
  texts.flagI = FormatFlagField(FlagSet(core::kFlagI));
  texts.bank = FormatPointerField(video::VicBank.load());
  texts.charBase = FormatPointerField(video::CharBaseOffset.load());
  texts.screen = FormatPointerField(video::ScreenOffset.load());
  texts.stack = FormatStackField(core::C64.memory.ram);
  texts.disassembly = core::DisassemblyAroundPc();
  texts.model =
      core::C64.model == core::MachineModel::kAccurate ? "accurate machine" : "classic machine";
}

}  // namespace shell
