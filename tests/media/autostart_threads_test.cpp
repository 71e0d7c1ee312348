// The typed RUN against a machine running passes on another thread: every key reaches
// the KERNAL's keyboard scan however the passes are spread over time.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "core/machine.h"
#include "input/key_matrix.h"
#include "media/prg_loader.h"
#include "platform/host_services.h"
#include "tests/support/test_machine.h"

using namespace platform;
using namespace core;
using namespace input;
using namespace media;

namespace {

using std::chrono::milliseconds;

bool ScreenHasLine(const std::string& screen, const std::string& start) {
  return screen.find("\n" + start) != std::string::npos;
}

class AutostartThreadsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RecordMessageBoxes();
    dir_ = FreshTempDirectory("autostart");
  }
  void TearDown() override {
    SetMessageBoxHandler(nullptr);
    std::filesystem::remove_all(dir_);
  }

  void LoadSumProgram() {
    ASSERT_TRUE(LoadPrg(WriteTestFile(dir_, "sum.prg", kSumProgram)));
    SetBasicVariablesToLoadEnd();
  }

  std::filesystem::path dir_;
};

// A slow host spends longer on each picture than a key is held: each pass of eight
// frames runs in a millisecond or two and is followed by 150 ms without a scan. A hold of
// plain 100 ms would mostly fall between two passes.
TEST_F(AutostartThreadsTest, EveryKeyIsScannedWhenPicturesTakeLongerThanAHold) {
  BootToBasic();
  LoadSumProgram();
  C64.throttle.speedLimitOn.store(0);
  {
    BackgroundMachine machine(milliseconds(150));
    AutostartProgram();
    // Let BASIC run the program after the typed RETURN.
    machine.WaitForFrames(25);
  }
  const std::string screen = ScreenText();
  EXPECT_TRUE(ScreenHasLine(screen, "RUN ")) << screen;
  EXPECT_TRUE(ScreenHasLine(screen, " 4321 ")) << screen;
  for (const auto& row : C64.input.keyMatrix) EXPECT_EQ(row.load(), 0xFF);
}

// RUN typed at power-on: the KERNAL scans the keyboard only once its start-up has
// enabled the frame interrupt, after the memory test; the keys wait for that.
TEST_F(AutostartThreadsTest, KeysTypedDuringStartUpWaitForTheFirstScan) {
  PowerOnTestMachine();
  C64.throttle.speedLimitOn.store(0);
  {
    // About four times the machine's own speed: start-up takes some 400 ms.
    BackgroundMachine machine(milliseconds(40));
    AutostartProgram();
    machine.WaitForFrames(25);
  }
  const std::string screen = ScreenText();
  EXPECT_TRUE(ScreenHasLine(screen, "READY.")) << screen;
  EXPECT_TRUE(ScreenHasLine(screen, "RUN ")) << screen;
}

// A machine stopped from the debug window scans nothing: the keys go down and up again,
// and nothing is typed when it runs again.
TEST_F(AutostartThreadsTest, AStoppedMachineTypesNothingWhenItRunsAgain) {
  BootToBasic();
  C64.run.emulationRunning.store(0);
  {
    BackgroundMachine machine;
    AutostartProgram();
    for (const auto& row : C64.input.keyMatrix) EXPECT_EQ(row.load(), 0xFF);
    C64.run.emulationRunning.store(1);
    machine.WaitForFrames(25);
  }
  const std::string screen = ScreenText();
  EXPECT_TRUE(ScreenHasLine(screen, "READY.")) << screen;
  EXPECT_EQ(screen.find("RUN"), std::string::npos) << screen;
  EXPECT_EQ(screen.find("?"), std::string::npos) << screen;
}

}  // namespace
