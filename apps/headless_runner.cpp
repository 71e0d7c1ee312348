// The headless runner: power-on, the input frame, the typed script and the program or
// disk to start, all counted in emulated frames, then the outputs asked for (also when a
// halting opcode ends the run).
#include "apps/headless_runner.h"

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <optional>
#include <span>
#include <vector>

#include "apps/output_files.h"
#include "apps/png_writer.h"
#include "apps/screen_text.h"
#include "apps/typed_script.h"
#include "apps/wav_writer.h"
#include "core/breakpoints.h"
#include "core/escaped_text.h"
#include "core/host_hooks.h"
#include "core/machine.h"
#include "core/power_on.h"
#include "core/run_control.h"
#include "core/run_loop.h"
#include "input/host_key_table.h"
#include "input/key_matrix.h"
#include "media/d64_image.h"
#include "media/disk_drive.h"
#include "media/prg_loader.h"
#include "platform/file_reader.h"
#include "platform/host_services.h"
#include "shell/snapshot_file.h"
#include "video/vic_state.h"

namespace apps {

namespace {

// With --audio the sound chip's samples are collected here for the whole run. The chip
// keeps 1.36 s (68 frames) of them, so a run is cut into pieces of at most
// kSoundDrainFrames frames with the samples taken after each.
constexpr std::uint64_t kSoundDrainFrames = 25;
bool CollectingSound = false;
std::vector<std::int16_t> CollectedSound;

void TakeSound() {
  std::int16_t chunk[4096];
  while (const std::size_t taken = core::C64.sid.TakeSamples(chunk)) {
    CollectedSound.insert(CollectedSound.end(), chunk, chunk + taken);
  }
}

// Thrown out of the run's schedule when the machine has stopped at a breakpoint: the run
// goes straight to its end.
struct BreakpointReached {};

void EndAtBreakpoint() {
  if (core::C64.breakpoints.stopped != 0) throw BreakpointReached{};
}

// core::RunFrames, with the sound taken as it is made when it is being collected; it
// returns early when the machine stops at a breakpoint.
void RunFrames(std::uint64_t frames) {
  if (!CollectingSound) {
    core::RunFrames(frames);
    EndAtBreakpoint();
    return;
  }
  while (frames > 0) {
    const std::uint64_t piece = std::min(frames, kSoundDrainFrames);
    core::RunFrames(piece);
    TakeSound();
    EndAtBreakpoint();
    frames -= piece;
  }
}

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

// BASIC sets its direct-mode message flag (bit 7 of $9D) right after printing READY., on
// its way into the line input: the cold start has cleared program memory by then (a
// program loaded earlier is lost) and the keyboard is scanned. The power-on RAM pattern
// leaves the bit clear, and the KERNAL clears the zero page in the first frame.
constexpr std::uint16_t kMessageModeFlag = 0x9D;
// The prompt comes about 82 frames after power-on; ten emulated seconds are ample.
constexpr std::uint64_t kPromptWaitFrames = 500;

bool BasicPromptIsThere(std::uint64_t powerOnFrame) {
  return core::C64.run.frameCounter.load() > powerOnFrame &&
         (core::C64.memory.ram[kMessageModeFlag] & 0x80) != 0;
}

// From the input frame on, frame by frame until BASIC's prompt is there; false if it does
// not come within the wait.
bool WaitForBasicPrompt(std::uint64_t powerOnFrame) {
  for (std::uint64_t waited = 0; !BasicPromptIsThere(powerOnFrame); ++waited) {
    if (waited == kPromptWaitFrames) return false;
    RunFrames(1);
  }
  return true;
}

// A disk's first program loaded and started, as a user would type it.
constexpr char kStartDiskText[] = "load\"*\",8,1\nrun\n";

// The program file is looked at before the machine starts (the loader reads it only at
// the input frame): a missing file, a folder, a FIFO or a device is reported at once and
// with the loader's words, whatever the length of its name.
bool ProgramFileCanBeRead(const std::string& path) {
  switch (platform::ReadFileHead(path, 0).status) {
    case platform::FileReadStatus::kRead: return true;
    case platform::FileReadStatus::kCannotOpen:
      platform::ShowMessageBox("File not found: " + core::EscapedText(path), "Error");
      return false;
    default:
      platform::ShowMessageBox("No readable PRG file: " + core::EscapedText(path), "Error");
      return false;
  }
}

// What a run has to finish when it ends, normally or at a halting opcode.
struct RunRecord {
  const HeadlessOptions& options;
  std::ostream& out;
  std::ostream& err;
  std::chrono::steady_clock::time_point started;
  std::uint64_t firstFrame;
};

// The screen text, the files and the statistics asked for; returns the exit status.
int FinishRun(const RunRecord& run) {
  int status = 0;
  // The sound up to here, before the snapshot: the chip's owed cycles are then run, so that
  // a run from the snapshot goes on from the last sample written.
  if (CollectingSound) TakeSound();
  // Taken before the screenshot renders a picture of its own.
  const std::vector<std::uint8_t> snapshot =
      run.options.saveState.empty() ? std::vector<std::uint8_t>{} : shell::MakeSnapshot();
  if (run.options.screenText) {
    for (const std::string& line : ScreenTextLines()) run.out << line << "\n";
  }
  for (const OutputFile& file : RequestedOutputFiles(run.options)) {
    std::vector<std::uint8_t> png;  // or the WAV file's bytes
    std::span<const std::uint8_t> bytes;
    switch (file.kind) {
      case OutputKind::kScreenshot: {
        // The accurate model has drawn its whole picture line by line; the classic one
        // renders the display window now.
        const bool accurate = core::C64.model == core::MachineModel::kAccurate;
        if (!accurate) video::RenderFrame();
        std::string error;
        if (!EncodeMachinePicturePng(png, error)) {
          ReportUnwritten(file, error, run.err);
          status = 1;
          continue;
        }
        bytes = png;
        break;
      }
      case OutputKind::kRam: bytes = {core::C64.memory.ram, core::kMemorySize}; break;
      case OutputKind::kIo: bytes = {core::C64.memory.ioImage, core::kMemorySize}; break;
      case OutputKind::kSnapshot: bytes = snapshot; break;
      case OutputKind::kAudio: {
        std::string error;
        if (!EncodeWav(CollectedSound, png, error)) {
          ReportUnwritten(file, error, run.err);
          status = 1;
          continue;
        }
        bytes = png;
        break;
      }
    }
    if (!WriteOutputFile(file, bytes, run.err)) status = 1;
  }
  if (run.options.stats) {
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - run.started).count();
    // PowerOn started the instruction count at 0 (a snapshot keeps the count it had).
    run.out << StatsLine(core::C64.run.frameCounter.load() - run.firstFrame,
                         core::C64.cpu.instructionCount, seconds, core::C64.model)
            << "\n";
  }
  run.out.flush();
  run.err.flush();
  return status;
}

// The run a halting opcode ends: it still gets its outputs.
const RunRecord* HaltableRun = nullptr;

int FinishHaltedRun() {
  return HaltableRun != nullptr ? FinishRun(*HaltableRun) : 0;
}

// The halt hook, installed for the run's length; the hooks before it come back after.
class HaltHookScope {
 public:
  explicit HaltHookScope(const RunRecord& run) : saved_(core::InstalledHostHooks()) {
    HaltableRun = &run;
    core::HostHooks hooks = saved_;
    hooks.machineHalted = &FinishHaltedRun;
    core::InstallHostHooks(hooks);
  }
  ~HaltHookScope() {
    core::InstallHostHooks(saved_);
    HaltableRun = nullptr;
  }
  HaltHookScope(const HaltHookScope&) = delete;
  HaltHookScope& operator=(const HaltHookScope&) = delete;

 private:
  core::HostHooks saved_;
};

void TypeRun() {
  media::TypeRunKeys([](const input::MatrixPosition& key) {
    RunFrames(kRunKeyHoldFrames);
    input::ReleaseMatrixKey(key.row, key.column);
  });
}

// Keys go down and up as one key event each, as a PC key's would; the joystick's lines
// are the joystick's in the step's port.
void TypeStep(const TypedStep& step) {
  if (step.joystickPort != 0) {
    core::C64.input.joystickPort.store(static_cast<std::uint8_t>(step.joystickPort));
    for (int bit = 0; bit < 5; ++bit) {
      if (step.joystickLines & (1u << bit)) input::PressJoystickBit(bit);
    }
    RunFrames(step.holdFrames);
    for (int bit = 0; bit < 5; ++bit) {
      if (step.joystickLines & (1u << bit)) input::ReleaseJoystickBit(bit);
    }
  } else {
    input::KeyEvent down;
    down.press = step.keys;
    input::SubmitKeyEvent(down);
    if (step.restore) input::PressRestore();
    RunFrames(step.holdFrames);
    input::KeyEvent up;
    up.release = step.keys;
    input::SubmitKeyEvent(up);
  }
  RunFrames(kTypedKeyGapFrames);
}

void TypeSteps(const std::vector<TypedStep>& steps) {
  for (const TypedStep& step : steps) TypeStep(step);
}

// The run's breakpoints, set and in force for its length; none are left behind.
class BreakpointScope {
 public:
  explicit BreakpointScope(const std::vector<std::uint16_t>& addresses) {
    core::ForgetBreakpointStop();
    for (const std::uint16_t address : addresses) core::AddBreakpoint(address);
    core::EnableBreakpoints(true);
  }
  // A machine stopped at one runs again, for whatever runs it next.
  ~BreakpointScope() {
    core::EnableBreakpoints(false);
    core::RemoveAllBreakpoints();
    core::ForgetBreakpointStop();
    core::LetMachineRun();
  }
  BreakpointScope(const BreakpointScope&) = delete;
  BreakpointScope& operator=(const BreakpointScope&) = delete;
};

// The input frame, the program or disk, the typed text and the frames after it; returns 1
// when BASIC's prompt never came, 0 otherwise.
int RunSchedule(const HeadlessOptions& options, const RunRecord& run);

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

std::string StatsLine(std::uint64_t frames, std::int64_t instructions, double seconds,
                      core::MachineModel model) {
  char line[192];
  std::snprintf(line, sizeof line,
                "stats: frames=%" PRIu64 " instructions=%" PRId64 " seconds=%.3f fps=%.1f model=%s",
                frames, instructions, seconds,
                seconds > 0 ? static_cast<double>(frames) / seconds : 0.0,
                model == core::MachineModel::kAccurate ? "accurate" : "classic");
  return line;
}

int RunHeadless(const HeadlessOptions& options, std::ostream& out, std::ostream& err) {
  const TypedScript script = ParseTypedScript(options.typeText);
  if (!script.error.empty()) {
    err << "--type: " << script.error << "\n";
    return 1;
  }
  if (const std::string problem = OutputFilesProblem(RequestedOutputFiles(options));
      !problem.empty()) {
    err << problem << "\n";
    return 1;
  }
  if (!options.program.empty() && !ProgramFileCanBeRead(options.program)) return 1;
  media::SetDiskWriteProtect(options.readOnlyDisk);
  // A snapshot brings its own mounted disk; a disk given beside it replaces that one.
  if (std::string error;
      !options.loadState.empty() && !shell::LoadSnapshotFile(options.loadState, error)) {
    err << error << "\n";
    return 1;
  }
  if (!options.disk.empty() && !media::MountD64(options.disk)) return 1;

  core::C64.input.joystickPort.store(static_cast<std::uint8_t>(options.joystickPort));
  input::SetCursorKeysAsJoystick(options.cursorKeysAsJoystick);
  core::SetSpeedLimit(options.speedLimit);
  if (options.loadState.empty()) {
    core::C64.model = options.model;
    core::PowerOn(true);
  }
  // Sound is made only when asked for; the switch is the host's, so it is set for every run.
  CollectingSound = !options.audio.empty();
  CollectedSound.clear();
  core::C64.sid.SetAudioEnabled(CollectingSound);

  // Frames count from power-on, or from the snapshot's frame.
  const RunRecord run{options, out, err, std::chrono::steady_clock::now(),
                      core::C64.run.frameCounter.load()};
  const HaltHookScope haltHook(run);
  const BreakpointScope breakpoints(options.breakpoints);
  try {
    if (const int status = RunSchedule(options, run); status != 0) return status;
  } catch (const BreakpointReached&) {
    err << "Breakpoint at " << core::FormatBreakpointAddress(core::C64.breakpoints.stopAddress)
        << " reached in frame " << core::C64.run.frameCounter.load() - run.firstFrame
        << "; the run ends there\n";
  }
  return FinishRun(run);
}

namespace {

int RunSchedule(const HeadlessOptions& options, const RunRecord& run) {
  std::ostream& err = run.err;
  RunFrames(static_cast<std::uint64_t>(options.inputAt));

  if (!options.program.empty()) {
    // Typed keys wait in the key queue until the KERNAL scans them; a program must wait
    // for the prompt itself.
    if (!WaitForBasicPrompt(run.firstFrame)) {
      err << "BASIC's prompt did not appear by frame "
          << core::C64.run.frameCounter.load() - run.firstFrame << "; " << options.program
          << " was not loaded\n";
      return 1;
    }
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
  if (options.startDisk && !options.noRun) {
    if (!WaitForBasicPrompt(run.firstFrame)) {
      err << "BASIC's prompt did not appear by frame "
          << core::C64.run.frameCounter.load() - run.firstFrame << "; " << options.disk
          << " was not started\n";
      return 1;
    }
    TypeSteps(ParseTypedScript(kStartDiskText).steps);
  }
  TypeSteps(ParseTypedScript(options.typeText).steps);  // checked before the start
  if (options.fpsTrace) {
    // One line per emulated second: the last closed one-second window of host time.
    for (std::int64_t done = 0; done < options.frames; done += 50) {
      RunFrames(static_cast<std::uint64_t>(std::min<std::int64_t>(50, options.frames - done)));
      char line[80];
      std::snprintf(line, sizeof line, "fps: %d", core::C64.throttle.framesPerSecond.load());
      run.out << line << std::endl;
    }
  } else {
    RunFrames(static_cast<std::uint64_t>(options.frames));
  }
  return 0;
}

}  // namespace

}  // namespace apps
