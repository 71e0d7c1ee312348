// Breakpoints by address, for the debug window and the headless runner's --break: the
// machine stops before executing the instruction at any of them, in both models. The
// table is the machine record's C64.breakpoints; these calls change it under the pass
// lock, and the run loop consults it at each instruction boundary.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace core {

// "C000", "$C000" or "0xC000" (either case, one to four hexadecimal digits, surrounding
// blanks ignored); nothing for any other text.
std::optional<std::uint16_t> ParseBreakpointAddress(std::string_view text);
// "$C000": four upper-case hexadecimal digits.
std::string FormatBreakpointAddress(std::uint16_t address);

// Returns false when the address was already set (or, for Remove, not set).
bool AddBreakpoint(std::uint16_t address);
bool RemoveBreakpoint(std::uint16_t address);
void RemoveAllBreakpoints();
// The set addresses in ascending order.
std::vector<std::uint16_t> BreakpointAddresses();

// Whether the set breakpoints stop the machine (the debug window's while it is open; the
// runner's always). The set addresses are kept either way.
void EnableBreakpoints(bool enabled);

// Clears the record of the last stop (the headless runner's check for one).
void ForgetBreakpointStop();

// The run loop's part, at an instruction boundary where a breakpoint is set: stops the
// machine (Stop, with a log line naming the address and a refresh of the debug window)
// and returns true, unless the machine is resuming from a stop at this same boundary.
bool StopAtBreakpoint();

}  // namespace core
