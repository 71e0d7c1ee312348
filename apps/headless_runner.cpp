#include "apps/headless_runner.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <vector>

#include "apps/png_writer.h"
#include "apps/screen_text.h"
#include "core/machine_state.h"
#include "core/power_on.h"
#include "core/run_control.h"
#include "core/run_loop.h"
#include "input/host_key_table.h"
#include "input/key_matrix.h"
#include "media/d64_image.h"
#include "media/prg_loader.h"
#include "video/vic_state.h"

namespace apps {

namespace {

constexpr int kRunKeyHoldFrames = 5;  // 100 ms of emulated time, as the autostart holds
constexpr int kTypedKeyHoldFrames = 3;
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

// The keys to type: "\n" (the two characters) and newlines become RETURN.
std::vector<unsigned char> KeysOf(const std::string& text) {
  std::vector<unsigned char> keys;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
      keys.push_back(kReturn);
      ++i;
    } else {
      keys.push_back(Normalised(static_cast<unsigned char>(text[i])));
    }
  }
  return keys;
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

// A disk's first program loaded and started, as a user would type it.
constexpr char kStartDiskText[] = "load\"*\",8,1\nrun\n";

void TypeKeys(const std::vector<unsigned char>& keys, std::ostream& err) {
  for (unsigned char key : keys) {
    if (!PressHostCharacter(key)) {
      err << "No key for character code " << static_cast<int>(key) << "; skipped\n";
      continue;
    }
    core::RunFrames(kTypedKeyHoldFrames);
    ReleaseHostCharacter(key);
    core::RunFrames(kTypedKeyGapFrames);
  }
}

void TypeRun() {
  media::TypeRunKeys([](const input::MatrixPosition& key) {
    core::RunFrames(kRunKeyHoldFrames);
    input::ReleaseMatrixKey(key.row, key.column);
  });
}

}  // namespace

bool NamesDiskImage(const std::string& path) {
  return path.size() > 4 && (path.ends_with(".d64") || path.ends_with(".D64"));
}

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
  const auto started = std::chrono::steady_clock::now();
  const std::uint64_t firstFrame = core::FrameCounter.load();
  const std::int32_t firstInstruction = core::InstructionCount;
  core::SetSpeedLimit(options.speedLimit);

  core::PowerOn(true);
  if (!options.disk.empty() && !media::MountD64(options.disk)) return 1;
  core::RunFrames(options.inputAt);

  if (!options.program.empty()) {
    std::optional<media::ProgramRange> loaded;
    bool typeRun = false;
    {
      core::PassLock lock;
      loaded = media::LoadPrg(options.program);
      if (loaded) typeRun = media::PrepareLoadedProgramForStart(*loaded);
    }
    if (!loaded) return 1;
    if (typeRun && !options.noRun) TypeRun();
  }
  if (options.startDisk && !options.noRun) TypeKeys(KeysOf(kStartDiskText), err);
  TypeKeys(KeysOf(options.typeText), err);
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
