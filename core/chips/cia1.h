// CIA 1 as the processor reaches it: the keyboard and joystick at its ports, the
// interrupt acknowledge at $DC0D, and the step that counts timer A down and keeps the
// time-of-day registers. Inline: the step runs about a million times a second.
#pragma once

#include <cassert>
#include <cstdint>

#include "core/machine.h"
#include "core/processor_port.h"

namespace core {

// The keyboard scan: the rows selected by the byte last written to port A, ANDed
// together.
inline std::uint8_t ScanKeyboard() {
  const std::uint8_t select = C64.memory.ioImage[0xDC00];
  std::uint8_t result =
      (select & 0x80) ? 0xFF : C64.input.keyMatrix[7].load(std::memory_order_relaxed);
  for (int row = 6; row >= 0; --row) {
    if ((select & (1u << row)) == 0) {
      result &= C64.input.keyMatrix[row].load(std::memory_order_relaxed);
    }
  }
  return result;
}

// The port registers ($DC00 with reg 0, $DC01 with reg 1, and their mirrors). A joystick
// in port 1 pulls port B's lines, which the keyboard scan of either register returns; one
// in port 2 pulls port A's lines, so $DC00 reads the byte last written there ANDed with
// them and $DC01 the keyboard alone.
inline std::uint8_t ReadKeyboardPort(unsigned reg) {
  const std::uint8_t joystick = C64.input.joystick.load(std::memory_order_relaxed);
  if (C64.input.joystickPort.load(std::memory_order_relaxed) == 2) {
    return reg == 0 ? static_cast<std::uint8_t>(C64.memory.ioImage[0xDC00] & joystick)
                    : ScanKeyboard();
  }
  return ScanKeyboard() & joystick;
}

// This machine has one acknowledge for every interrupt source: it lowers every line.
inline void AcknowledgeInterrupts() {
  C64.vic.irq = 0;
  C64.classicCia1.irq = 0;
}

// $DC00-$DCFF: the sixteen registers repeat every 16 bytes for the ports and the
// acknowledge; every other read shows the I/O image's byte at the address itself.
inline std::uint8_t Cia1Read(std::uint16_t address) {
  const unsigned reg = address & 0x0F;
  if (reg <= 1) return ReadKeyboardPort(reg);
  if (reg == 0x0D) AcknowledgeInterrupts();
  return C64.memory.ioImage[address];
}
inline void Cia1Write(std::uint16_t address, std::uint8_t value) {
  C64.memory.ioImage[address] = value;
}

// CIA 2 as this machine has it: plain bytes, and the acknowledge at $DD0D (not at its
// mirrors).
inline std::uint8_t Cia2Read(std::uint16_t address) {
  if (address == 0xDD0D) AcknowledgeInterrupts();
  return C64.memory.ioImage[address];
}

// Advances CIA 1 by `cycles` (at least 1). The chip keeps its registers in the I/O image
// whatever the processor port shows: banking the I/O area out hides them from the
// processor, not from the chip. A run of several cycles must not reach a reload before
// its last cycle, which is the only one that may reload.
inline void Cia1Advance(std::int32_t cycles) {
  Cia1Classic& cia = C64.classicCia1;
  assert(cycles >= 1);
  assert(cycles == 1 || !cia.timerARunning || cia.timerACounter >= cycles - 1);
  cia.timerACounter = static_cast<std::uint16_t>(cia.timerACounter - (cycles - 1));

  cia.timerARunning = C64.memory.ioImage[0xDC0E] & 0x01;
  if (cia.timerARunning && cia.timerACounter == 0 && C64.cpu.instructionCount > 1) {
    cia.timerACounter =
        static_cast<std::uint16_t>(C64.memory.ioImage[0xDC05] << 8 | C64.memory.ioImage[0xDC04]);
    // An underflow with I/O visible takes the pending request away.
    if (IoVisible()) AcknowledgeInterrupts();
  } else {
    --cia.timerACounter;
  }

  // Time of day: the tenths advance against the power-on tick count, so the clock
  // shows the power-on time; the registers hold plain numbers, not BCD.
  if (static_cast<std::int32_t>(cia.powerOnTicks) >= cia.todNextTick) {
    cia.todTenths = cia.todTenths >= 11 ? 0 : cia.todTenths + 1;
    cia.todNextTick = static_cast<std::int32_t>(cia.powerOnTicks + 100u);  // wraps, never overflows
  }
  C64.memory.ioImage[0xDC08] = static_cast<std::uint8_t>(cia.todTenths);
  C64.memory.ioImage[0xDC09] = static_cast<std::uint8_t>(cia.powerOnLocalTime.tm_sec);
  C64.memory.ioImage[0xDC0A] = static_cast<std::uint8_t>(cia.powerOnLocalTime.tm_min);
  C64.memory.ioImage[0xDC0B] = static_cast<std::uint8_t>(cia.powerOnLocalTime.tm_hour);
}

}  // namespace core
