// The desktop program's sound output on SDL's dummy driver (no sound card needed): the
// chip makes samples and the card's clock paces the machine only while sound should be
// heard; muted, in warp or stopped it is silent and the busy-wait throttle is back. With
// no usable driver the program goes on silently and the debug log says why.
#include "shell/desktop/desktop_sound.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/debug_log.h"
#include "core/host_hooks.h"
#include "core/machine.h"
#include "core/power_on.h"
#include "core/run_control.h"
#include "tests/support/test_machine.h"

using namespace core;

namespace {

void BootWithTheSoundHook() {
  ZeroWholeMachine();
  LoadTestRoms();
  shell::InstallMachineHooks(nullptr, &shell::TakeFrameSound);
  PowerOn(true);
  SetSpeedLimit(true);
}

TEST(DesktopSound, PlaysOnlyWhileItShouldBeHeardAndThenPacesTheMachine) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  BootWithTheSoundHook();
  shell::OpenDesktopSound();
  ASSERT_NE(DebugLogText().find("Sound through dummy"), std::string::npos) << DebugLogText();
  const struct {
    const char* name;
    bool soundOn;
    bool speedLimit;
    bool running;
    bool heard;
  } steps[] = {
      {"sound on, speed limit on, running", true, true, true, true},
      {"muted", false, true, true, false},
      {"warp", true, false, true, false},
      {"stopped", true, true, false, false},
      {"on again", true, true, true, true},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    shell::SetSoundOn(step.soundOn);
    SetSpeedLimit(step.speedLimit);
    C64.run.emulationRunning.store(step.running ? 1 : 0);
    RunFrames(10);  // a stopped machine still begins frames here: RunFrames ignores Stop
    EXPECT_EQ(C64.sid.AudioEnabled(), step.heard);
    EXPECT_EQ(C64.throttle.pacedByHost.load() != 0, step.heard) << "the sound card paces";
  }
  C64.run.emulationRunning.store(1);
  ZeroWholeMachine();
}

TEST(DesktopSound, WithoutAnAudioDeviceTheDebugLogSaysWhy) {
  // A fresh process: the device may already be open in this one.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
        BootWithTheSoundHook();
        shell::OpenDesktopSound();
        RunFrames(5);
        const bool logged = DebugLogText().find("No sound: ") != std::string::npos;
        std::exit(logged && !C64.sid.AudioEnabled() ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

}  // namespace
