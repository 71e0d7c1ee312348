// Program files split into load address and data; too short and too long ones refused.
#include "media/program_file.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

TEST(ProgramFile, SplitsTheAddressAndKeepsDataBelow10000) {
  const struct {
    std::uint16_t address;
    std::size_t dataBytes;
    std::optional<std::uint16_t> loadAt;
    bool accepted;
  } kCases[] = {
      {0x0801, 0, {}, true},          {0x0801, 3, {}, true},      {0xC000, 0x4000, {}, true},
      {0xC000, 0x4001, {}, false},    {0xFFFF, 1, {}, true},      {0xFFFF, 2, {}, false},
      {0xC000, 0x4001, 0x0801, true}, {0x0801, 0xF7FF, {}, true}, {0x0801, 0xF800, {}, false},
      {0x0801, 17, 0xFFF0, false},
  };
  for (const auto& c : kCases) {
    std::vector<std::uint8_t> file{static_cast<std::uint8_t>(c.address & 0xFF),
                                   static_cast<std::uint8_t>(c.address >> 8)};
    for (std::size_t i = 0; i < c.dataBytes; ++i) file.push_back(static_cast<std::uint8_t>(i));
    const ProgramFile program = ParseProgramFile(file, c.loadAt);
    ASSERT_EQ(program.ok(), c.accepted) << c.address << "+" << c.dataBytes << program.error;
    EXPECT_EQ(program.fileAddress, c.address);
    if (!c.accepted) {
      EXPECT_TRUE(program.data.empty());
      continue;
    }
    EXPECT_EQ(program.loadAddress, c.loadAt.value_or(c.address));
    EXPECT_EQ(program.data.data(), file.data() + 2);
    EXPECT_EQ(program.data.size(), c.dataBytes);
    EXPECT_LE(program.endAddress(), 0x10000u);
  }
  for (const std::vector<std::uint8_t>& tooShort : {std::vector<std::uint8_t>{}, {0x01}}) {
    const ProgramFile program = ParseProgramFile(tooShort);
    EXPECT_FALSE(program.ok());
    EXPECT_TRUE(program.data.empty());
  }
}

}  // namespace
