// The debug window's texts and commands without a window: field formats, the memory
// dump, the step count's atoi reading, Windows-1252 decoding, the speed-limit, pointer
// and force commands, and the control template.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "core/machine.h"
#include "shell/debug/debug_box_text.h"
#include "shell/debug/debug_commands.h"
#include "shell/debug/debug_fields.h"
#include "shell/debug/dialog_template.h"
#include "tests/support/test_machine.h"
#include "video/vic_state.h"

using namespace core;
using namespace video;
using namespace shell;

namespace {

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      return lines;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
}

TEST(DebugFieldFormat, RegistersProgramCounterFlagsAndPointers) {
  EXPECT_EQ(FormatProgramCounterField(0xE5CD, 0xA5), "0xE5CD (0xA5)");
  EXPECT_EQ(FormatProgramCounterField(0x080D, 0x09), "0x80D (0x9)");
  EXPECT_EQ(FormatProgramCounterField(0x0000, 0x00), "0x0 (0x0)");
  EXPECT_EQ(FormatRegisterField(0xF6), "0xF6");
  EXPECT_EQ(FormatRegisterField(0x07), "0x7");
  EXPECT_EQ(FormatFlagField(true), "1");
  EXPECT_EQ(FormatFlagField(false), "0");
  EXPECT_EQ(FormatPointerField(0x0400), "0x400");
  EXPECT_EQ(FormatPointerField(0xC000), "0xc000");
  EXPECT_EQ(FormatPointerField(0), "0x0");
}

TEST(DebugFieldFormat, StackShowsFifteenBytesFromTheTopOfPageOneDown) {
  std::array<std::uint8_t, 0x10000> ram{};
  for (unsigned a = 0x01F1; a <= 0x01FF; ++a) ram[a] = static_cast<std::uint8_t>(a - 0x01F0);
  ram[0x01F0] = 0xEE;  // just below the shown range
  ram[0x01FF] = 0xAB;
  EXPECT_EQ(FormatStackField(ram.data()),
            " 0xAB 0xE 0xD 0xC 0xB 0xA 0x9 0x8 0x7 0x6 0x5 0x4 0x3 0x2 0x1");
}

TEST(DebugFieldFormat, CaptureReadsTheMachineAndBuildsTheDumpOnlyWhileStopped) {
  ZeroWholeMachine();
  for (int i = 0; i < 8; ++i) C64.cpu.flagMasks[i] = static_cast<std::uint8_t>(1 << i);
  C64.cpu.SetRegisters(
      CpuRegisters{.A = 0x3, .X = 0x0, .Y = 0x1, .SP = 0xF6, .PC = 0x080D, .P = 0x80 | 0x01});
  C64.memory.ram[0x0001] = 0x37;
  C64.memory.ram[0x080D] = 0xA9;
  VicBank = 0x4000;
  CharBaseOffset = 0x1800;
  ScreenOffset = 0x0400;
  DebugFieldTexts texts;

  C64.run.emulationRunning = 1;
  CaptureDebugFields(texts);
  EXPECT_FALSE(texts.hasDump);
  EXPECT_TRUE(texts.dump.empty());
  EXPECT_EQ(texts.programCounter, "0x80D (0xA9)");
  EXPECT_EQ(texts.regX, "0x0");
  EXPECT_EQ(texts.regY, "0x1");
  EXPECT_EQ(texts.regA, "0x3");
  EXPECT_EQ(texts.stackPointer, "0xF6");
  EXPECT_EQ(texts.flagN, "1");
  EXPECT_EQ(texts.flagZ, "0");
  EXPECT_EQ(texts.flagV, "0");
  EXPECT_EQ(texts.flagC, "1");
  EXPECT_EQ(texts.flagI, "0");
  EXPECT_EQ(texts.bank, "0x4000");
  EXPECT_EQ(texts.charBase, "0x1800");
  EXPECT_EQ(texts.screen, "0x400");

  C64.run.emulationRunning = 0;
  CaptureDebugFields(texts);
  EXPECT_TRUE(texts.hasDump);
  EXPECT_EQ(texts.dump.size(), MemoryDumpLength());
  ZeroWholeMachine();
}

TEST(DebugFieldFormat, ProgramCounterByteIsWhatTheProcessorFetches) {
  ZeroWholeMachine();
  for (int i = 0; i < 8; ++i) C64.cpu.flagMasks[i] = static_cast<std::uint8_t>(1 << i);
  C64.memory.romMap[0xE000] = 0x85;
  C64.memory.ram[0xE000] = 0x11;
  C64.cpu.PC = 0xE000;
  DebugFieldTexts texts;
  C64.memory.ram[0x0001] = 0x37;  // KERNAL visible
  CaptureDebugFields(texts);
  EXPECT_EQ(texts.programCounter, "0xE000 (0x85)");
  C64.memory.ram[0x0001] = 0x35;  // HIRAM clear: RAM under the KERNAL
  CaptureDebugFields(texts);
  EXPECT_EQ(texts.programCounter, "0xE000 (0x11)");
  ZeroWholeMachine();
}

TEST(MemoryDump, HasRamThenIoImageInTheExactLineFormat) {
  std::vector<std::uint8_t> ram(0x10000), io(0x10000);
  for (std::size_t i = 0; i < ram.size(); ++i) {
    ram[i] = static_cast<std::uint8_t>(i * 7);
    io[i] = static_cast<std::uint8_t>(0xFF - i);
  }
  std::string dump = "stale text that must go";
  BuildMemoryDump(ram.data(), io.data(), dump);
  ASSERT_EQ(dump.size(), MemoryDumpLength());

  const std::vector<std::string> lines = SplitLines(dump);
  // The header ends in an empty line and every dump line starts a line of its own, so two
  // empty lines follow each header and one separates the two images.
  ASSERT_EQ(lines.size(), 3u + 4096 + 4 + 4096);
  EXPECT_EQ(lines[0], "- RAM - ");
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[2], "");
  EXPECT_EQ(lines[3], "0x0000:  00 07 0E 15 1C 23 2A 31 38 3F 46 4D 54 5B 62 69");
  EXPECT_EQ(lines[4], "0x0010:  70 77 7E 85 8C 93 9A A1 A8 AF B6 BD C4 CB D2 D9");
  EXPECT_EQ(lines[3 + 4095].substr(0, 9), "0xFFF0:  ");
  EXPECT_EQ(lines[4099], "");
  EXPECT_EQ(lines[4100], "- I/O - ");
  EXPECT_EQ(lines[4101], "");
  EXPECT_EQ(lines[4102], "");
  EXPECT_EQ(lines[4103], "0x0000:  FF FE FD FC FB FA F9 F8 F7 F6 F5 F4 F3 F2 F1 F0");
  EXPECT_EQ(lines[4103 + 0xD02], "0xD020:  DF DE DD DC DB DA D9 D8 D7 D6 D5 D4 D3 D2 D1 D0");
  EXPECT_EQ(lines.back(), "0xFFF0:  0F 0E 0D 0C 0B 0A 09 08 07 06 05 04 03 02 01 00");
  for (std::size_t i = 3; i < lines.size(); ++i) {
    if (i >= 4099 && i < 4103) continue;
    ASSERT_EQ(lines[i].size(), 56u) << "line " << i;
  }
}

TEST(StepCount, ReadsLikeAtoi) {
  EXPECT_EQ(ParseStepCount("5"), 5);
  EXPECT_EQ(ParseStepCount("1"), 1);
  EXPECT_EQ(ParseStepCount("abc"), 0);
  EXPECT_EQ(ParseStepCount(""), 0);
  EXPECT_EQ(ParseStepCount("-1"), -1);
  EXPECT_EQ(ParseStepCount("  \t+12x3"), 12);
  EXPECT_EQ(ParseStepCount("\n-007"), -7);
  EXPECT_EQ(ParseStepCount("- 5"), 0);
  EXPECT_EQ(ParseStepCount("+-5"), 0);
  EXPECT_EQ(ParseStepCount("2147483647"), 2147483647);
  EXPECT_EQ(ParseStepCount("99999999999"), 2147483647);
  EXPECT_EQ(ParseStepCount("-99999999999"), -2147483647 - 1);
  EXPECT_EQ(StepBudgetForCount(5), 5);
  EXPECT_EQ(StepBudgetForCount(0), 0);
  EXPECT_EQ(StepBudgetForCount(-1), -1);
  EXPECT_EQ(StepBudgetForCount(-40), -1);
}

TEST(BoxText, DecodesWindows1252) {
  EXPECT_EQ(DecodeWindows1252("Gr\xFC\xDF"
                              "e"),
            QString::fromUtf8("Grüße"));
  EXPECT_EQ(DecodeWindows1252("\x80 \x84\x93\x94 \x96 \x9F \xA0\xFF"),
            QString::fromUtf8("€ „“” – Ÿ \u00A0ÿ"));
  EXPECT_EQ(DecodeWindows1252("\x81\x8D\x8F\x90\x9D"),
            QString::fromUtf16(u"\u0081\u008D\u008F\u0090\u009D"));
  EXPECT_EQ(DecodeWindows1252(std::string_view("a\0b", 3)), QString::fromUtf16(u"a\u0000b", 3));
}

TEST(BoxText, MultiLineBoxesTakeWindowsLineEnds) {
  EXPECT_EQ(DecodeForMultiLineBox("> B\r\n> A\r\n"), QStringLiteral("> B\n> A\n"));
  EXPECT_EQ(DecodeForMultiLineBox("\xFC\r\n"), QString::fromUtf8("ü\n"));
  EXPECT_EQ(WithWindowsLineEnds(QStringLiteral("> B\n> A\n")), QStringLiteral("> B\r\n> A\r\n"));
}

class MachineCommands : public testing::Test {
 protected:
  void SetUp() override { ZeroWholeMachine(); }
  void TearDown() override { ZeroWholeMachine(); }
};

TEST_F(MachineCommands, SpeedLimitTogglesOffAndOn) {
  C64.throttle.speedLimitOn = 1;
  EXPECT_FALSE(ToggleSpeedLimit());
  EXPECT_EQ(C64.throttle.speedLimitOn.load(), 0);
  EXPECT_TRUE(ToggleSpeedLimit());
  EXPECT_EQ(C64.throttle.speedLimitOn.load(), 1);
}

TEST_F(MachineCommands, PointerCyclesWrapBothWays) {
  EXPECT_EQ(NextOnCycle(VideoPointer::kBank, 0xC000, +1), 0x0000);
  EXPECT_EQ(NextOnCycle(VideoPointer::kBank, 0x0000, -1), 0xC000);
  EXPECT_EQ(NextOnCycle(VideoPointer::kBank, 0x4000, +1), 0x8000);
  EXPECT_EQ(NextOnCycle(VideoPointer::kCharBase, 0x3800, +1), 0x0000);
  EXPECT_EQ(NextOnCycle(VideoPointer::kCharBase, 0x0000, -1), 0x3800);
  EXPECT_EQ(NextOnCycle(VideoPointer::kCharBase, 0x1000, -1), 0x0800);
  EXPECT_EQ(NextOnCycle(VideoPointer::kScreen, 0x3C00, +1), 0x0000);
  EXPECT_EQ(NextOnCycle(VideoPointer::kScreen, 0x0000, -1), 0x3C00);
  EXPECT_EQ(NextOnCycle(VideoPointer::kScreen, 0x0400, +1), 0x0800);
  // Values off the cycle stay.
  EXPECT_EQ(NextOnCycle(VideoPointer::kBank, 0x2000, +1), 0x2000);
  EXPECT_EQ(NextOnCycle(VideoPointer::kCharBase, 0x0400, +1), 0x0400);
  EXPECT_EQ(NextOnCycle(VideoPointer::kCharBase, 0x4000, -1), 0x4000);
  EXPECT_EQ(NextOnCycle(VideoPointer::kScreen, 0x4000, +1), 0x4000);
  EXPECT_EQ(NextOnCycle(VideoPointer::kScreen, 0x0401, +1), 0x0401);
}

TEST_F(MachineCommands, StepFixesAFollowingPointerAtItsLiveValueFirst) {
  ScreenOffset = 0x0400;
  StepVideoPointer(VideoPointer::kScreen, +1);
  EXPECT_EQ(ScreenOverride.load(), 0x0800);
  EXPECT_EQ(ScreenOffset.load(), 0x0800);
  // A live value that changes later does not matter any more: the override leads.
  ScreenOffset = 0x2000;
  StepVideoPointer(VideoPointer::kScreen, -1);
  EXPECT_EQ(ScreenOverride.load(), 0x0400);
  EXPECT_EQ(ScreenOffset.load(), 0x0400);
  // The other pointers are untouched.
  EXPECT_EQ(BankOverride.load(), FollowRegister);
  EXPECT_EQ(CharBaseOverride.load(), FollowRegister);

  FollowVideoRegister(VideoPointer::kScreen);
  EXPECT_EQ(ScreenOverride.load(), FollowRegister);
  EXPECT_EQ(ScreenOffset.load(), 0x0400);  // left for the next picture to recompute
}

TEST_F(MachineCommands, PointerOffItsCycleIsFixedButNotMoved) {
  CharBaseOffset = 0x0400;  // not a character base; only reachable by outside writes
  StepVideoPointer(VideoPointer::kCharBase, +1);
  EXPECT_EQ(CharBaseOverride.load(), 0x0400);
  EXPECT_EQ(CharBaseOffset.load(), 0x0400);
}

TEST_F(MachineCommands, ForceTextAndBitmapExcludeEachOtherMulticolourCombines) {
  ToggleForce(ForceFlag::kBitmap);
  ToggleForce(ForceFlag::kMulticolour);
  EXPECT_TRUE(ForceFlagSet(ForceFlag::kBitmap));
  ToggleForce(ForceFlag::kText);
  EXPECT_TRUE(ForceFlagSet(ForceFlag::kText));
  EXPECT_FALSE(ForceFlagSet(ForceFlag::kBitmap));
  EXPECT_TRUE(ForceFlagSet(ForceFlag::kMulticolour));
  ToggleForce(ForceFlag::kText);
  EXPECT_FALSE(ForceFlagSet(ForceFlag::kText));
  EXPECT_FALSE(ForceFlagSet(ForceFlag::kBitmap));
  ToggleForce(ForceFlag::kMulticolour);
  EXPECT_FALSE(ForceFlagSet(ForceFlag::kMulticolour));
  EXPECT_STREQ(ForceCaption(true), "active..");
  EXPECT_STREQ(ForceCaption(false), "Force!");
}

TEST(DialogTemplate, ListsEveryControlOnceInsideTheWindow) {
  using namespace debug_dialog;
  const std::set<int> expected = {1000, 1003, 1005, 1006, 1007, 1008, 1010, 1011, 1012, 1013, 1014,
                                  1015, 1016, 1017, 1018, 1019, 1020, 1021, 1023, 1024, 1026, 1027,
                                  1028, 1029, 1030, 1031, 1032, 1033, 1034, 1035, 1036, 1037, 1038,
                                  1039, 1040, 1041, 1042, 1043, 1044, 1045, 1046, 1047, 1048, 1049};
  std::set<int> ids;
  for (const ControlTemplate& control : kControls) {
    if (control.id != kNoId) {
      EXPECT_TRUE(ids.insert(control.id).second) << control.id;
    }
    EXPECT_LE(control.x + control.width, kWidthDlu) << control.caption;
    EXPECT_LE(control.y + control.height, kHeightDlu) << control.caption;
  }
  EXPECT_EQ(ids, expected);
}

}  // namespace
