// A fingerprint of the whole machine after a fixed session: 1,000 frames from power-on
// with a BASIC program typed and run. Any change of what the machine does shows up
// here; a change meant to alter it updates the fingerprint in the same commit.
#include <gtest/gtest.h>

#include <cstdint>

#include "apps/headless_runner.h"
#include "core/machine.h"
#include "core/power_on.h"
#include "tests/support/test_machine.h"
#include "video/frame_buffer.h"

using namespace core;
using namespace video;
using namespace apps;

namespace {

std::uint64_t Fnv1a(const void* data, std::size_t size) {
  std::uint64_t hash = 0xCBF29CE484222325u;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 0x100000001B3u;
  return hash;
}

void Type(const char* text) {
  for (const char* c = text; *c != '\0'; ++c) {
    const auto key = static_cast<unsigned char>(*c);
    ASSERT_TRUE(PressHostCharacter(key)) << *c;
    RunFrames(3);
    ReleaseHostCharacter(key);
    RunFrames(3);
  }
}

TEST(MachineFingerprint, ABootWithTypingEndsInTheSameMemoryAndPicture) {
  LoadTestRoms();
  PowerOn(true);
  C64.classicCia1.powerOnLocalTime = std::tm{};  // the time-of-day registers then hold no host time
  RunFrames(200);
  Type("10 fori=1to9:printi*i;:next\r20 poke53281,2:poke1024,81\rrun\r");
  RunFrames(1000 - static_cast<int>(C64.run.frameCounter.load()));
  ASSERT_EQ(C64.run.frameCounter.load(), 1000u);
  ASSERT_NE(ScreenText().find("\n 1  4  9  16  25  36  49  64  81"), std::string::npos)
      << ScreenText();

  EXPECT_EQ(Fnv1a(C64.memory.ram, kMemorySize), 630937336509968883u);
  EXPECT_EQ(Fnv1a(C64.memory.ioImage, kMemorySize), 13158111989566106377u);
  EXPECT_EQ(Fnv1a(FrameBuffer, sizeof FrameBuffer), 12954087032605006821u);
}

}  // namespace
