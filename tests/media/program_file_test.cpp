// Program files split into load address and data; too short and too long ones refused.
#include "media/program_file.h"

#include <gtest/gtest.h>

#include <vector>

using namespace media;

namespace {

TEST(ProgramFile, SplitsTheAddressAndKeepsDataBelow10000) {
  const struct {
    std::size_t fileBytes;  // the address bytes included
    std::uint16_t address;
    std::optional<std::uint16_t> loadAt;
    bool accepted;
  } kCases[] = {
      {0, 0, {}, false},          {1, 0x01, {}, false},        {2, 0x0801, {}, true},
      {5, 0x0801, {}, true},      {0x4002, 0xC000, {}, true},  {0x4003, 0xC000, {}, false},
      {3, 0xFFFF, {}, true},      {4, 0xFFFF, {}, false},      {0x4003, 0xC000, 0x0801, true},
      {0xF801, 0x0801, {}, true}, {0xF802, 0x0801, {}, false}, {19, 0x0801, 0xFFF0, false},
  };
  for (const auto& c : kCases) {
    std::vector<std::uint8_t> file(c.fileBytes, 0x55);
    if (file.size() > 0) file[0] = static_cast<std::uint8_t>(c.address & 0xFF);
    if (file.size() > 1) file[1] = static_cast<std::uint8_t>(c.address >> 8);
    const ProgramFile program = ParseProgramFile(file, c.loadAt);
    ASSERT_EQ(program.ok(), c.accepted) << c.fileBytes << " bytes: " << program.error;
    if (!c.accepted) {
      EXPECT_TRUE(program.data.empty());
      continue;
    }
    EXPECT_EQ(program.fileAddress, c.address);
    EXPECT_EQ(program.loadAddress, c.loadAt.value_or(c.address));
    EXPECT_EQ(program.data.data(), file.data() + 2);
    EXPECT_EQ(program.endAddress(), program.loadAddress + c.fileBytes - 2);
  }
}

}  // namespace
