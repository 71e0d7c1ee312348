// The sound chip in the running machine, in both models: C64 programs (BASIC POKEs and
// small machine-code loops) write its registers, and the headless runner's --audio file or
// the program's own reads in RAM show what it did.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "apps/headless_runner.h"
#include "core/machine.h"
#include "tests/core/sid_sound_measure.h"
#include "tests/support/test_machine.h"
#include "tests/support/test_wav.h"

using namespace core;
using namespace apps;

namespace {

namespace fs = std::filesystem;

constexpr double kClockHz = 985248.0;  // the PAL machine's clock
constexpr double kSampleRate = 48000.0;
constexpr int kSamplesPerFrame = 960;  // 48,000 samples a second at 50 frames

const char* ModelName(MachineModel model) {
  return model == MachineModel::kAccurate ? "accurate" : "classic";
}

// The root-mean-square level of each 20 ms window, in dB.
std::vector<double> WindowLevels(const std::vector<std::int16_t>& samples) {
  std::vector<double> levels;
  for (std::size_t at = 0; at + 960 <= samples.size(); at += 960) {
    levels.push_back(sound_measure::RmsDb(std::span(samples).subspan(at, 960)));
  }
  return levels;
}

std::span<const std::int16_t> LastSamples(const std::vector<std::int16_t>& samples,
                                          std::size_t count) {
  return std::span(samples).last(std::min(count, samples.size()));
}

class SidProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadTestRoms();
    RecordMessageBoxes();
  }
  // Runs the options with --audio and returns the file's samples.
  std::vector<std::int16_t> RunWithSound(HeadlessOptions options, const std::string& name) {
    options.audio = (directory_ / name).string();
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunHeadless(options, out, err), 0) << err.str();
    return ReadWavSamples(options.audio);
  }
  // A machine-code program at $C000, loaded at the input frame and started with SYS.
  HeadlessOptions MachineCode(MachineModel model, const std::vector<std::uint8_t>& code) {
    std::vector<std::uint8_t> file(code.size() + 2);
    file[1] = 0xC0;
    std::copy(code.begin(), code.end(), file.begin() + 2);
    HeadlessOptions options;
    options.model = model;
    options.program = WriteTestFile(directory_, "code.prg", file);
    options.typeText = "sys49152\n";
    return options;
  }
  WorkingFolder folder_{"sid-program"};
  const fs::path& directory_ = folder_.Path();
};

// Volume 15, voice 1 with attack 2 ms, sustain 15, release 6 ms, at `frequency`, gated
// with the waveform `control`.
std::string ToneText(int frequency, int control) {
  return "poke54296,15:poke54277,0:poke54278,240\npoke54273," + std::to_string(frequency >> 8) +
         ":poke54272," + std::to_string(frequency & 0xFF) + ":poke54276," +
         std::to_string(control) + "\n";
}

TEST_F(SidProgramTest, AVoiceSoundsAtItsFrequencyRegistersPitch) {
  struct Case {
    MachineModel model;
    int frequency;  // $D400/$D401
    int control;    // triangle or sawtooth, gate on
  };
  const Case cases[] = {
      {MachineModel::kClassic, 0x1CD6, 0x11},  {MachineModel::kClassic, 0x0800, 0x21},
      {MachineModel::kAccurate, 0x1CD6, 0x21}, {MachineModel::kAccurate, 0x4000, 0x11},
      {MachineModel::kAccurate, 0x0800, 0x11},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(std::string(ModelName(test.model)) + " frequency " +
                 std::to_string(test.frequency));
    HeadlessOptions options;
    options.model = test.model;
    options.typeText = ToneText(test.frequency, test.control);
    options.frames = 100;
    const std::vector<std::int16_t> samples = RunWithSound(options, "tone.wav");
    const double expected = test.frequency * kClockHz / 16777216.0;
    const auto tone = LastSamples(samples, 48000);
    ASSERT_EQ(tone.size(), 48000u);
    EXPECT_GT(sound_measure::RmsDb(tone), -30.0);
    EXPECT_NEAR(sound_measure::ZeroCrossingHz(tone, kSampleRate), expected, expected * 0.005);
  }
}

TEST_F(SidProgramTest, GateOffReleasesTheVoiceToSilence) {
  for (const MachineModel model : {MachineModel::kClassic, MachineModel::kAccurate}) {
    SCOPED_TRACE(ModelName(model));
    // Gate on, about half a second of BASIC's loop, gate off (release 6 ms).
    HeadlessOptions options;
    options.model = model;
    options.typeText =
        "poke54296,15:poke54278,240:poke54273,28\n"
        "poke54276,33:fori=1to500:next:poke54276,32\n";
    options.frames = 100;
    const std::vector<std::int16_t> samples = RunWithSound(options, "release.wav");
    const std::vector<double> levels = WindowLevels(samples);
    const auto loud =
        std::find_if(levels.begin(), levels.end(), [](double db) { return db > -30; });
    ASSERT_NE(loud, levels.end()) << "the tone never sounded";
    const auto lastLoud =
        std::find_if(levels.rbegin(), levels.rend(), [](double db) { return db > -30; });
    // Between the first loud window and the last some 25 windows (half a second) of tone.
    EXPECT_GT(std::distance(loud, lastLoud.base()), 15);
    // The last second after the gate went off is silent.
    EXPECT_LT(std::distance(lastLoud.base(), levels.end()), 100);
    EXPECT_LT(sound_measure::RmsDb(LastSamples(samples, 48000)), -60.0);
  }
}

TEST_F(SidProgramTest, VolumeWritesAloneMakeAWaveform) {
  // SEI, the screen blanked (no bad lines take cycles), then forever: volume 15, wait,
  // volume 0, wait. Each half is LDX #, STX abs, LDY #98, DEY/BNE:
  // 2 + 4 + 2 + 98 * 5 - 1 = 497 cycles, the second with JMP 500.
  const std::vector<std::uint8_t> code = {
      0x78,              // SEI
      0xA9, 0x0B,        // LDA #$0B
      0x8D, 0x11, 0xD0,  // STA $D011: DEN off
      0xA2, 0x0F,        // LDX #$0F
      0x8E, 0x18, 0xD4,  // STX $D418
      0xA0, 98,          // LDY #98
      0x88, 0xD0, 0xFD,  // DEY, BNE
      0xA2, 0x00,        // LDX #$00
      0x8E, 0x18, 0xD4,  // STX $D418
      0xA0, 98,          // LDY #98
      0x88, 0xD0, 0xFD,  // DEY, BNE
      0x4C, 0x06, 0xC0,  // JMP $C006
  };
  const double expected = kClockHz / 997.0;
  for (const MachineModel model : {MachineModel::kClassic, MachineModel::kAccurate}) {
    SCOPED_TRACE(ModelName(model));
    HeadlessOptions options = MachineCode(model, code);
    options.frames = 60;
    const std::vector<std::int16_t> samples = RunWithSound(options, "volume.wav");
    const auto square = LastSamples(samples, 24000);
    ASSERT_EQ(square.size(), 24000u);
    EXPECT_GT(sound_measure::RmsDb(square), -50.0);
    // A steady square wave: its fundamental, with nothing between it and the third
    // harmonic. The classic machine's own cycle charges make the loop quicker; the accurate
    // one runs it at the 6510's 1,000 cycles less three.
    const double hz = sound_measure::ZeroCrossingHz(square, kSampleRate);
    EXPECT_GT(hz, 500.0);
    EXPECT_GT(sound_measure::MagnitudeAt(square, kSampleRate, hz),
              10.0 * sound_measure::MagnitudeAt(square, kSampleRate, hz * 1.5));
    if (model == MachineModel::kAccurate) {
      EXPECT_NEAR(hz, expected, expected * 0.005);
    }
  }
}

TEST_F(SidProgramTest, Voice3OscillatorReadsFollowItsNoise) {
  // Voice 3 on noise at the highest frequency, then 1,024 reads of $D41B stored at
  // $C100-$C4FF, four to each turn of X; back to BASIC.
  std::vector<std::uint8_t> code = {
      0x78,              // SEI
      0xA9, 0xFF,        // LDA #$FF
      0x8D, 0x0E, 0xD4,  // STA $D40E
      0x8D, 0x0F, 0xD4,  // STA $D40F
      0xA9, 0x81,        // LDA #$81: noise, gate
      0x8D, 0x12, 0xD4,  // STA $D412
      0xA2, 0x00,        // LDX #0
  };
  for (int page = 0xC1; page <= 0xC4; ++page) {
    for (const int byte : {0xAD, 0x1B, 0xD4, 0x9D, 0x00, page}) {  // LDA $D41B, STA page,X
      code.push_back(static_cast<std::uint8_t>(byte));
    }
  }
  for (const int byte : {0xE8, 0xD0, 0xE5, 0x58, 0x60}) {  // INX, BNE to the first LDA; CLI, RTS
    code.push_back(static_cast<std::uint8_t>(byte));
  }
  // The branch at $C029 goes from $C02B back 27 bytes, to the first LDA at $C010.
  ASSERT_EQ(code[0x29], 0xD0);
  ASSERT_EQ(code[0x10], 0xAD);
  for (const MachineModel model : {MachineModel::kClassic, MachineModel::kAccurate}) {
    SCOPED_TRACE(ModelName(model));
    HeadlessOptions options = MachineCode(model, code);
    options.frames = 10;
    options.screenText = true;
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(RunHeadless(options, out, err), 0) << err.str();
    EXPECT_NE(out.str().find("\nREADY.", out.str().find("SYS49152")), std::string::npos)
        << out.str();
    const std::set<std::uint8_t> values(C64.memory.ram + 0xC100, C64.memory.ram + 0xC100 + 1000);
    EXPECT_GE(values.size(), 200u);
  }
}

// The largest change from one sample to the next.
int LargestStep(std::span<const std::int16_t> samples) {
  int largest = 0;
  for (std::size_t i = 1; i < samples.size(); ++i) {
    largest = std::max(largest, std::abs(samples[i] - samples[i - 1]));
  }
  return largest;
}

TEST_F(SidProgramTest, ASnapshotTakenDuringAToneContinuesWithTheSameSamples) {
  for (const MachineModel model : {MachineModel::kClassic, MachineModel::kAccurate}) {
    SCOPED_TRACE(ModelName(model));
    HeadlessOptions tone;
    tone.model = model;
    tone.typeText = ToneText(0x1CD6, 0x21);
    HeadlessOptions first = tone;
    first.frames = 40;
    first.saveState = (directory_ / "tone.c64s").string();
    const std::vector<std::int16_t> before = RunWithSound(first, "first.wav");

    HeadlessOptions second;
    second.loadState = first.saveState;
    second.inputAt = 0;
    second.frames = 50;
    const std::vector<std::int16_t> after = RunWithSound(second, "second.wav");
    const std::vector<std::int16_t> again = RunWithSound(second, "again.wav");
    ASSERT_GT(after.size(), 49u * kSamplesPerFrame);
    EXPECT_GT(sound_measure::RmsDb(after), -30.0);
    EXPECT_EQ(after, again);

    // Across the seam the tone goes on at its pitch, with no step larger than its own.
    std::vector<std::int16_t> seam(before.end() - 4800, before.end());
    seam.insert(seam.end(), after.begin(), after.begin() + 4800);
    const double hz = 0x1CD6 * kClockHz / 16777216.0;
    EXPECT_NEAR(sound_measure::ZeroCrossingHz(seam, kSampleRate), hz, hz * 0.005);
    EXPECT_LE(std::abs(after.front() - before.back()), LargestStep(std::span(before).last(4800)));

    // The accurate machine runs the same every time (the classic one's clock follows the
    // host's), so there the two pieces are exactly the run without the snapshot.
    if (model == MachineModel::kAccurate) {
      HeadlessOptions whole = tone;
      whole.frames = 90;
      const std::vector<std::int16_t> expected = RunWithSound(whole, "whole.wav");
      ASSERT_EQ(before.size() + after.size(), expected.size());
      EXPECT_TRUE(std::equal(before.begin(), before.end(), expected.begin()));
      EXPECT_TRUE(std::equal(after.begin(), after.end(), expected.begin() + before.size()));
    }
  }
}

// The amplitude (largest minus smallest sample) of each run of 16 samples: one period of
// a 3 kHz tone, so that the curve follows the envelope and not the waveform.
constexpr int kEnvelopeWindow = 16;
std::vector<int> EnvelopeCurve(const std::vector<std::int16_t>& samples) {
  std::vector<int> curve;
  for (std::size_t at = 0; at + kEnvelopeWindow <= samples.size(); at += kEnvelopeWindow) {
    const auto [low, high] = std::minmax_element(samples.begin() + static_cast<long>(at),
                                                 samples.begin() + static_cast<long>(at) + 16);
    curve.push_back(*high - *low);
  }
  return curve;
}

TEST_F(SidProgramTest, EnvelopePhasesLastAsTheRateTableSays) {
  // The data sheet's times at its 1 MHz clock; the PAL machine's 985,248 Hz stretches
  // them by 1.5 %. Attack rises linearly from silence to the peak; decay (to sustain 0)
  // and release fall from the peak to silence, each three times its attack's time.
  constexpr double kAttackMs[16] = {2,   8,   16,  24,  38,   56,   68,   80,
                                    100, 250, 500, 800, 1000, 3000, 5000, 8000};
  constexpr double kClockStretch = 1e6 / kClockHz;
  struct Case {
    MachineModel model;
    char phase;  // 'a'ttack, 'd'ecay or 'r'elease
    int rate;
  };
  // Rate 0 is left out: the chip takes 9 cycles a step there, 2.3 ms instead of 2.
  const Case cases[] = {
      {MachineModel::kClassic, 'a', 1},   {MachineModel::kClassic, 'a', 5},
      {MachineModel::kClassic, 'a', 11},  {MachineModel::kClassic, 'a', 15},
      {MachineModel::kClassic, 'd', 1},   {MachineModel::kClassic, 'd', 9},
      {MachineModel::kClassic, 'd', 15},  {MachineModel::kClassic, 'r', 1},
      {MachineModel::kClassic, 'r', 6},   {MachineModel::kClassic, 'r', 15},
      {MachineModel::kAccurate, 'a', 4},  {MachineModel::kAccurate, 'd', 5},
      {MachineModel::kAccurate, 'r', 10},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(std::string(ModelName(test.model)) + " " + test.phase + " rate " +
                 std::to_string(test.rate));
    const double expectedMs = kAttackMs[test.rate] * (test.phase == 'a' ? 1 : 3) * kClockStretch;
    const int attackDecay = test.phase == 'a' ? test.rate << 4 : test.phase == 'd' ? test.rate : 0;
    const int sustainRelease =
        test.phase == 'd' ? 0x00 : 0xF0 | (test.phase == 'r' ? test.rate : 0);
    // Voice 1: a 3 kHz triangle ($C78E), volume 15; the release's gate goes off after a
    // short BASIC loop.
    HeadlessOptions options;
    options.model = test.model;
    options.typeText = "poke54296,15:poke54272,142:poke54273,199:poke54277," +
                       std::to_string(attackDecay) + ":poke54278," +
                       std::to_string(sustainRelease) + "\npoke54276,17" +
                       (test.phase == 'r' ? ":fori=1to200:next:poke54276,16" : "") + "\n";
    options.frames = static_cast<int>(expectedMs * 1.2 / 20.0) + 30;
    const std::vector<int> curve = EnvelopeCurve(RunWithSound(options, "envelope.wav"));
    const int peak = *std::max_element(curve.begin(), curve.end());
    ASSERT_GT(peak, 4000);
    const auto windowsAt = [&curve](std::size_t from, auto reached) {
      std::size_t i = from;
      while (i < curve.size() && !reached(curve[i])) ++i;
      return i;
    };
    double measuredWindows = 0.0;
    if (test.phase == 'a') {
      // Linear: from a tenth to nine tenths of the peak is 0.8 of the whole rise.
      // Counted back from nine tenths, so that the click of the volume write before the
      // gate is not taken for the start.
      const std::size_t nineTenths = windowsAt(0, [&](int a) { return a >= peak * 9 / 10; });
      std::size_t tenth = nineTenths;
      while (tenth > 0 && curve[tenth - 1] >= peak / 10) --tenth;
      measuredWindows = static_cast<double>(nineTenths - tenth) / 0.8;
    } else {
      // From the last window at the peak to the first below the envelope's lowest step.
      const std::size_t full = windowsAt(0, [&](int a) { return a >= peak * 97 / 100; });
      std::size_t lastFull = full;
      while (lastFull + 1 < curve.size() && curve[lastFull + 1] >= peak * 97 / 100) ++lastFull;
      const std::size_t silent = windowsAt(lastFull, [&](int a) { return a < peak / 510; });
      ASSERT_LT(silent, curve.size()) << "never fell silent";
      measuredWindows = static_cast<double>(silent - lastFull);
    }
    const double measuredMs = measuredWindows * kEnvelopeWindow / kSampleRate * 1000.0;
    EXPECT_NEAR(measuredMs, expectedMs, expectedMs * 0.1);
  }
}

TEST_F(SidProgramTest, FilterRingModulationAndSyncChangeTheSpectrum) {
  // Voice 1 plays a tone, once plain and once with the feature; voice 3 runs at 300 Hz
  // ($13F5) as the modulator, off the output ($D418 bit 7). The level at `probeHz` must
  // fall (filter) or rise (modulation) by at least |changeDb|.
  struct Case {
    const char* name;
    MachineModel model;
    int toneRegister;  // voice 1's frequency
    int control;       // voice 1 with the feature (without it: waveform bits only)
    int routing;       // $D417 with the feature (without it: 0)
    int mode;          // $D418 with the feature (without it: volume and 3OFF only)
    double probeHz;
    double changeDb;
  };
  const double voice3Hz = 0x13F5 * kClockHz / 16777216.0;
  const double toneHz = 0x4285 * kClockHz / 16777216.0;  // 1 kHz
  const Case cases[] = {
      // 12 dB an octave: a 3 kHz tone nearly four octaves above the 220 Hz cutoff.
      {"low-pass, tone far above the cutoff", MachineModel::kClassic, 0xC78E, 0x11, 0x01, 0x9F,
       0xC78E * kClockHz / 16777216.0, -12},
      {"low-pass, accurate machine", MachineModel::kAccurate, 0xC78E, 0x11, 0x01, 0x9F,
       0xC78E * kClockHz / 16777216.0, -12},
      // The triangle inverted by voice 3's square: components at 1000 +- 300 Hz.
      {"ring modulation", MachineModel::kClassic, 0x4285, 0x15, 0x00, 0x8F, toneHz + voice3Hz, 20},
      {"ring modulation, accurate machine", MachineModel::kAccurate, 0x4285, 0x15, 0x00, 0x8F,
       toneHz - voice3Hz, 20},
      // The sawtooth restarted at every cycle of voice 3: a 300 Hz fundamental.
      {"hard sync", MachineModel::kClassic, 0x4285, 0x23, 0x00, 0x8F, voice3Hz, 20},
      {"hard sync, accurate machine", MachineModel::kAccurate, 0x4285, 0x23, 0x00, 0x8F, voice3Hz,
       20},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    double magnitude[2] = {};
    for (int with = 0; with < 2; ++with) {
      HeadlessOptions options;
      options.model = test.model;
      // Cutoff 0, voice 3 at 300 Hz (gate off: only its oscillator counts), voice 1's
      // envelope held at its peak.
      options.typeText = "poke54293,0:poke54294,0:poke54286,245:poke54287,19:poke54295," +
                         std::to_string(with ? test.routing : 0) + ":poke54296," +
                         std::to_string(with ? test.mode : 0x8F) + "\npoke54272," +
                         std::to_string(test.toneRegister & 0xFF) + ":poke54273," +
                         std::to_string(test.toneRegister >> 8) +
                         ":poke54277,0:poke54278,240:poke54276," +
                         std::to_string(with ? test.control : (test.control & 0xF1)) + "\n";
      options.frames = 40;
      const std::vector<std::int16_t> samples = RunWithSound(options, "spectrum.wav");
      magnitude[with] =
          sound_measure::MagnitudeAt(LastSamples(samples, 24000), kSampleRate, test.probeHz);
    }
    const double change =
        sound_measure::Db(std::max(magnitude[1], 1e-9) / std::max(magnitude[0], 1e-9));
    if (test.changeDb < 0) {
      ASSERT_GT(magnitude[0], 0.05) << "the plain tone is missing";
      EXPECT_LE(change, test.changeDb);
    } else {
      EXPECT_GE(change, test.changeDb);
    }
  }
}

TEST_F(SidProgramTest, AnUnusableSoundFileIsAUsageError) {
  HeadlessOptions options;
  options.audio = (directory_ / "missing" / "x.wav").string();
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(RunHeadless(options, out, err), 1);
  EXPECT_NE(err.str().find("--audio: the folder of"), std::string::npos) << err.str();
}

}  // namespace
