// The queue between the emulator thread and the sound card: a producer whose clock runs a
// little fast or slow against the card's is followed without running dry, stopped output
// is silent and not an underrun, and a queue that does run dry is counted and fades out.
#include "platform/sound_queue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

constexpr std::size_t kTarget = 1440;  // 30 ms
constexpr std::size_t kCardBuffer = 480;
constexpr std::size_t kFrame = 960;  // one frame's samples at 50 frames a second

// Simulated time in card buffers (10 ms each): the producer adds a frame's worth, scaled
// by its speed against the card, whenever its clock has passed a frame.
struct Simulation {
  platform::SoundQueue queue{kTarget};
  double producerSamples = 0.0;  // owed to the queue by the producer's clock
  std::int16_t next = 0;
  std::size_t lowest = platform::SoundQueue::kCapacity;
  std::size_t highest = 0;
  double rateSum = 0.0;  // of the reading rate over the run's last third
  int rateCount = 0;

  void Run(double seconds, double producerSpeed, std::vector<std::int16_t>* played = nullptr) {
    std::vector<std::int16_t> out(kCardBuffer);
    std::vector<std::int16_t> frame(kFrame);
    const int buffers = static_cast<int>(seconds * 100);
    for (int buffer = 0; buffer < buffers; ++buffer) {
      producerSamples += producerSpeed * kCardBuffer;
      while (producerSamples >= kFrame) {
        for (std::int16_t& s : frame) s = next++;
        queue.Push(frame);
        producerSamples -= kFrame;
      }
      queue.Fill(out, true);
      if (played != nullptr) played->insert(played->end(), out.begin(), out.end());
      lowest = std::min(lowest, queue.Size());
      highest = std::max(highest, queue.Size());
      if (buffer >= 2 * buffers / 3) {
        rateSum += queue.Rate();
        ++rateCount;
      }
    }
  }
};

TEST(SoundQueue, FollowsAProducerSlightlyFastOrSlowWithoutUnderruns) {
  for (const double speed : {0.995, 0.998, 1.0, 1.0025, 1.005}) {
    SCOPED_TRACE(speed);
    Simulation simulation;
    simulation.Run(60.0, speed);
    EXPECT_EQ(simulation.queue.Underruns(), 0u);
    // The reading rate settles on the producer's speed (it wobbles a little with the
    // beat of the frame-sized pushes against the card's buffers), and the fill stays
    // well inside the queue: neither end is reached.
    EXPECT_NEAR(simulation.rateSum / simulation.rateCount, speed, 0.0003);
    EXPECT_GT(simulation.highest, simulation.lowest);
    EXPECT_LT(simulation.highest, 3 * kTarget);
  }
}

TEST(SoundQueue, PlaysTheSamplesInOrderAtTheSameRate) {
  Simulation simulation;
  std::vector<std::int16_t> played;
  simulation.Run(0.6, 1.0, &played);  // below 32,767 samples: no wrap
  // The producer counts 0, 1, 2, ...: once playing, each output is
  // 0 to 2 counts past the one before, i.e. nothing is skipped or repeated in bulk.
  std::size_t start = 0;
  while (start < played.size() && played[start] == 0) ++start;
  ASSERT_LT(start + 20000, played.size());
  for (std::size_t i = start + 1; i < played.size(); ++i) {
    const int step = played[i] - played[i - 1];
    ASSERT_GE(step, 0) << i;
    ASSERT_LE(step, 2) << i;
  }
}

TEST(SoundQueue, StoppedOutputIsSilentDropsTheQueueAndIsNoUnderrun) {
  Simulation simulation;
  std::vector<std::int16_t> played;
  simulation.Run(0.5, 1.0, &played);  // the counter stays below 32,767
  std::vector<std::int16_t> out(kCardBuffer, 7);
  simulation.queue.Fill(out, false);
  // Faded out from where it was (no click: no step as large as a twentieth of full
  // scale), then silent.
  EXPECT_LE(std::abs(out.front() - played.back()), 1638);
  for (std::size_t i = 1; i < out.size(); ++i) ASSERT_LE(std::abs(out[i] - out[i - 1]), 1638);
  EXPECT_EQ(out.back(), 0);
  EXPECT_EQ(simulation.queue.Size(), 0u);
  // Nothing arrives while stopped; then the producer starts again: silence until the
  // target is queued, and still no underrun.
  for (int i = 0; i < 10; ++i) simulation.queue.Fill(out, false);
  simulation.Run(2.0, 1.0);
  EXPECT_EQ(simulation.queue.Underruns(), 0u);
}

TEST(SoundQueue, RunningDryIsCountedOnceAndFadesOut) {
  platform::SoundQueue queue(kTarget);
  const std::vector<std::int16_t> loud(2 * kTarget, 20000);
  queue.Push(loud);
  std::vector<std::int16_t> out(kCardBuffer);
  std::vector<std::int16_t> played;
  for (int i = 0; i < 10; ++i) {
    queue.Fill(out, true);
    played.insert(played.end(), out.begin(), out.end());
  }
  EXPECT_EQ(queue.Underruns(), 1u);  // waiting for the queue to fill again counts no more
  // No step larger than a fade's from 20000 to 0, and silence at the end.
  for (std::size_t i = 1; i < played.size(); ++i) {
    ASSERT_LE(std::abs(played[i] - played[i - 1]), 1024) << i;
  }
  EXPECT_EQ(played.back(), 0);
}

TEST(SoundQueue, ARaisedTargetCoversAProducerThatPausesAfterEveryPass) {
  // The producer as the desktop program's emulator thread: eight frames, each pushed once
  // the queue is down to half a frame below its target, then a pause of 100 ms (a
  // picture drawn), after which it catches up at once. Time runs in card buffers.
  for (const std::size_t target : {kTarget, std::size_t{100 * 48 + 960}}) {
    SCOPED_TRACE(target);
    platform::SoundQueue queue(target);
    const std::vector<std::int16_t> frame(kFrame, 100);
    std::vector<std::int16_t> out(kCardBuffer);
    int framesInPass = 0;
    int pauseLeft = 0;  // card buffers
    for (int buffer = 0; buffer < 6000; ++buffer) {
      while (pauseLeft == 0 && queue.Size() <= target - kFrame / 2) {
        queue.Push(frame);
        if (++framesInPass == 8) {
          framesInPass = 0;
          pauseLeft = 10;
        }
      }
      if (pauseLeft > 0) --pauseLeft;
      queue.Fill(out, true);
    }
    if (target == kTarget) {
      EXPECT_GT(queue.Underruns(), 100u) << "30 ms cannot cover 100 ms";
    } else {
      EXPECT_EQ(queue.Underruns(), 0u);
    }
  }
}

TEST(SoundQueue, AFullQueueTakesNoMore) {
  platform::SoundQueue queue(kTarget);
  const std::vector<std::int16_t> many(platform::SoundQueue::kCapacity + 100, 1);
  EXPECT_EQ(queue.Push(many), platform::SoundQueue::kCapacity);
  EXPECT_EQ(queue.Push(many), 0u);
}

}  // namespace
