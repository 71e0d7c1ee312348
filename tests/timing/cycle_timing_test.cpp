// Every opcode's cycles as a program on the machine measures them with a CIA timer
// (programs/cycle_timing.s), held to the 6510's published counts: the base count of each
// documented and undocumented opcode, one more for an indexed read across a page (none for
// stores and read-modify-write), one more for a taken branch and another when its target
// is on the next page, seven for BRK's and an interrupt's entry.
#include <gtest/gtest.h>

#include <cstdint>
#include <iomanip>
#include <iterator>
#include <sstream>
#include <string>

#include "apps/headless_runner.h"
#include "core/machine.h"
#include "tests/support/test_machine.h"

namespace {

// One case of the program, in the program's order: the opcode, its form and the count.
struct Case {
  std::uint8_t opcode;
  const char* form;
  int cycles;
};

constexpr const char* kImp = "implied";
constexpr const char* kAcc = "accumulator";
constexpr const char* kImm = "#immediate";
constexpr const char* kZp = "zp";
constexpr const char* kZpX = "zp,X";
constexpr const char* kZpY = "zp,Y";
constexpr const char* kAbs = "abs";
constexpr const char* kAbsX = "abs,X";
constexpr const char* kAbsXCross = "abs,X across a page";
constexpr const char* kAbsY = "abs,Y";
constexpr const char* kAbsYCross = "abs,Y across a page";
constexpr const char* kIzX = "(zp,X)";
constexpr const char* kIzY = "(zp),Y";
constexpr const char* kIzYCross = "(zp),Y across a page";
constexpr const char* kNotTaken = "branch not taken";
constexpr const char* kTaken = "branch taken";
constexpr const char* kTakenCross = "branch taken to the next page";

// The 6510's published cycle table.
// clang-format off
constexpr Case kCases[] = {
    {0x00, "BRK entry", 7},
    {0x01, kIzX, 6}, {0x03, kIzX, 8}, {0x04, kZp, 3}, {0x05, kZp, 3}, {0x06, kZp, 5},
    {0x07, kZp, 5}, {0x08, kImp, 3}, {0x09, kImm, 2}, {0x0A, kAcc, 2}, {0x0B, kImm, 2},
    {0x0C, kAbs, 4}, {0x0D, kAbs, 4}, {0x0E, kAbs, 6}, {0x0F, kAbs, 6},
    {0x10, kNotTaken, 2}, {0x10, kTaken, 3}, {0x10, kTakenCross, 4},
    {0x11, kIzY, 5}, {0x11, kIzYCross, 6}, {0x13, kIzY, 8}, {0x13, kIzYCross, 8},
    {0x14, kZpX, 4}, {0x15, kZpX, 4}, {0x16, kZpX, 6}, {0x17, kZpX, 6}, {0x18, kImp, 2},
    {0x19, kAbsY, 4}, {0x19, kAbsYCross, 5}, {0x1A, kImp, 2},
    {0x1B, kAbsY, 7}, {0x1B, kAbsYCross, 7}, {0x1C, kAbsX, 4}, {0x1C, kAbsXCross, 5},
    {0x1D, kAbsX, 4}, {0x1D, kAbsXCross, 5}, {0x1E, kAbsX, 7}, {0x1E, kAbsXCross, 7},
    {0x1F, kAbsX, 7}, {0x1F, kAbsXCross, 7},

    {0x20, "JSR abs", 6},
    {0x21, kIzX, 6}, {0x23, kIzX, 8}, {0x24, kZp, 3}, {0x25, kZp, 3}, {0x26, kZp, 5},
    {0x27, kZp, 5}, {0x28, kImp, 4}, {0x29, kImm, 2}, {0x2A, kAcc, 2}, {0x2B, kImm, 2},
    {0x2C, kAbs, 4}, {0x2D, kAbs, 4}, {0x2E, kAbs, 6}, {0x2F, kAbs, 6},
    {0x30, kNotTaken, 2}, {0x30, kTaken, 3}, {0x30, kTakenCross, 4},
    {0x31, kIzY, 5}, {0x31, kIzYCross, 6}, {0x33, kIzY, 8}, {0x33, kIzYCross, 8},
    {0x34, kZpX, 4}, {0x35, kZpX, 4}, {0x36, kZpX, 6}, {0x37, kZpX, 6}, {0x38, kImp, 2},
    {0x39, kAbsY, 4}, {0x39, kAbsYCross, 5}, {0x3A, kImp, 2},
    {0x3B, kAbsY, 7}, {0x3B, kAbsYCross, 7}, {0x3C, kAbsX, 4}, {0x3C, kAbsXCross, 5},
    {0x3D, kAbsX, 4}, {0x3D, kAbsXCross, 5}, {0x3E, kAbsX, 7}, {0x3E, kAbsXCross, 7},
    {0x3F, kAbsX, 7}, {0x3F, kAbsXCross, 7},

    {0x40, "RTI", 6},
    {0x41, kIzX, 6}, {0x43, kIzX, 8}, {0x44, kZp, 3}, {0x45, kZp, 3}, {0x46, kZp, 5},
    {0x47, kZp, 5}, {0x48, kImp, 3}, {0x49, kImm, 2}, {0x4A, kAcc, 2}, {0x4B, kImm, 2},
    {0x4C, "JMP abs", 3}, {0x4D, kAbs, 4}, {0x4E, kAbs, 6}, {0x4F, kAbs, 6},
    {0x50, kNotTaken, 2}, {0x50, kTaken, 3}, {0x50, kTakenCross, 4},
    {0x51, kIzY, 5}, {0x51, kIzYCross, 6}, {0x53, kIzY, 8}, {0x53, kIzYCross, 8},
    {0x54, kZpX, 4}, {0x55, kZpX, 4}, {0x56, kZpX, 6}, {0x57, kZpX, 6}, {0x58, kImp, 2},
    {0x59, kAbsY, 4}, {0x59, kAbsYCross, 5}, {0x5A, kImp, 2},
    {0x5B, kAbsY, 7}, {0x5B, kAbsYCross, 7}, {0x5C, kAbsX, 4}, {0x5C, kAbsXCross, 5},
    {0x5D, kAbsX, 4}, {0x5D, kAbsXCross, 5}, {0x5E, kAbsX, 7}, {0x5E, kAbsXCross, 7},
    {0x5F, kAbsX, 7}, {0x5F, kAbsXCross, 7},

    {0x60, "RTS", 6},
    {0x61, kIzX, 6}, {0x63, kIzX, 8}, {0x64, kZp, 3}, {0x65, kZp, 3}, {0x66, kZp, 5},
    {0x67, kZp, 5}, {0x68, kImp, 4}, {0x69, kImm, 2}, {0x6A, kAcc, 2}, {0x6B, kImm, 2},
    {0x6C, "JMP (abs)", 5}, {0x6C, "JMP (abs) with the pointer at $xxFF", 5},
    {0x6D, kAbs, 4}, {0x6E, kAbs, 6}, {0x6F, kAbs, 6},
    {0x70, kNotTaken, 2}, {0x70, kTaken, 3}, {0x70, kTakenCross, 4},
    {0x71, kIzY, 5}, {0x71, kIzYCross, 6}, {0x73, kIzY, 8}, {0x73, kIzYCross, 8},
    {0x74, kZpX, 4}, {0x75, kZpX, 4}, {0x76, kZpX, 6}, {0x77, kZpX, 6}, {0x78, kImp, 2},
    {0x79, kAbsY, 4}, {0x79, kAbsYCross, 5}, {0x7A, kImp, 2},
    {0x7B, kAbsY, 7}, {0x7B, kAbsYCross, 7}, {0x7C, kAbsX, 4}, {0x7C, kAbsXCross, 5},
    {0x7D, kAbsX, 4}, {0x7D, kAbsXCross, 5}, {0x7E, kAbsX, 7}, {0x7E, kAbsXCross, 7},
    {0x7F, kAbsX, 7}, {0x7F, kAbsXCross, 7},

    {0x80, kImm, 2}, {0x81, kIzX, 6}, {0x82, kImm, 2}, {0x83, kIzX, 6}, {0x84, kZp, 3},
    {0x85, kZp, 3}, {0x86, kZp, 3}, {0x87, kZp, 3}, {0x88, kImp, 2}, {0x89, kImm, 2},
    {0x8A, kImp, 2}, {0x8B, kImm, 2}, {0x8C, kAbs, 4}, {0x8D, kAbs, 4}, {0x8E, kAbs, 4},
    {0x8F, kAbs, 4},
    {0x90, kNotTaken, 2}, {0x90, kTaken, 3}, {0x90, kTakenCross, 4},
    {0x91, kIzY, 6}, {0x91, kIzYCross, 6}, {0x93, kIzY, 6},
    {0x94, kZpX, 4}, {0x95, kZpX, 4}, {0x96, kZpY, 4}, {0x97, kZpY, 4}, {0x98, kImp, 2},
    {0x99, kAbsY, 5}, {0x99, kAbsYCross, 5}, {0x9A, kImp, 2}, {0x9B, kAbsY, 5},
    {0x9C, kAbsX, 5}, {0x9C, kAbsXCross, 5}, {0x9D, kAbsX, 5}, {0x9D, kAbsXCross, 5},
    {0x9E, kAbsY, 5}, {0x9E, kAbsYCross, 5}, {0x9F, kAbsY, 5},

    {0xA0, kImm, 2}, {0xA1, kIzX, 6}, {0xA2, kImm, 2}, {0xA3, kIzX, 6}, {0xA4, kZp, 3},
    {0xA5, kZp, 3}, {0xA6, kZp, 3}, {0xA7, kZp, 3}, {0xA8, kImp, 2}, {0xA9, kImm, 2},
    {0xAA, kImp, 2}, {0xAB, kImm, 2}, {0xAC, kAbs, 4}, {0xAD, kAbs, 4}, {0xAE, kAbs, 4},
    {0xAF, kAbs, 4},
    {0xB0, kNotTaken, 2}, {0xB0, kTaken, 3}, {0xB0, kTakenCross, 4},
    {0xB1, kIzY, 5}, {0xB1, kIzYCross, 6}, {0xB3, kIzY, 5}, {0xB3, kIzYCross, 6},
    {0xB4, kZpX, 4}, {0xB5, kZpX, 4}, {0xB6, kZpY, 4}, {0xB7, kZpY, 4}, {0xB8, kImp, 2},
    {0xB9, kAbsY, 4}, {0xB9, kAbsYCross, 5}, {0xBA, kImp, 2},
    {0xBB, kAbsY, 4}, {0xBB, kAbsYCross, 5}, {0xBC, kAbsX, 4}, {0xBC, kAbsXCross, 5},
    {0xBD, kAbsX, 4}, {0xBD, kAbsXCross, 5}, {0xBE, kAbsY, 4}, {0xBE, kAbsYCross, 5},
    {0xBF, kAbsY, 4}, {0xBF, kAbsYCross, 5},

    {0xC0, kImm, 2}, {0xC1, kIzX, 6}, {0xC2, kImm, 2}, {0xC3, kIzX, 8}, {0xC4, kZp, 3},
    {0xC5, kZp, 3}, {0xC6, kZp, 5}, {0xC7, kZp, 5}, {0xC8, kImp, 2}, {0xC9, kImm, 2},
    {0xCA, kImp, 2}, {0xCB, kImm, 2}, {0xCC, kAbs, 4}, {0xCD, kAbs, 4}, {0xCE, kAbs, 6},
    {0xCF, kAbs, 6},
    {0xD0, kNotTaken, 2}, {0xD0, kTaken, 3}, {0xD0, kTakenCross, 4},
    {0xD1, kIzY, 5}, {0xD1, kIzYCross, 6}, {0xD3, kIzY, 8}, {0xD3, kIzYCross, 8},
    {0xD4, kZpX, 4}, {0xD5, kZpX, 4}, {0xD6, kZpX, 6}, {0xD7, kZpX, 6}, {0xD8, kImp, 2},
    {0xD9, kAbsY, 4}, {0xD9, kAbsYCross, 5}, {0xDA, kImp, 2},
    {0xDB, kAbsY, 7}, {0xDB, kAbsYCross, 7}, {0xDC, kAbsX, 4}, {0xDC, kAbsXCross, 5},
    {0xDD, kAbsX, 4}, {0xDD, kAbsXCross, 5}, {0xDE, kAbsX, 7}, {0xDE, kAbsXCross, 7},
    {0xDF, kAbsX, 7}, {0xDF, kAbsXCross, 7},

    {0xE0, kImm, 2}, {0xE1, kIzX, 6}, {0xE2, kImm, 2}, {0xE3, kIzX, 8}, {0xE4, kZp, 3},
    {0xE5, kZp, 3}, {0xE6, kZp, 5}, {0xE7, kZp, 5}, {0xE8, kImp, 2}, {0xE9, kImm, 2},
    {0xEA, kImp, 2}, {0xEB, kImm, 2}, {0xEC, kAbs, 4}, {0xED, kAbs, 4}, {0xEE, kAbs, 6},
    {0xEF, kAbs, 6},
    {0xF0, kNotTaken, 2}, {0xF0, kTaken, 3}, {0xF0, kTakenCross, 4},
    {0xF1, kIzY, 5}, {0xF1, kIzYCross, 6}, {0xF3, kIzY, 8}, {0xF3, kIzYCross, 8},
    {0xF4, kZpX, 4}, {0xF5, kZpX, 4}, {0xF6, kZpX, 6}, {0xF7, kZpX, 6}, {0xF8, kImp, 2},
    {0xF9, kAbsY, 4}, {0xF9, kAbsYCross, 5}, {0xFA, kImp, 2},
    {0xFB, kAbsY, 7}, {0xFB, kAbsYCross, 7}, {0xFC, kAbsX, 4}, {0xFC, kAbsXCross, 5},
    {0xFD, kAbsX, 4}, {0xFD, kAbsXCross, 5}, {0xFE, kAbsX, 7}, {0xFE, kAbsXCross, 7},
    {0xFF, kAbsX, 7}, {0xFF, kAbsXCross, 7},

    {0x00, "IRQ entry", 7},
};
// clang-format on

// Where the program leaves its results (see the program's header).
constexpr std::uint16_t kResults = 0xC000;
constexpr std::uint16_t kOpcodes = 0xC200;
constexpr std::uint16_t kCaseCount = 0xC3FC;

TEST(CycleTiming, EveryOpcodeTakesThe6510sCyclesAsACiaTimerMeasuresThem) {
  LoadTestRoms();
  RecordMessageBoxes();
  apps::HeadlessOptions options;
  options.program = std::string(TIMING_PROGRAM_DIR) + "/cycle_timing.prg";
  options.frames = 50;  // the program needs about two
  options.model = core::MachineModel::kAccurate;
  std::ostringstream out;
  std::ostringstream err;
  ASSERT_EQ(apps::RunHeadless(options, out, err), 0) << err.str();

  const std::uint8_t* ram = core::C64.memory.ram;
  ASSERT_EQ(int{ram[0x0002]}, 0xA5) << "the program did not finish";
  const std::size_t cases = ram[kCaseCount] | ram[kCaseCount + 1] << 8;
  ASSERT_EQ(cases, std::size(kCases)) << "the program recorded another number of cases";
  for (std::size_t i = 0; i < std::size(kCases); ++i) {
    const Case& c = kCases[i];
    std::ostringstream name;
    name << "case " << i << ": $" << std::hex << std::uppercase << std::setw(2) << std::setfill('0')
         << int{c.opcode} << " " << c.form;
    EXPECT_EQ(int{ram[kOpcodes + i]}, int{c.opcode})
        << name.str() << ": the program's case differs";
    EXPECT_EQ(int{ram[kResults + i]}, c.cycles) << name.str();
  }
}

}  // namespace
