// Pictures set up by small machine-code programs: each program is loaded into a booted
// machine, started with RUN and left to set up the video chip; the rendered picture is
// then held against the model worked out from the memory the program left behind.
#include <gtest/gtest.h>

#include <string>

#include "core/machine.h"
#include "media/prg_loader.h"
#include "tests/support/test_machine.h"
#include "tests/video/reference_picture.h"
#include "video/vic_state.h"

using namespace core;
using namespace video;
using namespace media;

namespace {

struct ProgramCase {
  const char* name;
  std::uint16_t bank;
  bool bitmap;
  bool multicolour;
};

void PrintTo(const ProgramCase& c, std::ostream* out) {
  *out << c.name;
}

// RUN and RETURN through the KERNAL's keyboard buffer, as if typed at the prompt.
void TypeRun() {
  const char keys[] = {'R', 'U', 'N', '\r'};
  for (int i = 0; i < 4; ++i) C64.memory.ram[0x0277 + i] = static_cast<std::uint8_t>(keys[i]);
  C64.memory.ram[0x00C6] = 4;
}

class ProgramRenderTest : public ::testing::TestWithParam<ProgramCase> {
 protected:
  void TearDown() override { ZeroWholeMachine(); }
};

TEST_P(ProgramRenderTest, PictureMatchesTheModel) {
  const ProgramCase& program = GetParam();
  RecordMessageBoxes();
  BootToBasic();
  ASSERT_TRUE(LoadPrg(std::string(VIDEO_PROGRAM_DIR) + "/" + program.name + ".prg"));
  SetBasicVariablesToLoadEnd();
  TypeRun();
  RunFrames(40);
  ASSERT_EQ(C64.memory.ram[0x0002], 0xA5) << "the program did not finish its set-up";
  EXPECT_TRUE(RecordedMessageBoxes().empty());

  RenderFrame();
  EXPECT_EQ(VicBank, program.bank);
  const reference::Setup setup = reference::CurrentSetup();
  EXPECT_EQ(setup.bitmap, program.bitmap);
  EXPECT_EQ(setup.multicolour, program.multicolour);
  const reference::Picture expected = reference::ExpectedPicture();
  EXPECT_TRUE(reference::FrameBufferMatches(expected));
  EXPECT_GE(reference::DistinctColours(expected), 8u);
}

INSTANTIATE_TEST_SUITE_P(Programs, ProgramRenderTest,
                         ::testing::Values(ProgramCase{"standard_text", 0x0000, false, false},
                                           ProgramCase{"multicolour_text", 0x0000, false, true},
                                           ProgramCase{"hires_bitmap", 0x0000, true, false},
                                           ProgramCase{"bank3_bitmap", 0xC000, true, true}),
                         [](const ::testing::TestParamInfo<ProgramCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
