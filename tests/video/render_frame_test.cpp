// RenderFrame's own rules: bank and pointers from the registers or the overrides, the
// background mode and the force flags, and what it reports to the debug window and log.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "core/debug_log.h"
#include "core/host_hooks.h"
#include "tests/video/video_fixture.h"
#include "video/text_renderer.h"

using namespace core;
using namespace video;

namespace {

class RecordingDebugView final : public DebugWindowView {
 public:
  void Refresh() override {}
  void SetField(DebugField field, const std::string& text) override { fields[field] = text; }
  std::map<DebugField, std::string> fields;
};

class RenderFrameTest : public VideoTest {
 protected:
  void SetUp() override {
    VideoTest::SetUp();
    SetRegister(0x18, 0x15);
    SetRegister(0x21, 6);
    SetRegister(0x22, 2);
    SetRegister(0x23, 5);
    // Text screen, bitmap and colours all filled, so that every mode has something to show.
    FillNoise(C64.memory.ram, 0x0000, 0x1000, 40);
    FillNoise(C64.memory.ram, 0x2000, 0xC000, 41);
    FillNoise(C64.memory.ioImage, 0xD800, 1000, 42);
  }
  void TearDown() override {
    SetDebugWindowView(nullptr);
    VideoTest::TearDown();
  }

  std::string Field(DebugField field) { return view_.fields[field]; }
  void OpenDebugWindow() { SetDebugWindowView(&view_); }

  RecordingDebugView view_;
};

const char* const kMulticolourLine = "> Multicolor-Mode activated!\r\n";

std::size_t Occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

// ---- bank and pointers -------------------------------------------------------------------

TEST_F(RenderFrameTest, Bank0PointersAreReported) {
  OpenDebugWindow();
  RenderFrame();
  EXPECT_EQ(VicBank, 0x0000);
  EXPECT_EQ(ScreenOffset, 0x0400);
  EXPECT_EQ(CharBaseOffset, 0x1000);
  EXPECT_EQ(Field(DebugField::kVicBank), "0x0");
  EXPECT_EQ(Field(DebugField::kBaseAddress), "0x1000");
  EXPECT_EQ(Field(DebugField::kScreenMemory), "0x400");
  EXPECT_EQ(Field(DebugField::kTextMode), "yes");
  EXPECT_EQ(Field(DebugField::kBitmapMode), "no");
  EXPECT_EQ(Field(DebugField::kMulticolourMode), "no");
}

TEST_F(RenderFrameTest, Dd00SelectsTheBankInvertedAndAddedPointersAreReported) {
  OpenDebugWindow();
  const struct {
    std::uint8_t port;
    std::uint16_t bank;
    const char* charBase;
  } kCases[] = {{0xFF, 0x0000, "0x1000"},
                {0xFE, 0x4000, "0x5000"},
                {0x01, 0x8000, "0x9000"},
                {0x00, 0xC000, "0xd000"}};
  for (const auto& c : kCases) {
    C64.memory.ioImage[0xDD00] = c.port;
    RenderAndCompare();
    EXPECT_EQ(VicBank, c.bank);
    EXPECT_EQ(Field(DebugField::kBaseAddress), c.charBase);
  }
}

TEST_F(RenderFrameTest, OverridesHoldPointersWhateverTheRegistersSay) {
  ScreenOverride = 0x0800;
  SetRegister(0x18, 0x17);
  RenderAndCompare();
  EXPECT_EQ(ScreenOffset, 0x0800);
  EXPECT_EQ(CharBaseOffset, 0x1800);  // still follows $D018

  BankOverride = 0x8000;
  CharBaseOverride = 0x2000;
  RenderAndCompare();
  EXPECT_EQ(VicBank, 0x8000);
  EXPECT_EQ(CharBaseOffset, 0x2000);
}

TEST_F(RenderFrameTest, RenderingNeverWritesMemory) {
  SetRegister(0x15, 0xFF);
  std::vector<std::uint8_t> ram(C64.memory.ram, C64.memory.ram + kMemorySize);
  std::vector<std::uint8_t> io(C64.memory.ioImage, C64.memory.ioImage + kMemorySize);
  RenderFrame();
  EXPECT_EQ(std::memcmp(ram.data(), C64.memory.ram, kMemorySize), 0);
  EXPECT_EQ(std::memcmp(io.data(), C64.memory.ioImage, kMemorySize), 0);
}

// ---- mode choice and force flags ---------------------------------------------------------

TEST_F(RenderFrameTest, ForcedBitmapDrawsATextScreenAsBitmap) {
  OpenDebugWindow();
  ForceBitmap = 1;
  SetRegister(0x15, 0x0F);  // sprites are drawn over it too
  RenderAndCompare();
  EXPECT_EQ(Field(DebugField::kBitmapMode), "yes");
  EXPECT_EQ(Field(DebugField::kTextMode), "no");
}

TEST_F(RenderFrameTest, ForcedTextDrawsBitmapRegistersAsTextAndWinsOverForcedBitmap) {
  OpenDebugWindow();
  SetRegister(0x11, 0x3B);
  ForceText = 1;
  ForceBitmap = 1;
  RenderAndCompare();
  EXPECT_EQ(CellCounter, 1000u);
  EXPECT_EQ(Field(DebugField::kTextMode), "yes");
}

TEST_F(RenderFrameTest, ForcedMulticolourTextIsNeitherLoggedNorReported) {
  OpenDebugWindow();
  ForceMulticolour = 1;
  RenderAndCompare();
  EXPECT_EQ(CellCounter, 1000u);
  EXPECT_EQ(Field(DebugField::kMulticolourMode), "no");
  EXPECT_EQ(Occurrences(DebugLogText(), kMulticolourLine), 0u);
}

TEST_F(RenderFrameTest, ForcedMulticolourOnBitmapAndSpritesNotEnabled) {
  SetRegister(0x11, 0x3B);
  SetRegister(0x18, 0x18);
  for (int n = 0; n < 8; ++n) {
    SetRegister(2 * n, static_cast<std::uint8_t>(40 + 30 * n));
    SetRegister(2 * n + 1, static_cast<std::uint8_t>(60 + 15 * n));
    SetRegister(0x27 + n, static_cast<std::uint8_t>(n + 1));
  }
  ForceMulticolour = 1;
  RenderAndCompare();
}

TEST_F(RenderFrameTest, MulticolourTextIsLoggedAtEveryPictureFromTheRegistersAlone) {
  OpenDebugWindow();
  SetRegister(0x16, 0x10);
  RenderFrame();
  RenderFrame();
  EXPECT_EQ(Field(DebugField::kMulticolourMode), "yes");
  EXPECT_EQ(Occurrences(DebugLogText(), kMulticolourLine), 2u);

  SetRegister(0x11, 0x20);  // multicolour bitmap: not logged, even when text is forced
  ForceText = 1;
  RenderFrame();
  EXPECT_EQ(Occurrences(DebugLogText(), kMulticolourLine), 2u);
}

}  // namespace
