// Breakpoints: the address table in the machine record, its edits under the pass lock,
// and the stop the run loop makes at one.
#include "core/breakpoints.h"

#include <cassert>
#include <cstdio>

#include "core/debug_log.h"
#include "core/host_hooks.h"
#include "core/machine.h"
#include "core/run_loop.h"

namespace core {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The pass lock is held.
void UpdateActive() {
  Breakpoints& table = C64.breakpoints;
  table.active = table.enabled != 0 && table.count > 0 ? 1 : 0;
}

}  // namespace

std::optional<std::uint16_t> ParseBreakpointAddress(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  if (text.starts_with('$')) {
    text.remove_prefix(1);
  } else if (text.starts_with("0x") || text.starts_with("0X")) {
    text.remove_prefix(2);
  }
  if (text.empty() || text.size() > 4) return std::nullopt;
  unsigned value = 0;
  for (const char c : text) {
    const int digit = HexDigit(c);
    if (digit < 0) return std::nullopt;
    value = value * 16 + static_cast<unsigned>(digit);
  }
  return static_cast<std::uint16_t>(value);
}

std::string FormatBreakpointAddress(std::uint16_t address) {
  char text[8];
  std::snprintf(text, sizeof text, "$%04X", address);
  return text;
}

bool AddBreakpoint(std::uint16_t address) {
  PassLock lock;
  Breakpoints& table = C64.breakpoints;
  if (table.at[address] != 0) return false;
  table.at[address] = 1;
  ++table.count;
  UpdateActive();
  return true;
}

bool RemoveBreakpoint(std::uint16_t address) {
  PassLock lock;
  Breakpoints& table = C64.breakpoints;
  if (table.at[address] == 0) return false;
  assert(table.count > 0);
  table.at[address] = 0;
  --table.count;
  UpdateActive();
  return true;
}

void RemoveAllBreakpoints() {
  PassLock lock;
  Breakpoints& table = C64.breakpoints;
  for (std::uint8_t& set : table.at) set = 0;
  table.count = 0;
  UpdateActive();
}

std::vector<std::uint16_t> BreakpointAddresses() {
  PassLock lock;
  std::vector<std::uint16_t> addresses;
  addresses.reserve(C64.breakpoints.count);
  for (std::uint32_t address = 0; address < kMemorySize; ++address) {
    if (C64.breakpoints.at[address] != 0) addresses.push_back(static_cast<std::uint16_t>(address));
  }
  assert(addresses.size() == C64.breakpoints.count);
  return addresses;
}

void EnableBreakpoints(bool enabled) {
  PassLock lock;
  C64.breakpoints.enabled = enabled ? 1 : 0;
  UpdateActive();
}

void ForgetBreakpointStop() {
  PassLock lock;
  C64.breakpoints.stopped = 0;
  C64.breakpoints.stopCount = -1;
}

bool StopAtBreakpoint() {
  Breakpoints& table = C64.breakpoints;
  assert(table.at[C64.cpu.PC] != 0);
  // Resumed where it stopped: the instruction there runs (its count goes up as it does).
  if (table.stopCount == C64.cpu.instructionCount) return false;
  table.stopped = 1;
  table.stopAddress = C64.cpu.PC;
  table.stopCount = C64.cpu.instructionCount;
  C64.run.stepBudget.store(0, std::memory_order_relaxed);
  C64.run.emulationRunning.store(0, std::memory_order_relaxed);
  C64.run.runFlag.store(0, std::memory_order_relaxed);
  AppendDebugLog(std::to_string(C64.cpu.instructionCount) + "> Breakpoint at " +
                 FormatBreakpointAddress(C64.cpu.PC));
  RefreshDebugWindow();
  return true;
}

}  // namespace core
