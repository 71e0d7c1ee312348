// freeglut + OpenGL presentation of the machine's picture, and the glue from freeglut's
// keyboard callbacks to the toolkit-free handlers of the keyboard mapping and to the
// fullscreen key.
#include "video/display/display_window.h"

#include <GL/freeglut.h>
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "core/debug_log.h"
#include "core/machine.h"
#include "core/mouse_port.h"
#include "core/run_control.h"
#include "core/run_loop.h"
#include "input/host_key_table.h"
#include "platform/host_services.h"
#include "video/display/classic_picture.h"
#include "video/display/display_wait.h"
#include "video/display/file_drop_target.h"
#include "video/display/key_origin.h"
#include "video/display/picture_texture.h"
#include "video/display/window_view.h"
#include "video/frame_buffer.h"
#include "video/raster_line_renderer.h"

namespace video {

namespace {

// The toolkit passes the pointer position, which the keyboard mapping ignores; the
// modifier state and the key's source (main keys or keypad) are asked for here, while the
// event is being delivered.
void GlutKeyDown(unsigned char key, int, int) {
  input::OnKeyDown(key, glutGetModifiers(), OriginOfKeyEvent(true, key, -1));
}
void GlutKeyUp(unsigned char key, int, int) {
  input::OnKeyUp(key, glutGetModifiers(), OriginOfKeyEvent(false, key, -1));
}
// The keyboard mapping names the fullscreen key by freeglut's special-key code.
static_assert(input::kFullScreenKey == GLUT_KEY_NUM_LOCK);
void GlutSpecialKeyDown(int key, int, int) {
  if (key == input::kFullScreenKey) RequestFullScreenToggle();
  input::OnSpecialKeyDown(key, OriginOfKeyEvent(true, -1, key).source);
}
void GlutSpecialKeyUp(int key, int, int) {
  input::OnSpecialKeyUp(key, OriginOfKeyEvent(false, -1, key).source);
}

// The pointer over the window as a 1351 mouse: one count per emulated pixel, whatever
// the window's size. Positions are remembered in counts, and their differences go to the
// machine's counters (the first position after start only sets the reference).
struct PointerReference {
  bool known = false;
  int x = 0;
  int y = 0;
};
PointerReference LastPointer;

void GlutPointerMoved(int x, int y) {
  const int width = std::max(1, glutGet(GLUT_WINDOW_WIDTH));
  const int height = std::max(1, glutGet(GLUT_WINDOW_HEIGHT));
  const int countX = x * kScreenWidth / width;
  const int countY = y * kScreenHeight / height;
  if (LastPointer.known) core::MoveMouse(countX - LastPointer.x, countY - LastPointer.y);
  LastPointer = {true, countX, countY};
}

// Set when the process runs its exit handlers (an exit() from anywhere): freeglut then
// destroys its window too, and that must not turn the exit's status into 0.
std::atomic<bool> ProcessIsExiting{false};

// freeglut's default on closing its window is exit() from this thread, which would run
// the process's destructors while the user-interface thread still works. Closing the
// window ends the program like "Quit" instead.
void DisplayWindowClosed() {
  if (!ProcessIsExiting.load()) platform::EndProcess(0);
}

// The accurate machine's picture last drawn: the window is drawn again only when a pass
// has made a picture that differs from it (at the READY prompt only the cursor's blink) or
// part of the window came into view. Drawing is by far the display loop's largest cost.
// The classic picture's counterpart is kept with its drawing (classic_picture.h).
LinePicture DrawnLinePicture;
std::uint64_t DrawnAtFrame = ~std::uint64_t{0};
bool DrawnAccurate = false;  // the model of the picture shown
// A stopped machine runs no frames, so no frame's time paces the display loop: it sleeps
// this long between rounds, or until an X event comes.
constexpr std::int64_t kStoppedWaitNanoseconds = 50'000'000;

bool MachineIsStopped() {
  return core::C64.run.emulationRunning.load() == 0 || core::C64.run.stepBudget.load() == 0;
}

}  // namespace

void KeepFreedMemoryForReuse() {
  // llvmpipe allocates and frees buffers of several megabytes for every picture. With
  // glibc's defaults each free trims or unmaps them and the next picture faults them in
  // again, page by page.
  constexpr int kLargeThreshold = 512 * 1024 * 1024;
  mallopt(M_TRIM_THRESHOLD, kLargeThreshold);
  mallopt(M_MMAP_THRESHOLD, kLargeThreshold);
}

void CreateDisplayWindow() {
  int argumentCount = 0;
  glutInit(&argumentCount, nullptr);
  // Registered after freeglut's own exit handler, so it runs before it.
  std::atexit([] { ProcessIsExiting.store(true); });
  glutInitDisplayMode(GLUT_RGB | GLUT_SINGLE);
  const PictureSize picture = ShownPictureSize();
  glutInitWindowSize(2 * picture.width, 2 * picture.height);
  NoteWindowSize(2 * picture.width, 2 * picture.height);
  glutInitWindowPosition(100, 100);
  glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
  glutCreateWindow("Emulator");
  WatchKeyEvents();
  AcceptFileDrops();
  NoteDisplayThread();
  glutDisplayFunc(&DisplayFrame);
  glutReshapeFunc(&NoteWindowSize);
  glutKeyboardFunc(&GlutKeyDown);
  glutKeyboardUpFunc(&GlutKeyUp);
  glutSpecialFunc(&GlutSpecialKeyDown);
  glutSpecialUpFunc(&GlutSpecialKeyUp);
  glutCloseFunc(&DisplayWindowClosed);
  glutMotionFunc(&GlutPointerMoved);
  glutPassiveMotionFunc(&GlutPointerMoved);
  core::AppendDebugLog("VIC Emulation startet");
}

void OpenDisplayWindow() {
  KeepFreedMemoryForReuse();
  CreateDisplayWindow();
  glutMainLoop();
}

void ProcessDisplayWindowEvents() {
  glutMainLoopEvent();
}

void WaitForDrawingToFinish() {
  glFinish();
}

PictureSize ShownPictureSize() {
  if (core::C64.model == core::MachineModel::kAccurate) return {kPictureWidth, kPictureHeight};
  return {kScreenWidth, kScreenHeight};
}

void DrawMachinePicture() {
  if (core::C64.model == core::MachineModel::kAccurate) {
    SetPictureViewport(kPictureWidth, kPictureHeight);
    DrawLinePicture();
  } else {
    DrawFrameBuffer();
  }
}

void DisplayFrame() {
  if (TakeFocusLoss()) input::ReleaseHostKeys();
  ServeFileDrops();
  if (TakeWarpKey()) core::SetSpeedLimit(!core::SpeedLimitIsOn());
  // A pass only if none is under way (Reset or the debug window may run one meanwhile on
  // the user-interface thread); the picture is drawn either way.
  core::RunPassIfIdle();
  // The user-interface thread waits to run the machine: its turn, and the picture next time.
  if (core::PassLockIsWanted()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    glutPostRedisplay();
    return;
  }
  const std::int64_t now = platform::SteadyNanoseconds();
  {
    // Drawing holds the pass lock too, so a picture never mixes two renderings when the
    // user-interface thread runs the machine. The View menu's requests are carried out
    // here, where the machine's model (the picture's size) holds still.
    core::PassLock lock;
    const PictureSize picture = ShownPictureSize();
    ApplyViewRequests(picture.width, picture.height);
    // A new picture (every frame in the accurate machine, whose pass is one frame; every
    // eighth in the classic machine) is drawn when it differs from the one shown. An
    // exposure, a new window size or another model draws it again anyway.
    const bool accurate = core::C64.model == core::MachineModel::kAccurate;
    const std::uint64_t frame = core::C64.run.frameCounter.load();
    const int framesPerPass = accurate ? core::AccurateFramesPerPass : core::FramesPerPass;
    const bool newPicture = frame != DrawnAtFrame &&
                            core::C64.run.framesLeft == static_cast<std::uint32_t>(framesPerPass);
    const bool changed = newPicture && (accurate ? std::memcmp(&DrawnLinePicture, &ShownPicture,
                                                               sizeof DrawnLinePicture) != 0
                                                 : FrameBufferDiffersFromShown());
    const bool exposed = TakeExposure();
    const bool layout = TakeWindowResize() || accurate != DrawnAccurate;
    if (exposed || layout || changed) {
      if (accurate) {
        DrawMachinePicture();
        std::memcpy(&DrawnLinePicture, &ShownPicture, sizeof DrawnLinePicture);
      } else {
        // Columns the last pass's waits left undrawn are drawn now: a picture is never more
        // than a pass late. The new picture's changes (the cursor's blink 64 pixels of
        // 64,000; all of them where the window lost or never had the picture) are drawn in
        // the coming frames' waits, or at once when none will wait.
        FinishDrawingFrameBuffer();
        if (exposed || layout) ForgetPictureOnWindow();
        DrawFrameBufferChangesLater();
        if (!core::SpeedLimitIsOn()) FinishDrawingFrameBuffer();
      }
      DrawnAccurate = accurate;
    }
    if (newPicture) DrawnAtFrame = frame;
  }
  if (MachineIsStopped()) WaitForFrameOrInput(now + kStoppedWaitNanoseconds);
  glutPostRedisplay();
}

}  // namespace video
