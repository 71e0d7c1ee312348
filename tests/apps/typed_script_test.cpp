// The headless runner's --type: what its text becomes (named keys, chords, joystick
// events), the usage errors, and the named keys at work on the machine: RUN/STOP breaking
// a loop, and a machine-code program reading the joystick in either port.
#include "apps/typed_script.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "apps/headless_runner.h"
#include "core/machine.h"
#include "tests/support/test_machine.h"

using namespace core;
using namespace apps;

namespace {

namespace fs = std::filesystem;

std::uint64_t Key(int row, int column) {
  return std::uint64_t{1} << (row * 8 + column);
}
const std::uint64_t kShift = Key(6, 4);

TEST(TypedScript, CharactersNamesChordsAndJoystickEventsBecomeSteps) {
  const struct {
    const char* text;
    std::vector<TypedStep> steps;
  } cases[] = {
      {"a", {{Key(1, 2)}}},
      {"A?", {{Key(1, 2) | kShift}, {Key(6, 7) | kShift}}},
      {"\\n\n", {{Key(0, 1)}, {Key(0, 1)}}},
      {"@[\\^_", {{Key(5, 6)}, {Key(5, 5) | kShift}, {Key(6, 0)}, {Key(6, 6)}, {Key(7, 1)}}},
      {"{RUNSTOP}{stop}{HOME}{CLR}", {{Key(7, 7)}, {Key(7, 7)}, {Key(6, 3)}, {Key(6, 3) | kShift}}},
      {"{DOWN}{UP}{LEFT}{RIGHT}",
       {{Key(0, 7)}, {Key(0, 7) | kShift}, {Key(0, 2) | kShift}, {Key(0, 2)}}},
      {"{F2}{F7 20}", {{Key(0, 4) | kShift}, {Key(0, 3), 0, 0, 20}}},
      {"{CTRL+3}{C=+SHIFT}", {{Key(7, 2) | Key(1, 0)}, {Key(7, 5) | Key(1, 7)}}},
      {"{C=++}{CBM+a}{SHIFT+RUNSTOP}",
       {{Key(7, 5) | Key(5, 0)}, {Key(7, 5) | Key(1, 2)}, {Key(1, 7) | Key(7, 7)}}},
      {"{JOY2 UP 10}{joy1 fire+left}", {{0, 0x01, 2, 10}, {0, 0x14, 1, 3}}},
      {"{RUNSTOP+RESTORE}{restore 5}", {{Key(7, 7), 0, 0, 3, true}, {0, 0, 0, 5, true}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const TypedScript script = ParseTypedScript(c.text);
    EXPECT_EQ(script.error, "");
    ASSERT_EQ(script.steps.size(), c.steps.size());
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
      EXPECT_EQ(script.steps[i].keys, c.steps[i].keys) << i;
      EXPECT_EQ(script.steps[i].joystickLines, c.steps[i].joystickLines) << i;
      EXPECT_EQ(script.steps[i].joystickPort, c.steps[i].joystickPort) << i;
      EXPECT_EQ(script.steps[i].holdFrames, c.steps[i].holdFrames) << i;
      EXPECT_EQ(script.steps[i].restore, c.steps[i].restore) << i;
    }
  }
}

TEST(TypedScript, AnythingElseIsAnErrorThatNamesItsPosition) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"ab\xC2\xB7", "byte 0xC2 at position 3 is not printable ASCII"},
      {"\xB4", "byte 0xB4 at position 1"},
      {"a\tb", "byte 0x09 at position 2"},
      {"ok~", "no C64 key types \"~\" at position 3"},
      {"x{RESTART}", "unknown key name \"RESTART\" at position 2; the names are DEL RETURN"},
      {"{CTRL+}", "unknown key name"},
      {"{JOY3 UP}", "unknown key name \"JOY3\""},
      {"{A\x1B[2JB}", "unknown key name \"A\\x1B[2JB\" at position 1"},
      {"{JOY2 JUMP}", "unknown joystick direction \"JUMP\" at position 1"},
      {"{JOY2}", "{JOY2} at position 1 needs directions"},
      {"{F1 0}", "hold \"0\" at position 1 is no number of frames from 1 to 30000"},
      {"{F1 x}", "hold \"x\""},
      {"{F1 2 3}", "too many words"},
      {"{F1\x1B 2 3}", "too many words in {F1\\x1B 2 3} at position 1"},
      {"{}", "empty {} at position 1"},
      {"abc{F1", "\"{\" at position 4 is not closed"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const TypedScript script = ParseTypedScript(c.text);
    EXPECT_NE(script.error.find(c.error), std::string::npos) << script.error;
    EXPECT_TRUE(script.steps.empty());
  }
}

class TypedSessionTest : public ::testing::Test {
 protected:
  void SetUp() override { LoadTestRoms(); }
  std::string Run(const HeadlessOptions& options, int expected = 0) {
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunHeadless(options, out, err), expected) << err.str();
    errors_ = err.str();
    return ScreenText();
  }
  WorkingFolder folder_{"typed"};
  const fs::path& directory_ = folder_.Path();
  std::string errors_;
};

TEST_F(TypedSessionTest, RunStopBreaksAnEndlessLoop) {
  HeadlessOptions options;
  options.typeText = "10 goto 10\\nrun\\n{RUNSTOP}";
  options.frames = 20;
  const std::string screen = Run(options);
  EXPECT_NE(screen.find("\nBREAK IN 10"), std::string::npos) << screen;
}

TEST_F(TypedSessionTest, AnUntypableTextEndsWithStatusOneBeforeTheMachineRuns) {
  HeadlessOptions options;
  options.typeText = "print \xC2\xB7";
  const std::uint64_t frames = C64.run.frameCounter.load();
  Run(options, 1);
  EXPECT_EQ(C64.run.frameCounter.load(), frames);
  EXPECT_NE(errors_.find("--type: byte 0xC2 at position 7"), std::string::npos) << errors_;
}

// 10 SYS2061, then at $080D: $C000 and $C001 set to $FF, and for ever after ANDed with
// every read of $DC00 and $DC01, so that they keep each line that was ever low.
const std::vector<std::uint8_t> kJoystickReader = {
    0x01, 0x08, 0x0B, 0x08, 0x0A, 0x00, 0x9E, '2',  '0',  '6',  '1',
    0x00, 0x00, 0x00, 0xA9, 0xFF, 0x8D, 0x00, 0xC0, 0x8D, 0x01, 0xC0,  // lda #$ff, sta x2
    0xAD, 0x00, 0xDC, 0x2D, 0x00, 0xC0, 0x8D, 0x00, 0xC0,              // $DC00 into $C000
    0xAD, 0x01, 0xDC, 0x2D, 0x01, 0xC0, 0x8D, 0x01, 0xC0,              // $DC01 into $C001
    0x4C, 0x15, 0x08};                                                 // jmp $0815

TEST_F(TypedSessionTest, AMachineCodeProgramReadsTheJoystickInEitherPort) {
  WriteTestFile(directory_, "joystick.prg", kJoystickReader);
  const struct {
    int portOption;
    const char* script;
    std::uint8_t portA;
    std::uint8_t portB;
  } cases[] = {
      // Port 2: the KERNAL leaves $7F in port A; up and fire pull bits 0 and 4 low.
      {2, "{JOY2 UP+FIRE 10}", 0x7F & 0xEE, 0xFF},
      {1, "{JOY2 LEFT}", 0x7F & 0xFB, 0xFF},  // the event puts the joystick into port 2
      // Port 1: port B's lines, in both registers' keyboard scan.
      {1, "{JOY1 DOWN}", 0xFD, 0xFD},
      {1, "", 0xFF, 0xFF},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    HeadlessOptions options;
    options.program = "joystick.prg";
    options.joystickPort = c.portOption;
    options.typeText = std::string("{F1 20}") + c.script;  // F1: the machine code has started
    options.frames = 5;
    Run(options);
    EXPECT_EQ(C64.memory.ram[0xC000], c.portA);
    EXPECT_EQ(C64.memory.ram[0xC001], c.portB);
  }
}

}  // namespace
