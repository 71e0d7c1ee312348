// The display window under a private X server: the picture as drawn (2 x 2 window pixels
// per emulated pixel, row 0 at the top, palette colours), the accurate machine's whole
// picture with its border fitted to the window between black bars and the View menu's
// sizes, the keyboard glue through real
// X key events (the German shifted digits, Shift+Space, the special keys reaching
// C64.input.joystick, the release log line), and the reporting of X errors on the window's
// connection while Qt's own error handler is installed.
#include <gtest/gtest.h>

// Qt's headers before Xlib's, which defines macros such as Bool and Status.
#include <QApplication>
#include <chrono>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <thread>

#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include "core/debug_log.h"
#include "core/machine.h"
#include "input/host_key_table.h"
#include "input/key_matrix.h"
#include "platform/qt/x11_session.h"
#include "private_x_server.h"
#include "shell/desktop/main_dialog.h"
#include "tests/support/test_machine.h"
#include "video/display/display_window.h"
#include "video/display/window_view.h"
#include "video/frame_buffer.h"
#include "video/raster_line_renderer.h"

using namespace platform;
using namespace core;
using namespace video;
using namespace input;

namespace {

bool Pressed(int row, int column) {
  return (C64.input.keyMatrix[row].load() & (1 << column)) == 0;
}
bool JoystickPressed(int bit) {
  return (C64.input.joystick.load() & (1 << bit)) == 0;
}

// One window for the whole program: freeglut can be initialised only once.
class DisplayWindowTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    server_ = std::make_unique<PrivateXServer>();
    ASSERT_TRUE(server_->Running()) << "Xvfb did not start";
    InitialiseXlib();
    static int argc = 1;
    static char name[] = "display_window_test";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "xcb");
    // Never destroyed: Qt's own static data is gone by the time static objects are.
    application_ = new QApplication(argc, argv);
    InstallX11ErrorReporting();

    ZeroWholeMachine();
    // The machine stays stopped: every pass returns at once and the tests own the matrix.
    C64.run.emulationRunning.store(0);
    CreateDisplayWindow();
    glutDisplay_ = glXGetCurrentDisplay();

    probe_ = XOpenDisplay(server_->DisplayName().c_str());
    ASSERT_NE(probe_, nullptr);
    window_ = FindWindowNamed(DefaultRootWindow(probe_), "Emulator");
    ASSERT_NE(window_, 0u) << "no window titled Emulator";
    PumpUntil([] {
      XWindowAttributes attributes;
      XGetWindowAttributes(probe_, window_, &attributes);
      return attributes.map_state == IsViewable;
    });
  }

  static void TearDownTestSuite() {
    if (probe_ != nullptr) XCloseDisplay(probe_);
  }

  void SetUp() override {
    ReleaseAllKeys();
    ClearDebugLog();
    XSetInputFocus(probe_, window_, RevertToParent, CurrentTime);
    XSync(probe_, False);
  }

  static Window FindWindowNamed(Window parent, const char* wanted) {
    Window root;
    Window parentOut;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(probe_, parent, &root, &parentOut, &children, &count)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && found == 0; ++i) {
      char* title = nullptr;
      if (XFetchName(probe_, children[i], &title) && title != nullptr) {
        if (std::strcmp(title, wanted) == 0) found = children[i];
        XFree(title);
      }
      if (found == 0) found = FindWindowNamed(children[i], wanted);
    }
    if (children != nullptr) XFree(children);
    return found;
  }

  // Lets the toolkit deliver events until the condition holds (or two seconds pass).
  static bool PumpUntil(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < deadline) {
      ProcessDisplayWindowEvents();
      if (condition()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return condition();
  }

  static KeyCode Code(KeySym symbol) { return XKeysymToKeycode(probe_, symbol); }

  static std::pair<int, int> WindowSize() {
    XWindowAttributes attributes;
    XGetWindowAttributes(probe_, window_, &attributes);
    return {attributes.width, attributes.height};
  }

  // The window as drawn: its palette colour at window pixel (wx, wy) from the top left,
  // -1 for a colour outside the palette.
  struct WindowPicture {
    int width;
    int height;
    std::vector<std::uint8_t> rgb;
    int ColourAt(int wx, int wy) const {
      // OpenGL counts rows from the bottom.
      const std::uint8_t* p = &rgb[((height - 1 - wy) * width + wx) * 3];
      for (int i = 0; i < 16; ++i) {
        if (Palette[i].red == p[0] && Palette[i].green == p[1] && Palette[i].blue == p[2]) {
          return i;
        }
      }
      return -1;
    }
  };
  static WindowPicture ReadWindow(int width, int height) {
    glFinish();
    WindowPicture picture{width, height, std::vector<std::uint8_t>(width * height * 3)};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_FRONT);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, picture.rgb.data());
    return picture;
  }

  static void Key(KeyCode code, bool down) {
    XTestFakeKeyEvent(probe_, code, down ? True : False, CurrentTime);
    XSync(probe_, False);
  }

  // Gives the key of the digit 3 the German layout's second level, the section sign.
  static void UseGermanDigitThree() {
    const KeyCode three = Code(XK_3);
    KeySym symbols[2] = {XK_3, XK_section};
    XChangeKeyboardMapping(probe_, three, 2, symbols, 1);
    XSync(probe_, False);
    // The toolkit learns of the new mapping through a MappingNotify event.
    PumpUntil([] { return false; });
  }

  // Two frame interrupts: the first sees the press, the second applies the release.
  static void TwoInterrupts() {
    NoteInterruptEntry();
    NoteInterruptEntry();
  }

  static std::unique_ptr<PrivateXServer> server_;
  static QApplication* application_;
  static Display* probe_;
  static Display* glutDisplay_;
  static Window window_;
};

std::unique_ptr<PrivateXServer> DisplayWindowTest::server_;
QApplication* DisplayWindowTest::application_ = nullptr;
Display* DisplayWindowTest::probe_ = nullptr;
Display* DisplayWindowTest::glutDisplay_ = nullptr;
Window DisplayWindowTest::window_ = 0;

TEST_F(DisplayWindowTest, OpensAt640By400WithItsTitle) {
  XWindowAttributes attributes;
  XGetWindowAttributes(probe_, window_, &attributes);
  EXPECT_EQ(attributes.width, 640);
  EXPECT_EQ(attributes.height, 400);
}

TEST_F(DisplayWindowTest, EachEmulatedPixelIsA2By2SquareWithRowZeroAtTheTop) {
  std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), 6u);
  FrameBuffer[0] = 1;                   // column 0, row 0: top left
  FrameBuffer[199] = 2;                 // column 0, row 199: bottom left
  FrameBuffer[200] = 7;                 // column 1, row 0: right of entry 0
  FrameBuffer[63999] = 5;               // column 319, row 199: bottom right
  FrameBuffer[160 * 200 + 100] = 0x1E;  // above 15: shown through its low four bits
  DrawFrameBuffer();
  glFinish();
  std::vector<std::uint8_t> pixels(640 * 400 * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_FRONT);
  glReadPixels(0, 0, 640, 400, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
  // OpenGL counts rows from the bottom; window row wy is read-back row 399 - wy.
  const auto colourAt = [&pixels](int wx, int wy) {
    const std::uint8_t* p = &pixels[((399 - wy) * 640 + wx) * 3];
    for (int i = 0; i < 16; ++i) {
      if (Palette[i].red == p[0] && Palette[i].green == p[1] && Palette[i].blue == p[2]) return i;
    }
    return -1;
  };
  const auto expectSquare = [&colourAt](int x, int y, int colour) {
    for (int dy = 0; dy < 2; ++dy) {
      for (int dx = 0; dx < 2; ++dx) {
        EXPECT_EQ(colourAt(2 * x + dx, 2 * y + dy), colour) << "emulated pixel " << x << "," << y;
      }
    }
  };
  expectSquare(0, 0, 1);
  expectSquare(0, 199, 2);
  expectSquare(1, 0, 7);
  expectSquare(319, 199, 5);
  expectSquare(160, 100, 14);
  expectSquare(0, 1, 6);
  expectSquare(2, 0, 6);
  expectSquare(318, 199, 6);
}

// A classic picture's changes drawn into the waits between frames: a wait already over
// still draws one column, so drawing always moves on; columns are drawn in turn from
// where the last drawing stopped, also when a newer picture comes first; a lost window
// gets every pixel; only the display thread draws, and the accurate machine drops what
// is due.
TEST_F(DisplayWindowTest, AClassicPicturesChangesAreDrawnAColumnPerWaitAtLeastAndEachInTurn) {
  C64.model = MachineModel::kClassic;
  RequestWindowScale(2);
  ASSERT_TRUE(PumpUntil([] { return WindowSize() == std::pair{640, 400}; }));
  PumpUntil([] { return false; });
  std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), 6u);
  DrawFrameBuffer();
  EXPECT_FALSE(FrameBufferDiffersFromShown());
  // Emulated pixel (x, y) is window pixel (2x, 2y); one change in each of three columns,
  // over 100 columns apart, so that 150 columns in turn hold at most two of them.
  const std::pair<int, int> changed[] = {{0, 5}, {107, 50}, {213, 199}};
  const auto change = [&changed](std::uint32_t colour) {
    for (const auto& [x, y] : changed) FrameBuffer[x * kScreenHeight + y] = colour;
  };
  const auto shownCount = [&changed](int colour) {
    const WindowPicture shown = ReadWindow(640, 400);
    int count = 0;
    for (const auto& [x, y] : changed) count += shown.ColourAt(2 * x, 2 * y) == colour ? 1 : 0;
    return count;
  };
  change(1);
  EXPECT_TRUE(FrameBufferDiffersFromShown());
  DrawFrameBufferChangesLater();

  // Another thread (the debug window running a pass) never draws.
  bool doneElsewhere = true;
  std::thread([&doneElsewhere] { doneElsewhere = DrawFrameBufferChangesBefore(0); }).join();
  EXPECT_FALSE(doneElsewhere);
  EXPECT_EQ(shownCount(1), 0);

  // Waits already over: 150 columns, one each, then a newer picture before the rest.
  for (int wait = 0; wait < 150; ++wait) ASSERT_FALSE(DrawFrameBufferChangesBefore(0));
  const int drawnEarly = shownCount(1);
  EXPECT_GE(drawnEarly, 1);
  EXPECT_LE(drawnEarly, 2);
  change(2);
  DrawFrameBufferChangesLater();
  // The 170 columns not yet drawn come first: each column that showed no change before
  // shows the newer picture's after them; the 150 drawn before get theirs last.
  for (int wait = 0; wait < 170; ++wait) ASSERT_FALSE(DrawFrameBufferChangesBefore(0));
  EXPECT_EQ(shownCount(2), 3 - drawnEarly);
  for (int wait = 0; wait < 149; ++wait) ASSERT_FALSE(DrawFrameBufferChangesBefore(0));
  EXPECT_TRUE(DrawFrameBufferChangesBefore(0));
  EXPECT_EQ(shownCount(2), 3);
  EXPECT_FALSE(FrameBufferDiffersFromShown());

  // A time still to come draws everything due at once.
  change(7);
  DrawFrameBufferChangesLater();
  EXPECT_TRUE(DrawFrameBufferChangesBefore(std::numeric_limits<std::int64_t>::max()));
  EXPECT_EQ(shownCount(7), 3);

  // A window that lost its picture (cleared to black here) gets every pixel again, also
  // those that are the same as before.
  glViewport(0, 0, 640, 400);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  ForgetPictureOnWindow();
  EXPECT_TRUE(FrameBufferDiffersFromShown());
  DrawFrameBufferChangesLater();
  FinishDrawingFrameBuffer();
  EXPECT_EQ(ReadWindow(640, 400).ColourAt(2 * 300, 2 * 100), 6);
  EXPECT_EQ(shownCount(7), 3);

  // The accurate machine's picture fills the window instead: nothing more is drawn.
  change(5);
  DrawFrameBufferChangesLater();
  C64.model = MachineModel::kAccurate;
  EXPECT_TRUE(DrawFrameBufferChangesBefore(0));
  C64.model = MachineModel::kClassic;
  EXPECT_TRUE(DrawFrameBufferChangesBefore(0));
  EXPECT_EQ(shownCount(7), 3);
}

// The accurate machine's picture: a light blue border, blue display area, white at the
// display area's top-left pixel and yellow at its bottom-right one.
void FillLinePicture() {
  for (int y = 0; y < kPictureHeight; ++y) {
    for (int x = 0; x < kPictureWidth; ++x) {
      const bool display = x >= 32 && x < 352 && y >= 35 && y < 235;
      ShownPicture.pixels[y][x] = display ? 6 : 14;
    }
  }
  ShownPicture.pixels[35][32] = 1;
  ShownPicture.pixels[234][351] = 7;
}

TEST_F(DisplayWindowTest, TheAccurateMachineShowsItsWholePictureAndKeepsItsShapeBetweenBars) {
  C64.model = MachineModel::kAccurate;
  FillLinePicture();
  RequestWindowScale(2);
  ASSERT_TRUE(PumpUntil([] { return WindowSize() == std::pair{768, 544}; }));
  PumpUntil([] { return false; });  // the reshape reaches the window's callback
  DrawMachinePicture();
  {
    SCOPED_TRACE("768 x 544: each picture pixel 2 x 2");
    const WindowPicture shown = ReadWindow(768, 544);
    for (const auto& [wx, wy] : {std::pair{0, 0}, {767, 0}, {0, 543}, {767, 543}, {63, 70}}) {
      EXPECT_EQ(shown.ColourAt(wx, wy), 14) << "border at " << wx << "," << wy;
    }
    EXPECT_EQ(shown.ColourAt(64, 70), 1);
    EXPECT_EQ(shown.ColourAt(65, 71), 1);
    EXPECT_EQ(shown.ColourAt(66, 70), 6);
    EXPECT_EQ(shown.ColourAt(703, 469), 7);
    EXPECT_EQ(shown.ColourAt(704, 469), 14);
    EXPECT_EQ(shown.ColourAt(703, 470), 14);
  }

  // A wide window: the picture 400 high and 400 * 384 / 272 = 565 wide, centred between
  // bars of 217 and 218 pixels.
  XResizeWindow(probe_, window_, 1000, 400);
  XSync(probe_, False);
  ASSERT_TRUE(PumpUntil([] { return WindowSize() == std::pair{1000, 400}; }));
  PumpUntil([] { return false; });
  DrawMachinePicture();
  {
    SCOPED_TRACE("1000 x 400: bars left and right");
    const WindowPicture shown = ReadWindow(1000, 400);
    for (const int wy : {0, 200, 399}) {
      EXPECT_EQ(shown.ColourAt(0, wy), 0) << wy;
      EXPECT_EQ(shown.ColourAt(215, wy), 0) << wy;
      EXPECT_EQ(shown.ColourAt(219, wy), 14) << wy;
      EXPECT_EQ(shown.ColourAt(780, wy), 14) << wy;
      EXPECT_EQ(shown.ColourAt(784, wy), 0) << wy;
      EXPECT_EQ(shown.ColourAt(999, wy), 0) << wy;
    }
    // The display area's corners at picture x 32 and 351, rows 35 and 234.
    EXPECT_EQ(shown.ColourAt(217 + 32 * 565 / 384 + 1, 35 * 400 / 272 + 1), 1);
    EXPECT_EQ(shown.ColourAt(217 + 351 * 565 / 384 + 1, 234 * 400 / 272 + 1), 7);
    EXPECT_EQ(shown.ColourAt(500, 200), 6);
  }
  C64.model = MachineModel::kClassic;
  XResizeWindow(probe_, window_, 640, 400);
  XSync(probe_, False);
  PumpUntil([] { return WindowSize() == std::pair{640, 400}; });
}

TEST_F(DisplayWindowTest, TheViewMenusSizeItemsMakeTheWindowMultiplesOfThePicture) {
  shell::CMainDialog dialog;
  const auto choose = [&dialog](int scale) {
    dialog.OnCommand(shell::CMainDialog::kViewSize1x + scale - 1);
  };
  C64.model = MachineModel::kAccurate;
  for (int scale = 1; scale <= 4; ++scale) {
    choose(scale);
    EXPECT_TRUE(PumpUntil([scale] {
      return WindowSize() == std::pair{scale * 384, scale * 272};
    })) << scale
        << "x: " << WindowSize().first << " x " << WindowSize().second;
  }
  C64.model = MachineModel::kClassic;
  choose(1);
  EXPECT_TRUE(PumpUntil([] { return WindowSize() == std::pair{320, 200}; }));
  choose(2);
  EXPECT_TRUE(PumpUntil([] { return WindowSize() == std::pair{640, 400}; }));
}

// Without a window manager freeglut makes the window as large as the screen (Xvfb's is
// 1024 x 768) and gives it back its size after.
TEST_F(DisplayWindowTest, NumLockAndTheViewMenusFullscreenSwitchFullscreenOnAndOff) {
  shell::CMainDialog dialog;
  const std::pair<int, int> before = WindowSize();
  const std::pair<int, int> screen{DisplayWidth(probe_, DefaultScreen(probe_)),
                                   DisplayHeight(probe_, DefaultScreen(probe_))};
  ASSERT_NE(before, screen);
  struct Toggle {
    const char* what;
    std::function<void()> toggle;
  };
  const Toggle toggles[] = {
      {"Num Lock",
       [] {
         Key(Code(XK_Num_Lock), true);
         Key(Code(XK_Num_Lock), false);
       }},
      {"View menu", [&dialog] { dialog.OnCommand(shell::CMainDialog::kViewFullScreen); }},
  };
  for (const auto& [what, toggle] : toggles) {
    SCOPED_TRACE(what);
    toggle();
    EXPECT_TRUE(PumpUntil([&screen] { return WindowSize() == screen; }));
    for (int row = 0; row < 8; ++row) {
      EXPECT_EQ(C64.input.keyMatrix[row].load(), 0xFF) << "row " << row;
    }
    toggle();
    EXPECT_TRUE(PumpUntil([&before] { return WindowSize() == before; }));
  }
}

TEST_F(DisplayWindowTest, ShiftedDigitThreeOfTheGermanLayoutPressesThreeAndRightShift) {
  UseGermanDigitThree();
  Key(Code(XK_Shift_L), true);
  Key(Code(XK_3), true);
  EXPECT_TRUE(PumpUntil([] { return Pressed(1, 0); }));
  EXPECT_TRUE(Pressed(RightShiftKey.row, RightShiftKey.column));

  // Released after Shift is already up: arrives as 3 and releases 3 and RightShift.
  Key(Code(XK_Shift_L), false);
  Key(Code(XK_3), false);
  PumpUntil([] { return false; });
  EXPECT_TRUE(Pressed(1, 0)) << "a release waits until an interrupt has seen the press";
  TwoInterrupts();
  EXPECT_FALSE(Pressed(1, 0));
  EXPECT_FALSE(Pressed(RightShiftKey.row, RightShiftKey.column));
}

TEST_F(DisplayWindowTest, ShiftedSevenGivesTheSlashKeyAlone) {
  // Shift+7 arrives as /: the C64's / key, without the 7 and without either SHIFT.
  const KeyCode seven = Code(XK_7);
  KeySym symbols[2] = {XK_7, XK_slash};
  XChangeKeyboardMapping(probe_, seven, 2, symbols, 1);
  XSync(probe_, False);
  PumpUntil([] { return false; });
  Key(Code(XK_Shift_L), true);
  Key(seven, true);
  EXPECT_TRUE(PumpUntil([] { return Pressed(6, 7); }));
  EXPECT_FALSE(Pressed(3, 0));
  EXPECT_FALSE(Pressed(RightShiftKey.row, RightShiftKey.column));
  EXPECT_FALSE(Pressed(1, 7));  // the left SHIFT, which the PC's Shift holds
  Key(seven, false);
  Key(Code(XK_Shift_L), false);
  PumpUntil([] { return false; });
}

TEST_F(DisplayWindowTest, ShiftSpacePressesSpaceAlone) {
  Key(Code(XK_Shift_L), true);
  Key(Code(XK_space), true);
  EXPECT_TRUE(PumpUntil([] { return Pressed(7, 4); }));
  EXPECT_FALSE(Pressed(5, 7));
  EXPECT_FALSE(Pressed(RightShiftKey.row, RightShiftKey.column));
  Key(Code(XK_space), false);
  Key(Code(XK_Shift_L), false);
  PumpUntil([] { return false; });
  TwoInterrupts();
  EXPECT_FALSE(Pressed(7, 4));
  EXPECT_FALSE(Pressed(5, 7));
}

TEST_F(DisplayWindowTest, UnshiftedLetterReleasesRightShift) {
  PressMatrixKey(RightShiftKey.row, RightShiftKey.column);
  NoteInterruptEntry();
  Key(Code(XK_a), true);
  EXPECT_TRUE(PumpUntil([] { return Pressed(1, 2); }));
  Key(Code(XK_a), false);
  PumpUntil([] { return false; });
  TwoInterrupts();
  EXPECT_FALSE(Pressed(RightShiftKey.row, RightShiftKey.column));
  EXPECT_FALSE(Pressed(1, 2));
}

// Another window takes the focus while keys are down: their releases go there, so the
// window lets go of them itself.
TEST_F(DisplayWindowTest, LosingTheFocusLetsGoOfTheKeysHeldDown) {
  Key(Code(XK_a), true);
  Key(Code(XK_Left), true);
  ASSERT_TRUE(PumpUntil([] { return Pressed(1, 2) && JoystickPressed(2); }));
  XSetInputFocus(probe_, DefaultRootWindow(probe_), RevertToParent, CurrentTime);
  XSync(probe_, False);
  EXPECT_TRUE(PumpUntil([] {
    TwoInterrupts();
    return !Pressed(1, 2) && C64.input.joystick.load() == 0xFF;
  }));
  Key(Code(XK_a), false);
  Key(Code(XK_Left), false);
  PumpUntil([] { return false; });
}

TEST_F(DisplayWindowTest, CursorKeysAndInsertDriveTheJoystickNotTheMatrix) {
  Key(Code(XK_Left), true);
  Key(Code(XK_Up), true);
  EXPECT_TRUE(PumpUntil([] { return JoystickPressed(2) && JoystickPressed(0); }));
  Key(Code(XK_Insert), true);
  EXPECT_TRUE(PumpUntil([] { return JoystickPressed(4); }));
  for (int row = 0; row < 8; ++row)
    EXPECT_EQ(C64.input.keyMatrix[row].load(), 0xFF) << "row " << row;

  Key(Code(XK_Left), false);
  Key(Code(XK_Up), false);
  Key(Code(XK_Insert), false);
  PumpUntil([] { return DebugLogLineCount() >= 3; });
  TwoInterrupts();
  EXPECT_EQ(C64.input.joystick.load(), 0xFF);
}

TEST_F(DisplayWindowTest, ReleasingASpecialKeyLogsItsCodeWithTheWindows1252UUmlaut) {
  Key(Code(XK_Left), true);
  Key(Code(XK_Left), false);
  ASSERT_TRUE(PumpUntil([] { return DebugLogLineCount() >= 1; }));
  EXPECT_EQ(DebugLogText(),
            "> B4 gedr\xFC"
            "ckt! <Special>\r\n");
}

TEST_F(DisplayWindowTest, HomePressesInstDelInTheMatrix) {
  Key(Code(XK_Home), true);
  EXPECT_TRUE(PumpUntil([] { return Pressed(0, 0); }));
  EXPECT_EQ(C64.input.joystick.load(), 0xFF);
  Key(Code(XK_Home), false);
  PumpUntil([] { return false; });
}

TEST_F(DisplayWindowTest, TheKeypadIsTheJoystickWhenTheCursorKeysAreTheCursor) {
  SetCursorKeysAsJoystick(false);
  const KeyCode keypad8 = Code(XK_KP_8);  // the same key as KP_Up
  const KeyCode numLock = Code(XK_Num_Lock);
  const auto tap = [](KeyCode code, const std::function<bool()>& whileDown) {
    Key(code, true);
    EXPECT_TRUE(PumpUntil(whileDown));
    Key(code, false);
    PumpUntil([] { return false; });
    TwoInterrupts();
  };
  // The main cursor keys are the CRSR keys: up is SHIFT with CRSR down.
  tap(Code(XK_Up),
      [] { return Pressed(0, 7) && Pressed(RightShiftKey.row, RightShiftKey.column); });
  // The keypad's 8 is up, with Num Lock (a character) and without (a special key).
  for (int numLockPresses = 0; numLockPresses < 2; ++numLockPresses) {
    SCOPED_TRACE(numLockPresses);
    tap(keypad8, [] { return JoystickPressed(0); });
    for (int row = 0; row < 8; ++row)
      EXPECT_EQ(C64.input.keyMatrix[row].load(), 0xFF) << "row " << row;
    Key(numLock, true);
    Key(numLock, false);
  }
  tap(Code(XK_8), [] { return Pressed(3, 3); });  // the main 8 stays a digit
  EXPECT_EQ(C64.input.joystick.load(), 0xFF);
  SetCursorKeysAsJoystick(true);
}

TEST_F(DisplayWindowTest, XErrorsOnTheWindowsConnectionAreReportedNotSwallowed) {
  const std::uint64_t before = ReportedX11ErrorCount();
  testing::internal::CaptureStderr();
  XMapWindow(glutDisplay_, 0x7fffff0);  // no such window: BadWindow
  XSync(glutDisplay_, False);
  const std::string report = testing::internal::GetCapturedStderr();
  EXPECT_EQ(ReportedX11ErrorCount(), before + 1);
  EXPECT_NE(report.find("X error on the display window's connection"), std::string::npos) << report;
}

}  // namespace
