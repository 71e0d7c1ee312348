// The accurate machine's two 6526s as the processor reaches them: CIA 1's ports carry the
// keyboard matrix and the joysticks, CIA 2's port A the video bank (which the renderers
// read from the I/O image at $DD00) and the serial bus, idle here. Every write also lands
// in the I/O image, so a dump shows what the program wrote.
#pragma once

#include <algorithm>
#include <cstdint>

#include "core/machine.h"

namespace core {

// Hands the owed cycles to both chips and notes how long they can stay quiet; CIA 2's
// interrupt output becoming active is an edge at the NMI input.
inline void SyncCias() {
  CiaClock& clock = C64.ciaClock;
  if (clock.owed != 0) {
    C64.cia1.Advance(clock.owed);
    C64.cia2.Advance(clock.owed);
    clock.owed = 0;
  }
  clock.quiet = std::min(C64.cia1.CyclesUntilEvent(), C64.cia2.CyclesUntilEvent());
  const std::uint8_t level = C64.cia2.interrupt ? 1 : 0;
  if (level && !C64.nmi.level) C64.nmi.pending = 1;
  C64.nmi.level = level;
}

// `cycles` more cycles have passed; the chips catch up once the cycles reach an event.
inline void OweCiaCycles(std::uint32_t cycles) {
  CiaClock& clock = C64.ciaClock;
  clock.owed += cycles;
  if (clock.owed > clock.quiet) SyncCias();
}

// The rows selected by the low lines in `select` (port A's lines), ANDed together.
inline std::uint8_t KeyboardRows(std::uint8_t select) {
  std::uint8_t result = 0xFF;
  for (int row = 0; row < 8; ++row) {
    if ((select & (1u << row)) == 0) {
      result &= C64.input.keyMatrix[row].load(std::memory_order_relaxed);
    }
  }
  return result;
}

// A port's lines read low where the program drives them low or something outside pulls
// them: the joystick in port 2 pulls port A, the one in port 1 and the keys of the
// selected rows pull port B.
inline std::uint8_t Cia1ReadAccurate(std::uint16_t address) {
  SyncCias();
  const std::uint8_t reg = address & 0x0F;
  Cia6526& cia = C64.cia1;
  if (reg > Cia6526::kPrb) {
    const std::uint8_t value = cia.Read(reg);
    SyncCias();
    return value;
  }
  const std::uint8_t joystick = C64.input.joystick.load(std::memory_order_relaxed);
  const bool port2 = C64.input.joystickPort.load(std::memory_order_relaxed) == 2;
  cia.portAPins = port2 ? joystick : 0xFF;
  cia.portBPins = static_cast<std::uint8_t>(KeyboardRows(cia.PortAOutput() & cia.portAPins) &
                                            (port2 ? 0xFF : joystick));
  return static_cast<std::uint8_t>(cia.Read(reg) &
                                   (reg == Cia6526::kPra ? cia.portAPins : cia.portBPins));
}

inline void Cia1WriteAccurate(std::uint16_t address, std::uint8_t value) {
  SyncCias();
  C64.cia1.Write(address & 0x0F, value);
  C64.memory.ioImage[address] = value;
  SyncCias();
}

inline std::uint8_t Cia2ReadAccurate(std::uint16_t address) {
  SyncCias();
  const std::uint8_t value = C64.cia2.Read(address & 0x0F);
  SyncCias();
  return value;
}

inline void Cia2WriteAccurate(std::uint16_t address, std::uint8_t value) {
  const std::uint8_t reg = address & 0x0F;
  SyncCias();
  C64.cia2.Write(reg, value);
  SyncCias();
  C64.memory.ioImage[address] = value;
  if (reg == Cia6526::kPra || reg == Cia6526::kDdra) {
    C64.memory.ioImage[0xDD00] = C64.cia2.PortAOutput();
  }
}

}  // namespace core
