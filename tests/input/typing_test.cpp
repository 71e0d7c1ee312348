// Keys typed into the booted machine through the handlers, the way the display window
// delivers them: only between passes, a quick tap's press and release in the same gap.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "core/machine.h"
#include "input/host_key_table.h"
#include "media/prg_loader.h"
#include "tests/support/test_machine.h"

using namespace core;
using namespace input;
using namespace media;

namespace {

// Each key goes down and up before the machine runs on: without holding the release
// back until a frame interrupt has scanned it, nothing would be typed.
void TapKeys(const std::string& keys) {
  for (char key : keys) {
    OnKeyDown(static_cast<unsigned char>(key), 0);
    OnKeyUp(static_cast<unsigned char>(key), 0);
    RunFrames(FramesPerPass);
  }
}

// Typing at 80 ms a key: the taps of one pass all arrive in the gap before the next.
void TapKeysInBursts(const std::string& keys, std::size_t tapsPerPass) {
  for (std::size_t first = 0; first < keys.size(); first += tapsPerPass) {
    for (char key : keys.substr(first, tapsPerPass)) {
      OnKeyDown(static_cast<unsigned char>(key), 0);
      OnKeyUp(static_cast<unsigned char>(key), 0);
    }
    RunFrames(FramesPerPass);
  }
}

// Fast typing that rolls from key to key: each key goes down before the one before it
// comes up, and a whole pass's keys arrive in the same gap.
void RollKeysInOneGap(const std::string& keys) {
  for (std::size_t i = 0; i < keys.size(); ++i) {
    OnKeyDown(static_cast<unsigned char>(keys[i]), 0);
    if (i > 0) OnKeyUp(static_cast<unsigned char>(keys[i - 1]), 0);
  }
  OnKeyUp(static_cast<unsigned char>(keys.back()), 0);
  RunFrames(FramesPerPass);
}

// A special key tapped between two passes, as the display window delivers it.
void TapSpecialKey(int key, int times = 1) {
  for (int i = 0; i < times; ++i) {
    OnSpecialKeyDown(key);
    OnSpecialKeyUp(key);
    RunFrames(FramesPerPass);
  }
}

bool ScreenShows(const std::string& text) {
  for (const std::string& line : ScreenLines()) {
    if (line.find(text) != std::string::npos) return true;
  }
  return false;
}

TEST(TypingTest, QuickTapsBetweenPassesReachBasic) {
  BootToBasic();
  TapKeys("print 6*7\r");
  RunFrames(2 * FramesPerPass);
  EXPECT_TRUE(ScreenShows("PRINT 6*7")) << ScreenText();
  EXPECT_TRUE(ScreenShows(" 42")) << ScreenText();
}

TEST(TypingTest, SeveralTapsWithinOnePassAreAllTyped) {
  BootToBasic();
  TapKeysInBursts("print 6*7\r", 2);
  RunFrames(2 * FramesPerPass);
  EXPECT_TRUE(ScreenShows("PRINT 6*7")) << ScreenText();
  EXPECT_TRUE(ScreenShows(" 42")) << ScreenText();
  // A whole line with a doubled digit in one gap.
  TapKeysInBursts("print 77*6\r", 11);
  RunFrames(4 * FramesPerPass);
  EXPECT_TRUE(ScreenShows("PRINT 77*6")) << ScreenText();
  EXPECT_TRUE(ScreenShows(" 462")) << ScreenText();
}

TEST(TypingTest, KeysThatOverlapWithinOnePassAreAllTyped) {
  BootToBasic();
  RollKeysInOneGap("print 6*7\r");
  RunFrames(3 * FramesPerPass);
  EXPECT_TRUE(ScreenShows("PRINT 6*7")) << ScreenText();
  EXPECT_TRUE(ScreenShows(" 42")) << ScreenText();
}

// Taps of one key after another, each press and release an event of its own, cut into
// the gaps between passes every `eventsPerGap` events, the first cut after `firstGap`: at
// 30, 70 or 150 ms a key a gap holds one to eight of them, and a doubled letter's release
// and second press often share a gap after its first press was scanned.
// A gap lasts a whole pass, or one frame when key events end the pass early (the gap then
// falls between a frame's interrupt entry and the keyboard scan in its handler).
void TapKeysCutIntoGaps(const std::string& keys, std::size_t eventsPerGap, std::size_t firstGap,
                        int framesPerGap) {
  std::size_t events = eventsPerGap - firstGap;
  for (char key : keys) {
    for (bool down : {true, false}) {
      down ? OnKeyDown(static_cast<unsigned char>(key), 0)
           : OnKeyUp(static_cast<unsigned char>(key), 0);
      if (++events % eventsPerGap == 0) RunFrames(framesPerGap);
    }
  }
  RunFrames(FramesPerPass);
}

TEST(TypingTest, DoubledLettersAreTypedTwiceHoweverTheGapsFall) {
  for (const auto& [eventsPerGap, framesPerGap] :
       {std::pair{1u, 1}, {2u, 1}, {2u, FramesPerPass}, {3u, FramesPerPass}, {5u, FramesPerPass}}) {
    for (std::size_t firstGap = 1; firstGap <= eventsPerGap; ++firstGap) {
      SCOPED_TRACE(std::to_string(eventsPerGap) + " events a gap of " +
                   std::to_string(framesPerGap) + " frames, first " + std::to_string(firstGap));
      BootToBasic();
      TapKeysCutIntoGaps("print \"hello\"\r", eventsPerGap, firstGap, framesPerGap);
      RunFrames(4 * FramesPerPass);
      EXPECT_TRUE(ScreenShows("PRINT \"HELLO\"")) << ScreenText();
      bool answered = false;
      for (const std::string& line : ScreenLines()) answered |= line.rfind("HELLO", 0) == 0;
      EXPECT_TRUE(answered) << ScreenText();
    }
  }
}

TEST(TypingTest, CursorKeysEditAListedLineAndTheProgramChanges) {
  BootToBasic();
  SetCursorKeysAsJoystick(false);
  TapKeys("10 print 1\rlist\r");
  RunFrames(2 * FramesPerPass);
  ASSERT_TRUE(ScreenShows("10 PRINT 1")) << ScreenText();
  constexpr int kUp = 101, kRight = 102, kLeft = 100, kDown = 103;
  // From below the listing's READY. up to its line, then onto the 1: typing over it.
  TapSpecialKey(kUp, 2);
  TapSpecialKey(kRight, 10);
  TapSpecialKey(kLeft);
  TapKeys("2\r");
  TapSpecialKey(kDown, 2);
  TapKeys("list\r");
  RunFrames(2 * FramesPerPass);
  const std::vector<std::string> lines = ScreenLines();
  EXPECT_EQ(lines[12].substr(0, 5), "LIST ") << ScreenText();
  EXPECT_EQ(lines[14].substr(0, 11), "10 PRINT 2 ") << "the program itself changed";
  EXPECT_EQ(C64.input.joystick.load(), 0xFF) << "the cursor keys left the joystick alone";
  SetCursorKeysAsJoystick(true);
}

TEST(TypingTest, CtrlWithAColourDigitChangesTheCursorColour) {
  BootToBasic();
  constexpr int kCtrlLeft = 114;
  OnSpecialKeyDown(kCtrlLeft);
  OnKeyDown(27, kModifierCtrl);  // Ctrl+3 arrives as the Escape code
  OnKeyUp('3', 0);
  OnSpecialKeyUp(kCtrlLeft);
  RunFrames(FramesPerPass);
  TapKeys("x");
  RunFrames(FramesPerPass);
  EXPECT_EQ(C64.memory.ram[0x0286], 2) << "red";
  // The x at the start of row 6, below READY., in red in colour RAM.
  EXPECT_EQ(C64.memory.ram[0x0400 + 6 * 40], 0x18);
  EXPECT_EQ(C64.memory.ioImage[0xD800 + 6 * 40] & 0x0F, 2);
}

TEST(TypingTest, LoadedProgramRunsFromTheTypedRun) {
  BootToBasic();
  // 10 PRINT "OK": link $080B, line 10, PRINT token, the string, end of line and program.
  const std::vector<std::uint8_t> program = {0x01, 0x08, 0x0B, 0x08, 0x0A, 0x00, 0x99,
                                             0x22, 0x4F, 0x4B, 0x22, 0x00, 0x00, 0x00};
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("c64emu_typing_" + std::to_string(::getpid()));
  {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(program.data()),
              static_cast<std::streamsize>(program.size()));
  }
  ASSERT_TRUE(LoadPrg(path.string()));
  std::filesystem::remove(path);
  SetBasicVariablesToLoadEnd();
  EXPECT_EQ(C64.memory.ram[0x2D], 0x0D);  // variables start behind the program at $080D
  EXPECT_EQ(C64.memory.ram[0x2E], 0x08);

  TapKeys("run\r");
  RunFrames(4 * FramesPerPass);
  EXPECT_TRUE(ScreenShows("OK")) << ScreenText();
}

}  // namespace
