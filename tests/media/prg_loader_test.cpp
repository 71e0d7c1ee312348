// Program files copied into RAM at $0801, their failures, and the typed RUN.
#include "media/prg_loader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "core/debug_log.h"
#include "core/machine.h"
#include "input/key_matrix.h"
#include "platform/host_services.h"
#include "tests/support/test_machine.h"

using namespace platform;
using namespace core;
using namespace input;
using namespace media;

namespace {

class PrgLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ZeroWholeMachine();
    RecordMessageBoxes();
    dir_ = FreshTempDirectory("prg");
  }
  void TearDown() override {
    SetMessageBoxHandler(nullptr);
    std::filesystem::remove_all(dir_);
  }

  std::string WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    return WriteTestFile(dir_, name, bytes);
  }

  // A file at $0801 with `dataBytes` data bytes counting up from 1.
  std::string WriteProgram(const std::string& name, std::size_t dataBytes) {
    std::vector<std::uint8_t> bytes{0x01, 0x08};
    for (std::size_t i = 0; i < dataBytes; ++i) bytes.push_back(static_cast<std::uint8_t>(i + 1));
    return WriteFile(name, bytes);
  }

  // Fills RAM with a pattern and remembers it, to prove a failed load left it alone.
  void FillRam() {
    for (std::uint32_t a = 0; a < kMemorySize; ++a)
      C64.memory.ram[a] = static_cast<std::uint8_t>(a * 7);
    std::memcpy(before_, C64.memory.ram, sizeof before_);
  }
  bool RamUnchanged() const { return std::memcmp(before_, C64.memory.ram, sizeof before_) == 0; }

  std::filesystem::path dir_;
  std::uint8_t before_[kMemorySize];
};

TEST_F(PrgLoaderTest, CopiesTheProgramToBasicStartAndSetsTheLoadEnd) {
  C64.memory.ram[0x2D] = 0x11;
  C64.memory.ram[0x2E] = 0x22;
  C64.memory.ram[0x0800] = 0x5A;
  const std::string path = WriteFile("hello.prg", {0x01, 0x08, 0x0B, 0x08, 0x0A, 0x00, 0x9E});
  ASSERT_TRUE(LoadPrg(path));
  EXPECT_TRUE(RecordedMessageBoxes().empty());
  EXPECT_EQ(C64.memory.ram[0x0800], 0x5A);
  EXPECT_EQ(C64.memory.ram[0x0801], 0x0B);
  EXPECT_EQ(C64.memory.ram[0x0805], 0x9E);
  EXPECT_EQ(C64.memory.ram[0x0806], 0x00);
  EXPECT_EQ(C64.memory.ram[0xAE], 0x06);  // end of load: $0806
  EXPECT_EQ(C64.memory.ram[0xAF], 0x08);
  // BASIC's own pointers stay until the caller asks for them.
  EXPECT_EQ(C64.memory.ram[0x2D], 0x11);
  EXPECT_EQ(C64.memory.ram[0x2E], 0x22);
  SetBasicVariablesToLoadEnd();
  EXPECT_EQ(C64.memory.ram[0x2D], 0x06);
  EXPECT_EQ(C64.memory.ram[0x2E], 0x08);
}

TEST_F(PrgLoaderTest, SecondLoadCopiesOverTheFirstOnly) {
  ASSERT_TRUE(LoadPrg(WriteProgram("long.prg", 300)));
  ASSERT_TRUE(LoadPrg(WriteFile("short.prg", {0x01, 0x08, 0xEE})));
  EXPECT_EQ(C64.memory.ram[0x0801], 0xEE);
  EXPECT_EQ(C64.memory.ram[0x0802], 2);  // left from the first program
  EXPECT_EQ(C64.memory.ram[0xAE], 0x02);
  EXPECT_EQ(C64.memory.ram[0xAF], 0x08);
}

TEST_F(PrgLoaderTest, HeaderOnlyFileLoadsNothingAndSucceeds) {
  FillRam();
  ASSERT_TRUE(LoadPrg(WriteFile("empty.prg", {0x01, 0x08})));
  EXPECT_TRUE(RecordedMessageBoxes().empty());
  EXPECT_EQ(C64.memory.ram[0xAE], 0x01);
  EXPECT_EQ(C64.memory.ram[0xAF], 0x08);
  C64.memory.ram[0xAE] = before_[0xAE];
  C64.memory.ram[0xAF] = before_[0xAF];
  EXPECT_TRUE(RamUnchanged());
}

TEST_F(PrgLoaderTest, FilesTooShortForALoadAddressAreRejected) {
  FillRam();
  const std::string oneByte = WriteFile("one.prg", {0x01});
  const std::string empty = WriteFile("nothing.prg", {});
  for (const std::string& path : {oneByte, empty}) {
    SCOPED_TRACE(path);
    RecordedMessageBoxes().clear();
    EXPECT_FALSE(LoadPrg(path));
    ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(RecordedMessageBoxes()[0].text, "No readable PRG file: " + path);
    EXPECT_EQ(RecordedMessageBoxes()[0].title, "Error");
    EXPECT_TRUE(RamUnchanged());
  }
}

// Every load address: the data goes there, the end pointers follow, and only a program
// at BASIC's start is one to RUN; any other is logged where it went.
TEST_F(PrgLoaderTest, ProgramsLoadAtTheirOwnAddress) {
  const struct {
    std::uint16_t address;
    std::size_t dataBytes;
    std::uint16_t loadEnd;  // $AE/$AF
    bool run;
    const char* log;  // nullptr: no log line
  } kPrograms[] = {
      {0x0801, 3, 0x0804, true, nullptr},
      {0xC000, 1024, 0xC400, false, "> Loaded $C000-$C3FF\r\n"},
      {0x0400, 40, 0x0428, false, "> Loaded $0400-$0427\r\n"},
      {0xFFFF, 1, 0x0000, false, "> Loaded $FFFF-$FFFF\r\n"},
      {0x9000, 0, 0x9000, false, "> Loaded nothing at $9000\r\n"},
  };
  for (const auto& row : kPrograms) {
    SCOPED_TRACE(row.address);
    FillRam();
    ClearDebugLog();
    std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(row.address & 0xFF),
                                    static_cast<std::uint8_t>(row.address >> 8)};
    for (std::size_t i = 0; i < row.dataBytes; ++i) bytes.push_back(static_cast<std::uint8_t>(~i));
    const std::optional<ProgramRange> range = LoadPrg(WriteFile("any.prg", bytes));
    ASSERT_TRUE(range);
    EXPECT_EQ(range->start, row.address);
    EXPECT_EQ(range->end, row.address + row.dataBytes);
    for (std::size_t i = 0; i < row.dataBytes; ++i) {
      ASSERT_EQ(C64.memory.ram[row.address + i], bytes[2 + i]) << i;
    }
    EXPECT_EQ(C64.memory.ram[row.address - 1], before_[row.address - 1]);
    EXPECT_EQ(C64.memory.ram[0xAE] | C64.memory.ram[0xAF] << 8, row.loadEnd);
    EXPECT_EQ(PrepareLoadedProgramForStart(*range), row.run);
    EXPECT_EQ(C64.memory.ram[0x2D] | C64.memory.ram[0x2E] << 8,
              row.run ? row.loadEnd : before_[0x2D] | before_[0x2E] << 8);
    if (row.log != nullptr) {
      EXPECT_EQ(DebugLogText(), row.log);
    } else {
      EXPECT_EQ(DebugLogText(), "");
    }
  }
}

TEST_F(PrgLoaderTest, ProgramsUpToTheEndOfRamLoadLargerOnesAreRejected) {
  FillRam();
  const std::string tooLarge = WriteProgram("huge.prg", 63488);
  EXPECT_FALSE(LoadPrg(tooLarge));
  ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
  EXPECT_EQ(RecordedMessageBoxes()[0].text, "No readable PRG file: " + tooLarge);
  EXPECT_TRUE(RamUnchanged());

  // Exactly $0801-$FFFF: the end of load wraps to $0000 as on the machine.
  ASSERT_TRUE(LoadPrg(WriteProgram("full.prg", 63487)));
  EXPECT_EQ(C64.memory.ram[0x0801], 1);
  EXPECT_EQ(C64.memory.ram[0xFFFF], static_cast<std::uint8_t>(63487));
  EXPECT_EQ(C64.memory.ram[0xAE], 0x00);
  EXPECT_EQ(C64.memory.ram[0xAF], 0x00);
}

TEST_F(PrgLoaderTest, MissingFilesAndDirectories) {
  FillRam();
  const std::string missing = (dir_ / "absent.prg").string();
  EXPECT_FALSE(LoadPrg(missing));
  ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
  EXPECT_EQ(RecordedMessageBoxes()[0].text, "File not found: " + missing);
  EXPECT_EQ(RecordedMessageBoxes()[0].title, "Error");

  // A directory opens but does not read.
  RecordedMessageBoxes().clear();
  EXPECT_FALSE(LoadPrg(dir_.string()));
  ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
  EXPECT_EQ(RecordedMessageBoxes()[0].title, "Error");
  EXPECT_TRUE(RamUnchanged());
}

TEST_F(PrgLoaderTest, NamesOfOneCharacterOrNoneFailQuietly) {
  EXPECT_FALSE(LoadPrg(""));
  EXPECT_FALSE(LoadPrg("\x01"));  // no such file in the working directory
  EXPECT_TRUE(RecordedMessageBoxes().empty());
}

TEST_F(PrgLoaderTest, AutostartTypesRunAndReturnOneAfterAnother) {
  // No machine runs here: as with a stopped machine, each key goes up after its hold.
  C64.run.emulationRunning.store(0);
  const MatrixPosition keys[] = {{2, 1}, {3, 6}, {4, 7}, {0, 1}};
  std::vector<int> order;  // index of each key as it is first seen pressed
  std::atomic<bool> done{false};
  const auto start = std::chrono::steady_clock::now();
  std::thread typist([&] {
    AutostartProgram();
    done = true;
  });
  while (!done) {
    int pressedCount = 0;
    for (int k = 0; k < 4; ++k) {
      if ((C64.input.keyMatrix[keys[k].row].load() & (1u << keys[k].column)) == 0) {
        ++pressedCount;
        if (order.empty() || order.back() != k) order.push_back(k);
      }
    }
    EXPECT_LE(pressedCount, 1) << "keys are held one at a time";
    EXPECT_EQ(C64.input.keyMatrix[6].load() & 0x10, 0x10) << "SHIFT is never touched";
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  typist.join();
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(400));
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3}));
  for (int row = 0; row < 8; ++row) EXPECT_EQ(C64.input.keyMatrix[row].load(), 0xFF);
}

}  // namespace
