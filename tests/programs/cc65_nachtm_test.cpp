// cc65's "nachtm" sample plays Eine kleine Nachtmusik on the sound chip: the headless
// runner's --audio file holds its opening, G then (after a rest) D, with the melody voice
// at G5 and D5 of equal temperament (A4 = 440 Hz).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "apps/headless_runner.h"
#include "tests/core/sid_sound_measure.h"
#include "tests/programs/sample_run.h"
#include "tests/support/test_wav.h"

namespace {

constexpr double kRate = 48000.0;
constexpr std::size_t kWindow = 960;  // 20 ms

double Pitch(int semitonesFromA4) {
  return 440.0 * std::pow(2.0, semitonesFromA4 / 12.0);
}

// The start of each run of sounding 20 ms windows (level above -40 dB), in samples.
std::vector<std::size_t> NoteRunStarts(const std::vector<std::int16_t>& samples) {
  std::vector<std::size_t> starts;
  bool sounding = false;
  for (std::size_t at = 0; at + kWindow <= samples.size(); at += kWindow) {
    const bool loud = sound_measure::RmsDb(std::span(samples).subspan(at, kWindow)) > -40.0;
    if (loud && !sounding) starts.push_back(at);
    sounding = loud;
  }
  return starts;
}

TEST_F(SampleProgramTest, NachtmPlaysItsOpeningAtTheNotesPitches) {
  for (const core::MachineModel model :
       {core::MachineModel::kClassic, core::MachineModel::kAccurate}) {
    SCOPED_TRACE(model == core::MachineModel::kAccurate ? "accurate" : "classic");
    const std::filesystem::path wav = FreshTempDirectory("nachtm") / "nachtm.wav";
    apps::HeadlessOptions options;
    options.model = model;
    options.program = std::string(CC65_SAMPLE_DIR) + "/nachtm.prg";
    options.frames = 200;  // the tune starts some 40 frames after RUN
    options.audio = wav.string();
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(apps::RunHeadless(options, out, err), 0) << err.str();
    const std::vector<std::int16_t> samples = ReadWavSamples(wav);
    const std::vector<std::size_t> runs = NoteRunStarts(samples);
    ASSERT_GE(runs.size(), 2u) << "no rest between the first two notes";
    // The first 150 ms of each, past the attack: its melody note stands out against the
    // other opening note and against the semitones on either side.
    const struct {
      const char* name;
      double hz;
      double otherHz;
    } notes[] = {{"G5", Pitch(10), Pitch(5)}, {"D5", Pitch(5), Pitch(10)}};
    for (int i = 0; i < 2; ++i) {
      SCOPED_TRACE(notes[i].name);
      const auto note = std::span(samples).subspan(runs[i] + 1440, 7200);
      const double at = sound_measure::MagnitudeAt(note, kRate, notes[i].hz);
      EXPECT_GT(at, 0.02);
      for (const double other : {notes[i].otherHz, notes[i].hz * std::pow(2.0, 1.0 / 12),
                                 notes[i].hz / std::pow(2.0, 1.0 / 12)}) {
        EXPECT_GT(at, 10.0 * sound_measure::MagnitudeAt(note, kRate, other)) << other << " Hz";
      }
    }
  }
}

}  // namespace
