// The desktop program's sound output: the frame hook on the producing side, the sound
// card's callback on the consuming side, the queue between them.
#include "shell/desktop/desktop_sound.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <span>
#include <string>
#include <thread>

#include "core/debug_log.h"
#include "core/machine.h"
#include "core/run_loop.h"
#include "platform/host_services.h"
#include "platform/sdl/audio_output.h"
#include "platform/sound_queue.h"
#include "video/display/classic_picture.h"

namespace shell {

namespace {

platform::SoundQueue Queue(kSoundQueueTarget);
std::atomic<bool> OutputOpen{false};
std::atomic<bool> SoundOn{true};

// Whether the machine makes sound to be heard: sound on, speed limit on, running freely.
// Only atomics are read, each a plain load, since the sound card's thread asks too.
bool SoundShouldPlay() {
  return SoundOn.load(std::memory_order_relaxed) &&
         core::C64.throttle.speedLimitOn.load(std::memory_order_relaxed) != 0 &&
         core::C64.run.emulationRunning.load(std::memory_order_relaxed) != 0 &&
         core::C64.run.stepBudget.load(std::memory_order_relaxed) < 0;
}

constexpr std::size_t kHalfFrame = 480;
// The emulator thread pauses between passes (the picture is drawn, on a slow host for
// longer than the queue's 30 ms): the queue's target grows to the longest recent pause
// between two frames plus a frame (the queue is paced to half a frame below its target,
// and the card takes half a frame at once), forgetting it by 0.5 % a frame (a half-life of
// three seconds), up to 130 ms in all, so that the pause is covered.
constexpr double kMaxTarget = kSoundQueueTarget + 4800.0;
double PauseTarget = 0.0;
// The longest a frame waits, should the card stop taking samples.
constexpr auto kMaxFrameWait = std::chrono::milliseconds(100);
// The longest time between two frames' starts since the last status line, in µs: the
// pauses the queue must cover (a picture drawn, the thread not scheduled).
std::chrono::steady_clock::time_point LastFrame;
std::atomic<std::int64_t> LongestFrameGap{0};

void FillSoundCard(std::int16_t* out, int count) {
  Queue.Fill(std::span(out, static_cast<std::size_t>(count)), SoundShouldPlay());
}

// While sound plays, the sound card's clock paces the machine instead of the steady
// clock: the frame hook waits while the queue holds more than it should. Emulated time
// then follows the card's exactly, and the queue's rate steering only evens out the
// bursts. When sound stops, the frames' times start afresh from the next frame.
void PaceBySoundCard(bool pace) {
  core::Throttle& throttle = core::C64.throttle;
  if ((throttle.pacedByHost.load(std::memory_order_relaxed) != 0) == pace) return;
  throttle.pacedByHost.store(pace ? 1 : 0);
  if (!pace) throttle.nextFrameAt = 0;
}

// The fill the frame hook waits for. The card's side sees the queue only at its callbacks,
// between which frames arrive whole, so the level that gives its average the target
// depends on how the two interleave: the level follows the difference, 5 % a frame.
double PacedLevel = kSoundQueueTarget - kHalfFrame;

void WaitForQueueRoom() {
  const double target = static_cast<double>(Queue.TargetFill());
  PacedLevel = std::clamp(PacedLevel + 0.05 * (target - Queue.AverageFill()),
                          static_cast<double>(kHalfFrame), target);
  const auto pacedFill = static_cast<std::size_t>(PacedLevel);
  for (auto waited = std::chrono::steady_clock::duration::zero(); waited < kMaxFrameWait;) {
    const std::size_t queued = Queue.Size();
    if (queued <= pacedFill || core::PassLockIsWanted()) return;
    // The classic picture's columns are drawn while the card takes the samples above the
    // paced fill (on the display thread; elsewhere this does nothing).
    constexpr std::int64_t kNanosecondsPerSample = 1'000'000'000 / core::Sid::kSampleRate;
    video::DrawFrameBufferChangesBefore(platform::SteadyNanoseconds() +
                                        static_cast<std::int64_t>(queued - pacedFill) *
                                            kNanosecondsPerSample);
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    waited += std::chrono::steady_clock::now() - start;
  }
}

}  // namespace

void OpenDesktopSound() {
  const std::string error = platform::OpenAudioOutput(&FillSoundCard, kSoundCardBuffer);
  if (!error.empty()) {
    core::AppendDebugLog("No sound: " + error);
    return;
  }
  OutputOpen.store(true);
  core::AppendDebugLog("Sound through " + platform::AudioDriverName() + ", 48000 Hz");
}

void TakeFrameSound() {
  // The chip makes samples only while they are heard: warp runs without their cost.
  const bool wanted = OutputOpen.load(std::memory_order_relaxed) && SoundShouldPlay();
  if (core::C64.sid.AudioEnabled() != wanted) core::C64.sid.SetAudioEnabled(wanted);
  PaceBySoundCard(wanted);
  if (!wanted) {
    LastFrame = {};  // a pause in the sound is no gap between frames
    return;
  }
  const auto now = std::chrono::steady_clock::now();
  if (LastFrame != std::chrono::steady_clock::time_point{}) {
    const std::int64_t gap =
        std::chrono::duration_cast<std::chrono::microseconds>(now - LastFrame).count();
    if (gap > LongestFrameGap.load(std::memory_order_relaxed)) LongestFrameGap.store(gap);
    const double covering = static_cast<double>(gap) * 0.048 + 960.0;  // in samples
    PauseTarget = std::min(kMaxTarget, std::max(PauseTarget * 0.995, covering));
    Queue.SetTargetFill(std::max<std::size_t>(kSoundQueueTarget, PauseTarget));
  }
  LastFrame = now;
  std::int16_t chunk[1024];
  while (const std::size_t taken = core::C64.sid.TakeSamples(chunk)) {
    Queue.Push(std::span<const std::int16_t>(chunk, taken));
  }
  WaitForQueueRoom();
}

void SetSoundOn(bool on) {
  SoundOn.store(on);
}

bool SoundIsOn() {
  return SoundOn.load();
}

std::uint64_t SoundUnderruns() {
  return Queue.Underruns();
}

void FormatSoundStatus(char* line, int size) {
  std::snprintf(line, static_cast<std::size_t>(size),
                "sound: open=%d on=%d underruns=%" PRIu64
                " queued=%zu target=%zu rate=%.4f longest-frame-gap=%.1fms frames=%" PRIu64,
                OutputOpen.load() ? 1 : 0, SoundOn.load() ? 1 : 0, Queue.Underruns(), Queue.Size(),
                Queue.TargetFill(), Queue.Rate(),
                static_cast<double>(LongestFrameGap.exchange(0)) / 1000.0,
                core::C64.run.frameCounter.load());
}

}  // namespace shell
