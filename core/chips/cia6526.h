// The 6526 complex interface adapter as a unit of its own: two ports, two interval timers,
// the time-of-day clock, the serial register's interrupt and the interrupt control. The
// machine has two of them, CIA 1 (keyboard, joysticks, /IRQ) and CIA 2 (serial bus, video bank,
// /NMI).
#pragma once

#include <cstdint>

#include "core/state_stream.h"

namespace core {

// Cycle model. Time passes only through Advance(n), n cycles of the 985,248 Hz system
// clock; Read and Write fall between two cycles. In each cycle timer A counts first, then
// timer B, which may count the underflow A had in that same cycle.
//  - Start and stop: the control register's start bit reaches the counter through a
//    two-stage pipeline. After a write that sets it the counter holds for two cycles and
//    counts from the third on; after a write that clears it the counter still counts twice.
//  - Counting: a count of a counter at 0 is the underflow; it reloads the counter from the
//    latch in that cycle, so the counter goes L, L-1, ... 1, 0, L, ... and a running timer
//    underflows every L+1 cycles. The interrupt flag is set in the underflow's cycle; in
//    one-shot mode that cycle also clears the start bit and the counter stays at L.
//  - Force load (control bit 4) and a latch high-byte write while the start bit is clear
//    put the latch into the counter at once; a counter already running goes on counting.
//  - Inputs from CNT: the line is idle high (nothing drives it in this machine), so timer A
//    in CNT mode and timer B in mode %01 count nothing, while timer B in mode %11 ("timer A
//    underflows while CNT is high") counts A's underflows as mode %10 does.
//  - Not modelled: the timer outputs on PB6/PB7 (control bits 1-2); the serial register
//    does not shift bits out, it only raises its interrupt after the byte's time.
struct Cia6526 {
  // Register numbers (the owner folds the mirrors to 0..15).
  enum Register : std::uint8_t {
    kPra = 0x0,
    kPrb = 0x1,
    kDdra = 0x2,
    kDdrb = 0x3,
    kTaLow = 0x4,
    kTaHigh = 0x5,
    kTbLow = 0x6,
    kTbHigh = 0x7,
    kTodTenths = 0x8,
    kTodSeconds = 0x9,
    kTodMinutes = 0xA,
    kTodHours = 0xB,
    kSdr = 0xC,
    kIcr = 0xD,
    kCra = 0xE,
    kCrb = 0xF,
  };

  // Interrupt control flags, as the ICR reads them.
  static constexpr std::uint8_t kIcrTimerA = 0x01;
  static constexpr std::uint8_t kIcrTimerB = 0x02;
  static constexpr std::uint8_t kIcrAlarm = 0x04;
  static constexpr std::uint8_t kIcrSerial = 0x08;
  static constexpr std::uint8_t kIcrFlag = 0x10;

  // The system clock and the mains frequency the time of day counts from.
  static constexpr std::uint32_t kClockHz = 985248;
  static constexpr std::uint32_t kMainsHz = 50;

  // Power-on state (the /RES line): ports inputs with their registers 0, control registers
  // and interrupt mask 0, latches $FFFF, counters 0, no flags; the time of day at
  // 01:00:00.0 AM and running, the alarm at 00:00:00.0. Input pins read high.
  void Reset();
  // Sets the clock (hours BCD 1..12 with bit 7 = PM, minutes and seconds BCD, tenths 0..9)
  // and lets it run, as a write of hours then tenths would.
  void SetTimeOfDay(std::uint8_t hours, std::uint8_t minutes, std::uint8_t seconds,
                    std::uint8_t tenths);

  // A processor access to register `reg` (0..15) with all its side effects: reading the
  // ICR clears it, reading the hours latches the time of day, and so on.
  std::uint8_t Read(std::uint8_t reg);
  void Write(std::uint8_t reg, std::uint8_t value);

  // The lines the chip drives: the latch where the direction register says output, high
  // (pulled up) where it says input. The keyboard scan and the video bank read these.
  std::uint8_t PortAOutput() const { return static_cast<std::uint8_t>(pra_ | ~ddra_); }
  std::uint8_t PortBOutput() const { return static_cast<std::uint8_t>(prb_ | ~ddrb_); }

  // A falling edge on the /FLAG input (cassette read, serial SRQ): ICR bit 4.
  void SignalFlag();

  // Lets `cycles` cycles pass. Any split of a run into calls gives the same state.
  void Advance(std::uint32_t cycles);
  // How many cycles can pass with nothing but plain counter decrements: Advance of this
  // many changes no flag, no time-of-day register and no reload, and the cycle after it
  // holds a timer underflow or a 50 Hz tick. Never more than one tick's distance (19,705).
  std::uint32_t CyclesUntilEvent() const;

  // Snapshot of the whole chip in a section with the given tag ("CIA1", "CIA2"). Load
  // leaves the chip as it was and marks the reader failed when the section is short or
  // holds a value the chip cannot have.
  void Save(StateWriter& out, const char (&tag)[5]) const;
  void Load(StateReader& in, const char (&tag)[5]);

  // Input levels on the port pins, set by the owner before a read (keyboard matrix,
  // joysticks, serial bus). Bits the chip drives as outputs read from the latch instead.
  std::uint8_t portAPins = 0xFF;
  std::uint8_t portBPins = 0xFF;
  // The interrupt output (/IRQ for CIA 1, /NMI for CIA 2), true while active: an enabled
  // flag is set and the ICR has not been read since.
  bool interrupt = false;

 private:
  struct Timer {
    std::uint16_t counter = 0;
    std::uint16_t latch = 0xFFFF;
    std::uint8_t control = 0;  // CRA / CRB as written, the force-load strobe taken out
    // Bit 0: the counter may count in the coming cycle; bit 1: in the cycle after.
    std::uint8_t pipe = 0;
  };
  struct Clock {
    std::uint8_t tenths = 0;
    std::uint8_t seconds = 0;
    std::uint8_t minutes = 0;
    std::uint8_t hours = 0;
  };

  void StepCycle();
  bool CountTimer(Timer& timer);
  void AdvanceTimeOfDay(std::uint32_t cycles);
  void StepTenths();
  void SetFlags(std::uint8_t flags);
  void WriteControl(Timer& timer, std::uint8_t value);
  std::uint32_t TodPeriod() const { return (timerA_.control & 0x80) ? 5u : 6u; }

  std::uint8_t pra_ = 0, prb_ = 0, ddra_ = 0, ddrb_ = 0;
  Timer timerA_, timerB_;
  std::uint8_t icrFlags_ = 0, icrMask_ = 0;

  Clock clock_{0x00, 0x00, 0x00, 0x01};
  Clock alarm_{};
  Clock readLatch_{};
  bool readLatched_ = false;      // hours read: the four registers read from readLatch_
  bool clockStopped_ = false;     // hours written: the clock holds until tenths are written
  std::uint32_t mainsPhase_ = 0;  // cycles*50 accumulated, below kClockHz
  std::uint8_t mainsTicks_ = 0;   // 50 Hz ticks towards the next tenth, below TodPeriod()

  std::uint8_t sdr_ = 0;
  std::uint8_t shiftLeft_ = 0;  // timer A underflows until the byte is out; 0: idle
  bool shiftQueued_ = false;    // a byte written while one was going out
};

}  // namespace core
