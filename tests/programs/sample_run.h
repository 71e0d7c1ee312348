// Running one of cc65's compiled sample programs in the headless runner: started with RUN
// by RunHeadless, then driven stage by stage with keys and bounded runs of frames.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>

#include "apps/headless_runner.h"
#include "core/run_control.h"
#include "tests/support/test_machine.h"
#include "video/vic_state.h"

// The ROM images loaded and message boxes recorded, as for the runner's other tests.
class SampleProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadTestRoms();
    RecordMessageBoxes();
  }
};

// Loads the sample into a booted machine, types RUN and runs `frames` more frames.
inline void StartSample(const std::string& name, int frames) {
  apps::HeadlessOptions options;
  options.program = std::string(CC65_SAMPLE_DIR) + "/" + name + ".prg";
  options.frames = frames;
  std::ostringstream out;
  std::ostringstream err;
  ASSERT_EQ(apps::RunHeadless(options, out, err), 0) << err.str();
}

// A key typed as the runner's --type types it: held, then released, 3 frames each.
inline void TypeKey(unsigned char key) {
  ASSERT_TRUE(apps::PressHostCharacter(key));
  core::RunFrames(3);
  apps::ReleaseHostCharacter(key);
  core::RunFrames(3);
}

// Runs `step` frames at a time until `reached` holds, at most `limit` frames; returns the
// frames run, or -1 when the limit came first.
inline int RunUntil(const std::function<bool()>& reached, int limit, int step = 10) {
  for (int frames = 0; frames <= limit; frames += step) {
    if (reached()) return frames;
    core::RunFrames(step);
  }
  return -1;
}

// A picture of the memory as it is now, made as the runner's --screenshot makes it.
inline void RenderPicture() {
  video::RenderFrame();
}

inline bool ScreenShows(const std::string& text) {
  return ScreenText().find(text) != std::string::npos;
}
