// The directory listing program, loaded as a program into the booted machine: LIST follows
// its links and shows the 1541's layout.
#include "media/d64_directory_listing.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "core/machine.h"
#include "tests/support/test_machine.h"

using namespace core;
using namespace media;

namespace {

template <std::size_t N>
std::array<std::uint8_t, N> Padded(std::string_view text) {
  std::array<std::uint8_t, N> bytes;
  bytes.fill(0xA0);
  std::copy(text.begin(), text.end(), bytes.begin());
  return bytes;
}

D64DirectoryEntry Entry(std::string_view name, std::uint8_t typeByte, std::uint16_t blocks) {
  D64DirectoryEntry entry;
  entry.name = Padded<16>(name);
  entry.typeByte = typeByte;
  entry.blocks = blocks;
  return entry;
}

D64Directory TestDirectory() {
  D64Directory directory;
  directory.header = {Padded<16>("LISTING TEST"), {'A', 'B'}, {'2', 'A'}, 537};
  directory.entries = {
      Entry("ONE", 0x82, 1),          Entry("TWELVE", 0x81, 12),
      Entry("HUNDREDS", 0xC2, 123),   Entry("SIXTEEN CHARS 16", 0x02, 1234),
      Entry("GAME\xA0,8,1", 0x82, 7), Entry("ODD", 0x85, 0),
  };
  return directory;
}

TEST(DirectoryListing, ListShowsTheDrivesLayout) {
  const std::vector<std::uint8_t> program = DirectoryListingProgram(TestDirectory());
  BootToBasic();
  std::copy(program.begin() + 2, program.end(), &C64.memory.ram[0x0801]);
  const std::size_t end = 0x0801 + program.size() - 2;
  C64.memory.ram[0x2D] = static_cast<std::uint8_t>(end & 0xFF);
  C64.memory.ram[0x2E] = static_cast<std::uint8_t>(end >> 8);
  const std::string_view list = "LIST\r";
  std::copy(list.begin(), list.end(), &C64.memory.ram[0x0277]);  // the KERNAL's keyboard buffer
  C64.memory.ram[0xC6] = static_cast<std::uint8_t>(list.size());
  RunFrames(50);

  const std::vector<std::string> expected = {
      "0 \"LISTING TEST    \" AB 2A",   "1    \"ONE\"              PRG",
      "12   \"TWELVE\"           SEQ",  "123  \"HUNDREDS\"         PRG<",
      "1234  \"SIXTEEN CHARS 16\"*PRG", "7    \"GAME\",8,1         PRG",
      "0    \"ODD\"              ???",  "537 BLOCKS FREE.",
  };
  const std::vector<std::string> screen = ScreenLines();
  const auto header = std::find_if(screen.begin(), screen.end(),
                                   [](const std::string& row) { return row.starts_with("0 \""); });
  ASSERT_LE(header + expected.size(), screen.end()) << ScreenText();
  for (std::size_t i = 0; i < expected.size(); ++i) {
    std::string row = header[static_cast<std::ptrdiff_t>(i)];
    row.erase(row.find_last_not_of(' ') + 1);
    EXPECT_EQ(row, expected[i]) << ScreenText();
  }
}

}  // namespace
