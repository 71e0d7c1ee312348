// The PC keyboard handlers: German layout, the shift rule, special keys and the joystick.
#include "input/host_key_table.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "core/debug_log.h"
#include "core/machine.h"
#include "input/c64_keys.h"
#include "input/key_matrix.h"
#include "tests/support/test_machine.h"

using namespace core;
using namespace input;

namespace {

constexpr int kShift = kModifierShift;
constexpr int kCtrl = 2;
constexpr int kAlt = 4;

// Toolkit special-key codes.
constexpr int kF1 = 1, kF2 = 2, kF3 = 3, kF7 = 7, kF9 = 9, kF12 = 12;
constexpr int kLeft = 100, kUp = 101, kRight = 102, kDown = 103;
constexpr int kPageUp = 104, kPageDown = 105, kHome = 106, kEnd = 107, kInsert = 108;
constexpr int kNumLock = 109, kBegin = 110, kDeleteKey = 111;
constexpr int kShiftLeft = 112, kShiftRight = 113, kCtrlLeft = 114, kCtrlRight = 115;
constexpr int kAltLeft = 116, kAltRight = 117, kSuperLeft = 118, kSuperRight = 119;

class HostKeyTableTest : public ::testing::Test {
 protected:
  void SetUp() override { ZeroWholeMachine(); }

  // The matrix must show exactly these positions pressed and nothing else.
  static void ExpectPressedExactly(const std::vector<MatrixPosition>& positions) {
    std::uint8_t expected[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    for (const MatrixPosition& p : positions) {
      expected[p.row] = static_cast<std::uint8_t>(expected[p.row] & ~(1u << p.column));
    }
    for (int row = 0; row < 8; ++row) {
      EXPECT_EQ(C64.input.keyMatrix[row].load(), expected[row]) << "row " << row;
    }
  }

  // The frame interrupts that let the KERNAL see the presses: an entry, and the next one,
  // by which the first one's scan has run. After this, releases of the keys pressed so far
  // take effect at once.
  static void LetMachineScan() {
    NoteInterruptEntry();
    NoteInterruptEntry();
  }
  // Long enough for any release to take effect.
  static void TwoScans() {
    NoteInterruptEntry();
    NoteInterruptEntry();
  }

  // Keys held one after another, each seen by a scan before the next goes down (a new
  // key pressed before the last one's scan waits for it).
  static void HoldKey(unsigned char key, int modifiers = 0) {
    OnKeyDown(key, modifiers);
    LetMachineScan();
  }
  static void HoldSpecialKey(int key) {
    OnSpecialKeyDown(key);
    LetMachineScan();
  }
};

TEST_F(HostKeyTableTest, LettersAndDigitsPressTheirPositions) {
  HoldKey('a');
  HoldKey('r');
  HoldKey('5');
  HoldKey('\r');
  ExpectPressedExactly({{1, 2}, {2, 1}, {2, 0}, {0, 1}});
  OnKeyUp('a', 0);
  OnKeyUp('r', 0);
  OnKeyUp('5', 0);
  OnKeyUp('\r', 0);
  ExpectPressedExactly({});
}

TEST_F(HostKeyTableTest, ShiftAloneCountsAsShifted) {
  // Shift+1 arrives as !: the 1 position together with the right SHIFT.
  OnKeyDown('!', kShift);
  ExpectPressedExactly({{7, 0}, {6, 4}});
  LetMachineScan();
  // Shift is already up at the release, which arrives as 1 and releases both.
  OnKeyUp('1', 0);
  ExpectPressedExactly({});

  // Shift with Ctrl or Alt counts as unshifted: ! is not in the unshifted column.
  OnKeyDown('!', kShift | kCtrl);
  OnKeyDown('!', kShift | kAlt);
  ExpectPressedExactly({});
  LetMachineScan();  // the 1 went up since the last scan: a new press waits for one
  OnKeyDown('1', kShift | kCtrl);
  ExpectPressedExactly({{7, 0}});
}

TEST_F(HostKeyTableTest, RightShiftFollowsTheLastCharacterEvent) {
  OnKeyDown('A', kShift);
  LetMachineScan();
  OnKeyUp('A', kShift);  // released while Shift is still held
  ExpectPressedExactly({{6, 4}});
  OnKeyDown('b', 0);  // the next unshifted event lets go of SHIFT
  ExpectPressedExactly({{3, 4}});
}

// What a German or a US keyboard delivers for a character, with the PC's left Shift
// pressed just before it in the same pass (not yet scanned): the C64 key that shows the
// character, with exactly the SHIFT that key needs and nothing else.
TEST_F(HostKeyTableTest, EveryCharacterTypesTheKeyThatShowsIt) {
  constexpr MatrixPosition kShiftR = RightShiftKey;
  constexpr MatrixPosition kShiftL = LeftShiftKey;  // the PC's Shift, where the key needs it
  const struct {
    const char* what;
    unsigned char character;
    bool withShift;
    std::vector<MatrixPosition> pressed;
  } cases[] = {
      {"* (US Shift+8, German Shift++)", '*', true, {{6, 1}}},
      {"+ (US Shift+=)", '+', true, {{5, 0}}},
      {": (US Shift+;, German Shift+.)", ':', true, {{5, 5}}},
      {"; (German Shift+,)", ';', true, {{6, 2}}},
      {"@ (US Shift+2)", '@', true, {{5, 6}}},
      {"^ (US Shift+6)", '^', true, {{6, 6}}},
      {"/ (German Shift+7)", '/', true, {{6, 7}}},
      {"= (German Shift+0)", '=', true, {{6, 5}}},
      {"space with Shift", ' ', true, {{7, 4}}},
      {"\" (US Shift+', German Shift+2)", '"', true, {{7, 3}, kShiftR, kShiftL}},
      {"# (German, unshifted)", '#', false, {{1, 0}, kShiftR}},
      {"' (German Shift+#)", '\'', true, {{3, 0}, kShiftR, kShiftL}},
      {"section sign (German Shift+3): the table's SHIFT+3",
       0xA7,
       true,
       {{1, 0}, kShiftR, kShiftL}},
      {"Shift+Q: SHIFT+Q, no function key", 'Q', true, {{7, 6}, kShiftR, kShiftL}},
      {"Q with Caps Lock: the Q alone", 'Q', false, {{7, 6}}},
      {"q with Caps Lock and Shift: SHIFT+Q", 'q', true, {{7, 6}, kShiftR, kShiftL}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ZeroWholeMachine();
    if (c.withShift) OnSpecialKeyDown(kShiftLeft);
    OnKeyDown(c.character, c.withShift ? kShift : 0);
    ExpectPressedExactly(c.pressed);
  }
}

TEST_F(HostKeyTableTest, CharacterCodesOfSpecialEntriesReachOnlyTheMatrix) {
  HoldKey(0xB5);  // micro sign: entry 55's code, row 0 column 0
  ExpectPressedExactly({{0, 0}});
  EXPECT_EQ(C64.input.joystick.load(), 0xFF);
  HoldKey(0xB4);  // the Left entry's code: its matrix position, not the joystick
  ExpectPressedExactly({{0, 0}, {0, 2}});
  EXPECT_EQ(C64.input.joystick.load(), 0xFF);
}

TEST_F(HostKeyTableTest, UnmatchedKeysChangeNothing) {
  OnKeyDown(0xE4, 0);  // a umlaut
  OnKeyDown('{', 0);   // no C64 key types it
  OnKeyDown('~', kShift);
  ExpectPressedExactly({{6, 4}});  // only the shift rule acted
  LetMachineScan();
  OnKeyUp(0xE4, 0);
  ExpectPressedExactly({});
  EXPECT_EQ(C64.input.joystick.load(), 0xFF);
}

TEST_F(HostKeyTableTest, CursorKeysAndInsertDriveTheJoystick) {
  OnSpecialKeyDown(kLeft);
  OnSpecialKeyDown(kUp);
  EXPECT_EQ(C64.input.joystick.load(), 0xFF & ~0x04 & ~0x01);
  OnSpecialKeyDown(kRight);
  OnSpecialKeyDown(kDown);
  OnSpecialKeyDown(kInsert);
  EXPECT_EQ(C64.input.joystick.load(), 0xE0);
  ExpectPressedExactly({});  // the matrix is not touched
  LetMachineScan();
  OnSpecialKeyUp(kLeft);
  OnSpecialKeyUp(kInsert);
  EXPECT_EQ(C64.input.joystick.load(), 0xE0 | 0x04 | 0x10);
  // Only the low byte of the toolkit code counts.
  OnSpecialKeyDown(0x100 | kLeft);
  EXPECT_EQ(C64.input.joystick.load(), 0xE0 | 0x10);
}

TEST_F(HostKeyTableTest, FunctionKeysAndHomeReachTheMatrix) {
  HoldKey('A', kShift);  // SHIFT down from a character event
  HoldSpecialKey(kF1);
  HoldSpecialKey(kF3);
  HoldSpecialKey(kF7);
  HoldSpecialKey(kHome);
  ExpectPressedExactly({{6, 4}, {1, 2}, {0, 4}, {0, 5}, {0, 3}, {0, 0}});
  OnSpecialKeyUp(kF1);  // special keys leave SHIFT alone
  ExpectPressedExactly({{6, 4}, {1, 2}, {0, 5}, {0, 3}, {0, 0}});
  EXPECT_EQ(C64.input.joystick.load(), 0xFF);
}

TEST_F(HostKeyTableTest, KeysWithoutEntriesChangeNothingButTheirReleaseIsLogged) {
  for (int key : {kPageDown, kNumLock, kBegin, kSuperLeft, kSuperRight, kDeleteKey}) {
    OnSpecialKeyDown(key);
    OnSpecialKeyUp(key);
  }
  ExpectPressedExactly({});
  EXPECT_EQ(C64.input.joystick.load(), 0xFF);
  EXPECT_EQ(DebugLogLineCount(), 6u);
}

TEST_F(HostKeyTableTest, SpecialKeyReleaseLogsTheLookupCode) {
  OnSpecialKeyUp(kLeft);
  // "> B4 gedr", the u umlaut as the single Windows-1252 byte 0xFC, "ckt! <Special>".
  const std::string expected =
      "> B4 gedr\xFC"
      "ckt! <Special>\r\n";
  EXPECT_EQ(DebugLogText(), expected);
  ClearDebugLog();
  OnSpecialKeyUp(kF1);
  EXPECT_EQ(DebugLogText(),
            "> 51 gedr\xFC"
            "ckt! <Special>\r\n");
  EXPECT_EQ(DebugLogText().find("\xC3\xBC"), std::string::npos);  // not UTF-8
}

TEST_F(HostKeyTableTest, QuickTapSurvivesUntilTheMachineHasScannedIt) {
  // Down and up between two passes: the press must still be there at the next scan.
  OnKeyDown('x', 0);
  OnKeyUp('x', 0);
  ExpectPressedExactly({{2, 7}});
  NoteInterruptEntry();  // this frame's scan sees X
  ExpectPressedExactly({{2, 7}});
  NoteInterruptEntry();
  ExpectPressedExactly({});

  // A shifted tap whose release arrives after Shift is up: the capital must be scanned
  // with SHIFT, so SHIFT waits for the scan as well.
  OnKeyDown('A', kShift);
  OnKeyUp('a', 0);
  NoteInterruptEntry();
  ExpectPressedExactly({{6, 4}, {1, 2}});
  NoteInterruptEntry();
  ExpectPressedExactly({});

  OnSpecialKeyDown(kInsert);  // a tap of fire as well
  OnSpecialKeyUp(kInsert);
  EXPECT_EQ(C64.input.joystick.load(), 0xEF);
  NoteInterruptEntry();
  NoteInterruptEntry();
  EXPECT_EQ(C64.input.joystick.load(), 0xFF);
}

// Every mapping beyond the table: what one key event presses, and that its release lets
// go of it again. Character rows give the toolkit's character and modifier state as a
// German or a US keyboard delivers them.
TEST_F(HostKeyTableTest, EveryKeyBeyondTheTableReachesItsPosition) {
  constexpr MatrixPosition kShiftR = RightShiftKey;
  constexpr bool kJoystick = true, kCursor = false;
  const struct Case {
    const char* what;
    bool special;
    int code;
    int modifiers;
    KeySource source;
    bool cursorKeysAsJoystick;
    std::vector<MatrixPosition> pressed;
    std::uint8_t joystick;
  } cases[] = {
      {"?", false, '?', kShift, KeySource::kMain, kJoystick, {{6, 7}, kShiftR}, 0xFF},
      {"@ (US Shift+2)", false, '@', kShift, KeySource::kMain, kJoystick, {{5, 6}}, 0xFF},
      {"@ (German AltGr+Q)", false, '@', 0, KeySource::kMain, kJoystick, {{5, 6}}, 0xFF},
      {"< (German)", false, '<', 0, KeySource::kMain, kJoystick, {{5, 7}, kShiftR}, 0xFF},
      {">", false, '>', kShift, KeySource::kMain, kJoystick, {{5, 4}, kShiftR}, 0xFF},
      {"[ (German AltGr+8)", false, '[', 0, KeySource::kMain, kJoystick, {{5, 5}, kShiftR}, 0xFF},
      {"]", false, ']', 0, KeySource::kMain, kJoystick, {{6, 2}, kShiftR}, 0xFF},
      {"^ (US Shift+6)", false, '^', kShift, KeySource::kMain, kJoystick, {{6, 6}}, 0xFF},
      {"pound", false, 0xA3, kShift, KeySource::kMain, kJoystick, {{6, 0}}, 0xFF},
      {"backslash", false, '\\', 0, KeySource::kMain, kJoystick, {{6, 0}}, 0xFF},
      {"_", false, '_', kShift, KeySource::kMain, kJoystick, {{7, 1}}, 0xFF},
      {"# (US Shift+3)", false, '#', kShift, KeySource::kMain, kJoystick, {{1, 0}, kShiftR}, 0xFF},
      {"apostrophe (US)", false, '\'', 0, KeySource::kMain, kJoystick, {{3, 0}, kShiftR}, 0xFF},
      {"Backspace", false, 8, 0, KeySource::kMain, kJoystick, {{0, 0}}, 0xFF},
      {"Shift+Backspace", false, 8, kShift, KeySource::kMain, kJoystick, {{0, 0}, kShiftR}, 0xFF},
      {"Delete", false, 127, 0, KeySource::kMain, kJoystick, {{0, 0}, kShiftR}, 0xFF},
      {"Ctrl+3 (27, no Escape)", false, 27, kCtrl, KeySource::kMain, kJoystick, {{1, 0}}, 0xFF},
      {"Ctrl+2 (0)", false, 0, kCtrl, KeySource::kMain, kJoystick, {{7, 3}}, 0xFF},
      {"Ctrl+8 (127)", false, 127, kCtrl, KeySource::kMain, kJoystick, {{3, 3}}, 0xFF},
      {"Ctrl+A (1)", false, 1, kCtrl, KeySource::kMain, kJoystick, {{1, 2}}, 0xFF},
      {"F2", true, kF2, 0, KeySource::kMain, kJoystick, {{0, 4}, kShiftR}, 0xFF},
      {"F4", true, 4, 0, KeySource::kMain, kJoystick, {{0, 5}, kShiftR}, 0xFF},
      {"F6", true, 6, 0, KeySource::kMain, kJoystick, {{0, 6}, kShiftR}, 0xFF},
      {"F8", true, 8, 0, KeySource::kMain, kJoystick, {{0, 3}, kShiftR}, 0xFF},
      {"F9 colon", true, kF9, 0, KeySource::kMain, kJoystick, {{5, 5}}, 0xFF},
      {"F10 semicolon", true, 10, 0, KeySource::kMain, kJoystick, {{6, 2}}, 0xFF},
      {"F11 star", true, 11, 0, KeySource::kMain, kJoystick, {{6, 1}}, 0xFF},
      {"F12 plus", true, kF12, 0, KeySource::kMain, kJoystick, {{5, 0}}, 0xFF},
      {"End RUN/STOP", true, kEnd, 0, KeySource::kMain, kJoystick, {{7, 7}}, 0xFF},
      {"Page Up CLR/HOME", true, kPageUp, 0, KeySource::kMain, kJoystick, {{6, 3}}, 0xFF},
      {"left Shift", true, kShiftLeft, 0, KeySource::kMain, kJoystick, {{1, 7}}, 0xFF},
      {"right Shift", true, kShiftRight, 0, KeySource::kMain, kJoystick, {kShiftR}, 0xFF},
      {"left Ctrl", true, kCtrlLeft, 0, KeySource::kMain, kJoystick, {{7, 2}}, 0xFF},
      {"right Ctrl", true, kCtrlRight, 0, KeySource::kMain, kJoystick, {{7, 2}}, 0xFF},
      {"left Alt", true, kAltLeft, 0, KeySource::kMain, kJoystick, {{7, 5}}, 0xFF},
      {"right Alt", true, kAltRight, 0, KeySource::kMain, kJoystick, {{7, 5}}, 0xFF},
      {"keypad 8 as a digit", false, '8', 0, KeySource::kKeypad, kJoystick, {{3, 3}}, 0xFF},
      {"keypad Up as the joystick", true, kUp, 0, KeySource::kKeypad, kJoystick, {}, 0xFE},
      {"CRSR up", true, kUp, 0, KeySource::kMain, kCursor, {{0, 7}, kShiftR}, 0xFF},
      {"CRSR down", true, kDown, 0, KeySource::kMain, kCursor, {{0, 7}}, 0xFF},
      {"CRSR left", true, kLeft, 0, KeySource::kMain, kCursor, {{0, 2}, kShiftR}, 0xFF},
      {"CRSR right", true, kRight, 0, KeySource::kMain, kCursor, {{0, 2}}, 0xFF},
      {"Insert stays fire", true, kInsert, 0, KeySource::kMain, kCursor, {}, 0xEF},
      {"keypad 8 up", false, '8', 0, KeySource::kKeypad, kCursor, {}, 0xFE},
      {"keypad 2 down", false, '2', 0, KeySource::kKeypad, kCursor, {}, 0xFD},
      {"keypad 4 left", false, '4', 0, KeySource::kKeypad, kCursor, {}, 0xFB},
      {"keypad 6 right", false, '6', 0, KeySource::kKeypad, kCursor, {}, 0xF7},
      {"keypad 0 fire", false, '0', 0, KeySource::kKeypad, kCursor, {}, 0xEF},
      {"keypad Left without Num Lock", true, kLeft, 0, KeySource::kKeypad, kCursor, {}, 0xFB},
      {"keypad 5 stays a digit", false, '5', 0, KeySource::kKeypad, kCursor, {{2, 0}}, 0xFF},
      {"main 8 stays a digit", false, '8', 0, KeySource::kMain, kCursor, {{3, 3}}, 0xFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ZeroWholeMachine();
    SetCursorKeysAsJoystick(c.cursorKeysAsJoystick);
    std::uint8_t expected[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    for (const MatrixPosition& p : c.pressed) expected[p.row] &= ~(1u << p.column);
    c.special ? OnSpecialKeyDown(c.code, c.source)
              : OnKeyDown(static_cast<unsigned char>(c.code), c.modifiers, c.source);
    for (int row = 0; row < 8; ++row)
      EXPECT_EQ(C64.input.keyMatrix[row].load(), expected[row]) << row;
    EXPECT_EQ(C64.input.joystick.load(), c.joystick);
    TwoScans();
    c.special ? OnSpecialKeyUp(c.code, c.source)
              : OnKeyUp(static_cast<unsigned char>(c.code), c.modifiers, c.source);
    TwoScans();
    // A release with Shift held keeps the right SHIFT down, as every character event does.
    const std::uint8_t shiftRow = c.modifiers == kShift ? 0xEF : 0xFF;
    for (int row = 0; row < 8; ++row) {
      EXPECT_EQ(C64.input.keyMatrix[row].load(), row == kShiftR.row ? shiftRow : 0xFF)
          << "released " << row;
    }
    EXPECT_EQ(C64.input.joystick.load(), 0xFF);
  }
  SetCursorKeysAsJoystick(true);
}

TEST_F(HostKeyTableTest, EitherShiftKeyGoingUpLetsGoOfBothShifts) {
  HoldSpecialKey(kShiftLeft);
  HoldKey('A', kShift);  // the capital brings the right SHIFT
  OnKeyUp('A', kShift);
  ExpectPressedExactly({{1, 7}, {6, 4}});
  OnSpecialKeyUp(kShiftLeft);
  ExpectPressedExactly({});
  // "@" with Shift on a US keyboard is the C64's unshifted @: both SHIFTs go up for it.
  HoldSpecialKey(kShiftLeft);
  OnKeyDown('@', kShift);
  ExpectPressedExactly({{5, 6}});
}

TEST_F(HostKeyTableTest, ModifiersStayDownUntilTheKeysTypedWithThemAreScanned) {
  // Ctrl+3 tapped and Ctrl let go, all between two passes: the scan sees CTRL with the 3.
  HoldSpecialKey(kCtrlLeft);
  OnKeyDown(27, kCtrl);
  OnSpecialKeyUp(kCtrlLeft);
  OnKeyUp('3', 0);
  NoteInterruptEntry();
  ExpectPressedExactly({{7, 2}, {1, 0}});
  NoteInterruptEntry();
  ExpectPressedExactly({});
  // The same with the Commodore key held by Alt and a letter still held when Alt goes up.
  HoldSpecialKey(kAltLeft);
  OnKeyDown('d', kAlt);
  OnSpecialKeyUp(kAltLeft);
  NoteInterruptEntry();
  ExpectPressedExactly({{7, 5}, {2, 2}});
  NoteInterruptEntry();
  ExpectPressedExactly({{2, 2}});
}

TEST_F(HostKeyTableTest, AKnownKeysReleaseLetsGoOfWhatItsPressPressed) {
  // With Shift let go first, " (Shift+' on a US keyboard) comes up as ' and the German
  // Shift+7 (/) as 7: the release of the same physical key still lets go of the 2, and of
  // the 7 and the /.
  const struct {
    unsigned char down;
    unsigned char up;
  } cases[] = {{'"', '\''}, {'/', '7'}, {'?', '/'}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(1, static_cast<char>(c.down)));
    ZeroWholeMachine();
    OnKeyDown(c.down, kShift, {KeySource::kMain, 48});
    TwoScans();
    OnKeyUp(c.up, 0, {KeySource::kMain, 48});
    TwoScans();
    ExpectPressedExactly({});
  }
}

TEST_F(HostKeyTableTest, SwitchingTheCursorKeysLetsGoOfEveryKey) {
  HoldSpecialKey(kUp);
  HoldKey('a');
  SetCursorKeysAsJoystick(false);
  ExpectPressedExactly({});
  EXPECT_EQ(C64.input.joystick.load(), 0xFF);
  EXPECT_FALSE(CursorKeysAsJoystick());
  SetCursorKeysAsJoystick(true);
}

// The window lost the focus: what PC keys hold goes up (their releases go elsewhere),
// what the autostart holds stays.
TEST_F(HostKeyTableTest, FocusLossLetsGoOfWhatPcKeysHoldButNotTheAutostartsKeys) {
  PressMatrixKey(2, 1);  // R, held by the autostart
  OnKeyDown('"', kShift, {KeySource::kMain, 48});
  LetMachineScan();
  HoldSpecialKey(kF1);
  HoldSpecialKey(kLeft);
  ReleaseHostKeys();
  TwoScans();
  ExpectPressedExactly({{2, 1}});
  EXPECT_EQ(C64.input.joystick.load(), 0xFF);
}

TEST(HostKeyTableDeathTest, EscapeEndsTheProgramWithStatusOne) {
  EXPECT_EXIT(OnKeyDown(27, 0), ::testing::ExitedWithCode(1), "");
}

}  // namespace
