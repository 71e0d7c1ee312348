// Runs the public 6502 functional test image on the processor core: every documented
// opcode and addressing mode, the flags, the stack, BRK/RTI and decimal ADC/SBC. The
// image traps failures in a jump or branch to itself; success is the trap at $3469.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/machine.h"
#include "core/memory_map.h"
#include "core/opcode_table.h"
#include "tests/support/test_machine.h"

using namespace core;

namespace {

constexpr std::uint16_t kStart = 0x0400;
constexpr std::uint16_t kSuccessTrap = 0x3469;
// The test needs about 30 million instructions; far more means a runaway loop.
constexpr std::int64_t kInstructionLimit = 200'000'000;

std::vector<std::uint8_t> ReadImage() {
  std::ifstream file(C64EMU_SHARED_DIR "/testdata/6502-functional/6502_functional_test.bin",
                     std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The classic machine's processor and the accurate one's (the 6510's read-modify-write and
// cycle counts) both run it.
class Functional6502 : public ::testing::TestWithParam<MachineModel> {};

TEST_P(Functional6502, RunsToTheSuccessTrap) {
  const bool accurate = GetParam() == MachineModel::kAccurate;
  const std::vector<std::uint8_t> image = ReadImage();
  ASSERT_EQ(image.size(), kMemorySize) << "functional test image missing";

  ZeroWholeMachine();
  for (int i = 0; i < 8; ++i) C64.cpu.flagMasks[i] = static_cast<std::uint8_t>(1 << i);
  std::copy(image.begin(), image.end(), C64.memory.ram);
  // The image leaves $0000/$0001 at zero: with the port value 0 every address is RAM and
  // the test's own writes never reach $0000/$0001 (its zero-page data starts at $000A).
  ASSERT_EQ(C64.memory.ram[0x0000], 0);
  ASSERT_EQ(C64.memory.ram[0x0001], 0);
  C64.cpu.PC = kStart;

  std::int64_t executed = 0;
  std::uint16_t before = 0;
  do {
    before = C64.cpu.PC;
    // As the run loop does before each fetch: B is set in P while no request is pending.
    if (C64.vic.irq == 0) SetFlag(kFlagB);
    ++C64.cpu.instructionCount;
    if (accurate) {
      ExecuteInstructionAccurate(ReadByte(C64.cpu.PC));
    } else {
      ExecuteInstruction(ReadByte(C64.cpu.PC));
    }
  } while (C64.cpu.PC != before && ++executed < kInstructionLimit);

  RecordProperty("instructions", std::to_string(executed));
  if (C64.cpu.PC != kSuccessTrap) {
    std::printf("trapped at $%04X after %lld instructions (A=$%02X X=$%02X Y=$%02X P=$%02X)\n",
                C64.cpu.PC, static_cast<long long>(executed), C64.cpu.A, C64.cpu.X, C64.cpu.Y,
                C64.cpu.P);
  }
  EXPECT_EQ(C64.cpu.PC, kSuccessTrap);
  EXPECT_EQ(C64.memory.ram[0x0001], 0) << "the port value changed during the run";
}

INSTANTIATE_TEST_SUITE_P(BothModels, Functional6502,
                         ::testing::Values(MachineModel::kClassic, MachineModel::kAccurate),
                         [](const auto& info) {
                           return info.param == MachineModel::kAccurate ? "Accurate" : "Classic";
                         });

}  // namespace
