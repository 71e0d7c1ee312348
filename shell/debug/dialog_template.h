// The "Debug Info" window's template: every control with its ID, kind, caption and
// position in dialog units. The dialog is built from this table, so the layout is data
// that tests can check against the window.
#pragma once

#include <array>

namespace shell {

namespace debug_dialog {

inline constexpr const char* kCaption = "Debug Info";
inline constexpr int kWidthDlu = 486;
inline constexpr int kHeightDlu = 351;
// The template's font, "MS Shell Dlg" at 8 pt; where that face is missing the
// toolkit's default sans-serif face of the same size stands in.
inline constexpr const char* kFontFamily = "MS Shell Dlg";
inline constexpr int kFontPointSize = 8;

// Controls without an ID (group boxes and the static text).
inline constexpr int kNoId = -1;

// Control IDs.
enum ControlId : int {
  kLogBox = 1000,
  kButton1 = 1003,
  kStopRunButton = 1005,
  kDumpBox = 1006,
  kStepButton = 1007,
  kProgramCounterBox = 1008,
  kStackBox = 1010,
  kRegXBox = 1011,
  kRegYBox = 1012,
  kRegABox = 1013,
  kStackPointerBox = 1014,
  kFlagNBox = 1015,
  kFlagZBox = 1016,
  kFlagVBox = 1017,
  kFlagCBox = 1018,
  kFlagIBox = 1019,
  kFramesPerSecondBox = 1020,
  kSpeedLimitBox = 1021,
  kStepCountBox = 1023,
  kResetButton = 1024,
  kTextModeBox = 1026,
  kBankDownButton = 1027,
  kBitmapModeBox = 1028,
  kMulticolourModeBox = 1029,
  kBankBox = 1030,
  kCharBaseBox = 1031,
  kScreenBox = 1032,
  kBankUpButton = 1033,
  kCharBaseDownButton = 1034,
  kCharBaseUpButton = 1035,
  kBankFollowButton = 1036,
  kCharBaseFollowButton = 1037,
  kScreenDownButton = 1038,
  kScreenUpButton = 1039,
  kScreenFollowButton = 1040,
  kForceTextButton = 1041,
  kForceBitmapButton = 1042,
  kForceMulticolourButton = 1043,
  kModelBox = 1044,
  kDisassemblyBox = 1045,
  kBreakpointList = 1046,
  kBreakpointAddressBox = 1047,
  kAddBreakpointButton = 1048,
  kRemoveBreakpointButton = 1049,
};

enum class ControlKind {
  kGroupBox,
  kStaticText,
  kReadOnlyBox,   // single-line text box the user cannot edit
  kEditableBox,   // single-line text box with a border (the step count)
  kMultiLineBox,  // read-only, several lines, vertical scroll bar
  kPushButton,
  kCheckBox,
  kHiddenDefaultButton,
  kListBox,  // a list of lines, one selectable at a time
};

// How a control follows the window when it is made larger than the template: the debug
// output and the memory dump share the extra height and take all the extra width, the
// right-hand column moves with the right edge.
enum class Growth {
  kFixed,
  kUpperHalf,    // wider, and taller by half the extra height
  kLowerHalf,    // wider, down by half the extra height and taller by the rest
  kRight,        // moves right
  kRightTaller,  // moves right, and taller by all the extra height
};

struct ControlTemplate {
  int id;
  ControlKind kind;
  const char* caption;
  int x, y, width, height;  // dialog units
  Growth growth = Growth::kFixed;
};

// The group boxes around the single fields frame each box as the template's own
// "Prorgamm Counter" group frames box 1008: 4 to 5 units to the left, 10 above.
inline constexpr std::array kControls = {
    ControlTemplate{kNoId, ControlKind::kGroupBox, "Frames per second", 9, 8, 217, 24},
    ControlTemplate{kFramesPerSecondBox, ControlKind::kReadOnlyBox, "", 14, 18, 40, 12},
    ControlTemplate{kModelBox, ControlKind::kReadOnlyBox, "", 58, 18, 60, 12},
    ControlTemplate{kSpeedLimitBox, ControlKind::kCheckBox, "limit to original C64 Speed", 123, 17,
                    98, 10},
    ControlTemplate{kStopRunButton, ControlKind::kPushButton, "Stop", 235, 13, 51, 64},
    ControlTemplate{kStepCountBox, ControlKind::kEditableBox, "", 288, 13, 35, 16},
    ControlTemplate{kStepButton, ControlKind::kPushButton, ">", 288, 31, 37, 46},

    ControlTemplate{kNoId, ControlKind::kGroupBox, "Prorgamm Counter", 9, 38, 70, 24},
    ControlTemplate{kProgramCounterBox, ControlKind::kReadOnlyBox, "", 13, 48, 61, 12},
    ControlTemplate{kNoId, ControlKind::kGroupBox, "RegX", 84, 38, 32, 24},
    ControlTemplate{kRegXBox, ControlKind::kReadOnlyBox, "", 88, 48, 24, 12},
    ControlTemplate{kNoId, ControlKind::kGroupBox, "RegY", 122, 38, 32, 24},
    ControlTemplate{kRegYBox, ControlKind::kReadOnlyBox, "", 126, 48, 24, 12},
    ControlTemplate{kNoId, ControlKind::kGroupBox, "RegA", 160, 38, 32, 24},
    ControlTemplate{kRegABox, ControlKind::kReadOnlyBox, "", 164, 48, 24, 12},
    ControlTemplate{kNoId, ControlKind::kGroupBox, "SP", 193, 38, 32, 24},
    ControlTemplate{kStackPointerBox, ControlKind::kReadOnlyBox, "", 197, 48, 24, 12},

    ControlTemplate{kNoId, ControlKind::kGroupBox, "Flag_N", 9, 65, 34, 24},
    ControlTemplate{kFlagNBox, ControlKind::kReadOnlyBox, "", 14, 75, 24, 12},
    ControlTemplate{kNoId, ControlKind::kGroupBox, "Flag_Z", 55, 65, 34, 24},
    ControlTemplate{kFlagZBox, ControlKind::kReadOnlyBox, "", 60, 75, 24, 12},
    ControlTemplate{kNoId, ControlKind::kGroupBox, "Flag_V", 101, 65, 34, 24},
    ControlTemplate{kFlagVBox, ControlKind::kReadOnlyBox, "", 106, 75, 24, 12},
    ControlTemplate{kNoId, ControlKind::kGroupBox, "Flag_C", 147, 65, 34, 24},
    ControlTemplate{kFlagCBox, ControlKind::kReadOnlyBox, "", 152, 75, 24, 12},
    ControlTemplate{kNoId, ControlKind::kGroupBox, "Flag_I", 193, 65, 34, 24},
    ControlTemplate{kFlagIBox, ControlKind::kReadOnlyBox, "", 198, 75, 24, 12},
    ControlTemplate{kResetButton, ControlKind::kPushButton, "Reset", 236, 78, 89, 11},

    ControlTemplate{kNoId, ControlKind::kGroupBox, "TextMode", 10, 99, 42, 26},
    ControlTemplate{kTextModeBox, ControlKind::kReadOnlyBox, "", 15, 109, 32, 14},
    ControlTemplate{kNoId, ControlKind::kGroupBox, "BMPMode", 56, 99, 42, 26},
    ControlTemplate{kBitmapModeBox, ControlKind::kReadOnlyBox, "", 61, 109, 32, 14},
    ControlTemplate{kNoId, ControlKind::kGroupBox, "MCMMode", 103, 99, 42, 26},
    ControlTemplate{kMulticolourModeBox, ControlKind::kReadOnlyBox, "", 108, 109, 32, 14},
    ControlTemplate{kNoId, ControlKind::kGroupBox, "VIC Bank", 151, 99, 42, 26},
    ControlTemplate{kBankBox, ControlKind::kReadOnlyBox, "", 156, 109, 32, 14},
    ControlTemplate{kNoId, ControlKind::kGroupBox, "Base Add.", 194, 99, 42, 26},
    ControlTemplate{kCharBaseBox, ControlKind::kReadOnlyBox, "", 199, 109, 32, 14},
    ControlTemplate{kNoId, ControlKind::kGroupBox, "Scr.-Mem.", 240, 99, 42, 26},
    ControlTemplate{kScreenBox, ControlKind::kReadOnlyBox, "", 245, 109, 32, 14},

    ControlTemplate{kForceTextButton, ControlKind::kPushButton, "Force!", 9, 127, 41, 9},
    ControlTemplate{kForceBitmapButton, ControlKind::kPushButton, "Force!", 55, 127, 41, 9},
    ControlTemplate{kForceMulticolourButton, ControlKind::kPushButton, "Force!", 102, 127, 41, 9},
    ControlTemplate{kBankDownButton, ControlKind::kPushButton, "<", 148, 127, 13, 9},
    ControlTemplate{kBankFollowButton, ControlKind::kPushButton, "D", 161, 127, 13, 9},
    ControlTemplate{kBankUpButton, ControlKind::kPushButton, ">", 175, 127, 13, 9},
    ControlTemplate{kCharBaseDownButton, ControlKind::kPushButton, "<", 193, 127, 13, 9},
    ControlTemplate{kCharBaseFollowButton, ControlKind::kPushButton, "D", 207, 127, 13, 9},
    ControlTemplate{kCharBaseUpButton, ControlKind::kPushButton, ">", 221, 127, 13, 9},
    ControlTemplate{kScreenDownButton, ControlKind::kPushButton, "<", 239, 127, 13, 9},
    ControlTemplate{kScreenFollowButton, ControlKind::kPushButton, "D", 253, 127, 13, 9},
    ControlTemplate{kScreenUpButton, ControlKind::kPushButton, ">", 267, 127, 13, 9},

    ControlTemplate{kNoId, ControlKind::kGroupBox, "Stack", 9, 136, 317, 29},
    ControlTemplate{kNoId, ControlKind::kStaticText, "0x1FF", 14, 149, 21, 8},
    ControlTemplate{kStackBox, ControlKind::kReadOnlyBox, "", 35, 149, 283, 14},

    ControlTemplate{kNoId, ControlKind::kGroupBox, "Debug Output", 7, 167, 319, 94,
                    Growth::kUpperHalf},
    ControlTemplate{kLogBox, ControlKind::kMultiLineBox, "", 15, 177, 303, 78, Growth::kUpperHalf},

    ControlTemplate{kNoId, ControlKind::kGroupBox, "Memory Dump", 7, 266, 319, 74,
                    Growth::kLowerHalf},
    ControlTemplate{kDumpBox, ControlKind::kMultiLineBox, "", 14, 277, 305, 56, Growth::kLowerHalf},

    // The right-hand column: sixteen instructions around PC, and the breakpoints.
    ControlTemplate{kNoId, ControlKind::kGroupBox, "Disassembly", 330, 8, 150, 196, Growth::kRight},
    ControlTemplate{kDisassemblyBox, ControlKind::kMultiLineBox, "", 335, 18, 140, 180,
                    Growth::kRight},
    ControlTemplate{kNoId, ControlKind::kGroupBox, "Breakpoints", 330, 208, 150, 132,
                    Growth::kRightTaller},
    ControlTemplate{kBreakpointList, ControlKind::kListBox, "", 335, 219, 80, 115,
                    Growth::kRightTaller},
    ControlTemplate{kBreakpointAddressBox, ControlKind::kEditableBox, "", 420, 219, 55, 14,
                    Growth::kRight},
    ControlTemplate{kAddBreakpointButton, ControlKind::kPushButton, "Add", 420, 237, 55, 14,
                    Growth::kRight},
    ControlTemplate{kRemoveBreakpointButton, ControlKind::kPushButton, "Remove", 420, 255, 55, 14,
                    Growth::kRight},

    // The template's hidden default button; it has no function.
    ControlTemplate{kButton1, ControlKind::kHiddenDefaultButton, "Button1", 0, 0, 50, 14},
};

}  // namespace debug_dialog

}  // namespace shell
