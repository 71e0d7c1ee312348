#include "apps/headless_runner.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <vector>

#include "apps/png_writer.h"
#include "apps/screen_text.h"
#include "apps/typed_script.h"
#include "core/machine_state.h"
#include "core/power_on.h"
#include "core/run_control.h"
#include "core/run_loop.h"
#include "input/host_key_table.h"
#include "input/key_matrix.h"
#include "media/prg_loader.h"
#include "video/vic_state.h"

namespace apps {

namespace {

constexpr int kRunKeyHoldFrames = 5;  // 100 ms of emulated time, as the autostart holds
constexpr int kTypedKeyGapFrames = 3;
constexpr unsigned char kReturn = 0x0D;
constexpr unsigned char kEscape = 27;

// Whether a character is typed with SHIFT: only when the character keys list it in
// their shifted column and not in their unshifted one (Q, S, U and W also stand in the
// function keys' rows, which are typed the same way).
bool TypedShifted(unsigned char character) {
  bool shifted = false;
  for (int i = 0; i < 48; ++i) {
    if (input::HostKeyTable[i].unshifted == character) return false;
    if (input::HostKeyTable[i].shifted == character) shifted = true;
  }
  return shifted;
}

bool HasKey(unsigned char character) {
  for (const input::HostKeyEntry& entry : input::HostKeyTable) {
    if (entry.unshifted == character || entry.shifted == character) return true;
  }
  return false;
}

unsigned char Normalised(unsigned char character) {
  return character == '\n' ? kReturn : character;
}

bool WriteImage(const std::string& path, const std::uint8_t* bytes, std::ostream& err) {
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes), core::kMemorySize);
  if (!file) {
    err << "Cannot write " << path << "\n";
    return false;
  }
  return true;
}

void TypeRun() {
  media::TypeRunKeys([](const input::MatrixPosition& key) {
    core::RunFrames(kRunKeyHoldFrames);
    input::ReleaseMatrixKey(key.row, key.column);
  });
}

// Keys go down and up as one key event each, as a PC key's would; the joystick's lines
// are the joystick's in the step's port.
void TypeStep(const TypedStep& step) {
  if (step.joystickPort != 0) {
    core::JoystickPort.store(static_cast<std::uint8_t>(step.joystickPort));
    for (int bit = 0; bit < 5; ++bit) {
      if (step.joystickLines & (1u << bit)) input::PressJoystickBit(bit);
    }
    core::RunFrames(step.holdFrames);
    for (int bit = 0; bit < 5; ++bit) {
      if (step.joystickLines & (1u << bit)) input::ReleaseJoystickBit(bit);
    }
  } else {
    input::KeyEvent down;
    down.press = step.keys;
    input::SubmitKeyEvent(down);
    core::RunFrames(step.holdFrames);
    input::KeyEvent up;
    up.release = step.keys;
    input::SubmitKeyEvent(up);
  }
  core::RunFrames(kTypedKeyGapFrames);
}

}  // namespace

bool PressHostCharacter(unsigned char character) {
  character = Normalised(character);
  if (character == kEscape || !HasKey(character)) return false;
  input::OnKeyDown(character, TypedShifted(character) ? input::kModifierShift : 0);
  return true;
}

void ReleaseHostCharacter(unsigned char character) {
  character = Normalised(character);
  input::OnKeyUp(character, TypedShifted(character) ? input::kModifierShift : 0);
}

int RunHeadless(const HeadlessOptions& options, std::ostream& out, std::ostream& err) {
  const TypedScript script = ParseTypedScript(options.typeText);
  if (!script.error.empty()) {
    err << "--type: " << script.error << "\n";
    return 1;
  }
  core::JoystickPort.store(static_cast<std::uint8_t>(options.joystickPort));
  input::SetCursorKeysAsJoystick(options.cursorKeysAsJoystick);
  const auto started = std::chrono::steady_clock::now();
  const std::uint64_t firstFrame = core::FrameCounter.load();
  const std::int32_t firstInstruction = core::InstructionCount;
  core::SetSpeedLimit(options.speedLimit);

  core::PowerOn(true);
  core::RunFrames(options.inputAt);

  if (!options.program.empty()) {
    bool loaded = false;
    {
      core::PassLock lock;
      loaded = media::LoadPrg(options.program);
      if (loaded) media::SetBasicVariablesToLoadEnd();
    }
    if (!loaded) return 1;
    if (!options.noRun) TypeRun();
  }
  for (const TypedStep& step : script.steps) TypeStep(step);
  if (options.fpsTrace) {
    // One line per emulated second: the last closed one-second window of host time and
    // the throttle's delay at that moment.
    for (int done = 0; done < options.frames; done += 50) {
      core::RunFrames(std::min(50, options.frames - done));
      char line[80];
      std::snprintf(line, sizeof line, "fps: %d throttle=%.0f", core::FramesPerSecond.load(),
                    static_cast<double>(core::ThrottleDelay.load()));
      out << line << std::endl;
    }
  } else {
    core::RunFrames(options.frames);
  }

  int status = 0;
  if (options.screenText) {
    for (const std::string& line : ScreenTextLines()) out << line << "\n";
  }
  if (!options.screenshot.empty()) {
    video::RenderFrame();
    std::string error;
    if (!WriteFrameBufferPng(options.screenshot, error)) {
      err << error << "\n";
      status = 1;
    }
  }
  if (!options.dumpRam.empty() && !WriteImage(options.dumpRam, core::Ram, err)) status = 1;
  if (!options.dumpIo.empty() && !WriteImage(options.dumpIo, core::IoImage, err)) status = 1;
  if (options.stats) {
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const std::uint64_t frames = core::FrameCounter.load() - firstFrame;
    char line[160];
    std::snprintf(line, sizeof line, "stats: frames=%llu instructions=%d seconds=%.3f fps=%.1f",
                  static_cast<unsigned long long>(frames),
                  core::InstructionCount - firstInstruction, seconds,
                  seconds > 0 ? static_cast<double>(frames) / seconds : 0.0);
    out << line << "\n";
  }
  return status;
}

}  // namespace apps
