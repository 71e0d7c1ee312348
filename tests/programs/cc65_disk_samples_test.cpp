// cc65's enumdevdir sample against drive 8: it finds the drive on the serial bus (and no
// other device), and, given a getdevicedir() that names the drive as "8", lists the
// files of a cc1541 image through OPEN, CHKIN and CHRIN (getcwd() still says "80").
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "apps/headless_runner.h"
#include "tests/programs/sample_run.h"

namespace {

class Cc65DiskSamples : public SampleProgramTest {
 protected:
  void SetUp() override {
    SampleProgramTest::SetUp();
    const std::vector<std::uint8_t> image = MakeD64Image(
        "-n " + Cc1541Text("samples"),
        {{"ONE", kSumProgram, ""}, {"TWO", kSumProgram, ""}, {"NOTES", kSumProgram, "-T SEQ"}});
    ASSERT_FALSE(image.empty());
    WriteTestFile(folder_.Path(), "samples.d64", image);
  }
  // Runs the sample with the image mounted until it is back at BASIC's READY after it.
  std::string Run(const std::string& program) {
    apps::HeadlessOptions options;
    options.program = std::string(CC65_SAMPLE_DIR) + "/" + program + ".prg";
    options.disk = "samples.d64";
    options.frames = 0;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(apps::RunHeadless(options, out, err), 0) << err.str();
    const auto finished = [] {
      const std::string text = ScreenText();
      const std::size_t device = text.find("Device 8:");
      return device != std::string::npos && text.find("\nready.", device) != std::string::npos;
    };
    EXPECT_GE(RunUntil(finished, 3000), 0) << ScreenText();
    return ScreenText();
  }
  WorkingFolder folder_{"enumdevdir"};
};

TEST_F(Cc65DiskSamples, EnumdevdirListsTheFilesOfDriveEight) {
  const std::string screen = Run("enumdevdir_fixed");
  for (const char* line : {"Device 8:", " Dir 8", "  File one", "  File two", "  File notes"}) {
    EXPECT_NE(screen.find(std::string("\n") + line), std::string::npos) << line << "\n" << screen;
  }
  EXPECT_EQ(screen.find("Device 9"), std::string::npos) << screen;
  EXPECT_EQ(screen.find("N/A"), std::string::npos) << screen;
}

// The sample as cc65 builds it finds drive 8 ready (its getdevicedir() sends "I" and
// reads 00,OK) and no other device; it then names the drive "80" and lists nothing.
TEST_F(Cc65DiskSamples, EnumdevdirAsBuiltFindsOnlyDriveEight) {
  const std::string screen = Run("enumdevdir");
  EXPECT_NE(screen.find("\nDevice 8:"), std::string::npos) << screen;
  EXPECT_EQ(screen.find("Device 9"), std::string::npos) << screen;
  EXPECT_EQ(screen.find("N/A"), std::string::npos) << screen;
}

}  // namespace
