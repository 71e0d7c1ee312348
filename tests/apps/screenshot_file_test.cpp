// The picture File -> "Save Screenshot..." saves: either model's as a whole PNG file, and
// a file that cannot be written leaving nothing behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "apps/png_writer.h"
#include "core/machine.h"
#include "core/power_on.h"
#include "tests/support/test_machine.h"

using namespace core;

namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadAll(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

// The width and height in a PNG file's header chunk (big-endian, from byte 16).
std::pair<unsigned, unsigned> PngSize(const std::vector<std::uint8_t>& png) {
  auto word = [&png](std::size_t at) {
    return (unsigned{png[at]} << 24) | (unsigned{png[at + 1]} << 16) |
           (unsigned{png[at + 2]} << 8) | png[at + 3];
  };
  return {word(16), word(20)};
}

TEST(ScreenshotFile, EachModelsWholePictureAsThePngTheRunnerWrites) {
  const struct {
    MachineModel model;
    unsigned width, height;
  } cases[] = {{MachineModel::kClassic, 320, 200}, {MachineModel::kAccurate, 384, 272}};
  WorkingFolder folder("screenshot");
  for (const auto& c : cases) {
    LoadTestRoms();
    C64.model = c.model;
    PowerOn(true);
    RunFrames(120);
    const fs::path path = folder.Path() / "picture.png";
    std::string error;
    ASSERT_TRUE(apps::SaveScreenshotFile(path.string(), error)) << error;
    const std::vector<std::uint8_t> png = ReadAll(path);
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
    EXPECT_EQ(PngSize(png), std::make_pair(c.width, c.height));
    std::vector<std::uint8_t> encoded;
    ASSERT_TRUE(apps::EncodeMachinePicturePng(encoded, error));
    EXPECT_EQ(png, encoded);
  }
  ZeroWholeMachine();
}

}  // namespace
