// cc65's samples that use drive 8 as a C program's files. enumdevdir finds the drive on
// the serial bus (and no other device), and, given a getdevicedir() that names the drive
// as "8", lists the files of a cc1541 image through OPEN, CHKIN and CHRIN (getcwd() still
// says "80"). gunzip65 reads a gzip file with fopen() and fread() and writes what it
// unpacks with fwrite(), which cbmconvert then extracts from the image.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "apps/headless_runner.h"
#include "tests/programs/sample_run.h"

namespace {

class Cc65DiskSamples : public SampleProgramTest {
 protected:
  void SetUp() override {
    SampleProgramTest::SetUp();
    const std::vector<std::uint8_t> image = MakeD64Image(
        "-n " + Cc1541Text("samples"),
        {{"ONE", kSumProgram, ""}, {"TWO", kSumProgram, ""}, {"NOTES", kSumProgram, "-T SEQ"}});
    ASSERT_FALSE(image.empty());
    WriteTestFile(folder_.Path(), "samples.d64", image);
  }
  // Runs the sample with the image mounted until it is back at BASIC's READY after it.
  std::string Run(const std::string& program) {
    apps::HeadlessOptions options;
    options.program = std::string(CC65_SAMPLE_DIR) + "/" + program + ".prg";
    options.disk = "samples.d64";
    options.frames = 0;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(apps::RunHeadless(options, out, err), 0) << err.str();
    const auto finished = [] {
      const std::string text = ScreenText();
      const std::size_t device = text.find("Device 8:");
      return device != std::string::npos && text.find("\nready.", device) != std::string::npos;
    };
    EXPECT_GE(RunUntil(finished, 3000), 0) << ScreenText();
    return ScreenText();
  }
  WorkingFolder folder_{"enumdevdir"};
};

TEST_F(Cc65DiskSamples, EnumdevdirListsTheFilesOfDriveEight) {
  const std::string screen = Run("enumdevdir_fixed");
  for (const char* line : {"Device 8:", " Dir 8", "  File one", "  File two", "  File notes"}) {
    EXPECT_NE(screen.find(std::string("\n") + line), std::string::npos) << line << "\n" << screen;
  }
  EXPECT_EQ(screen.find("Device 9"), std::string::npos) << screen;
  EXPECT_EQ(screen.find("N/A"), std::string::npos) << screen;
}

// The sample as cc65 builds it finds drive 8 ready (its getdevicedir() sends "I" and
// reads 00,OK) and no other device; it then names the drive "80" and lists nothing.
TEST_F(Cc65DiskSamples, EnumdevdirAsBuiltFindsOnlyDriveEight) {
  const std::string screen = Run("enumdevdir");
  EXPECT_NE(screen.find("\nDevice 8:"), std::string::npos) << screen;
  EXPECT_EQ(screen.find("Device 9"), std::string::npos) << screen;
  EXPECT_EQ(screen.find("N/A"), std::string::npos) << screen;
}

// A text of a few kilobytes packed in gzip's format (zlib's deflate with gzip's header).
std::vector<std::uint8_t> Gzip(const std::string& text) {
  z_stream stream{};
  EXPECT_EQ(deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY),
            Z_OK);
  std::vector<std::uint8_t> packed(deflateBound(&stream, text.size()) + 32);
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  stream.avail_in = static_cast<uInt>(text.size());
  stream.next_out = packed.data();
  stream.avail_out = static_cast<uInt>(packed.size());
  EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
  packed.resize(stream.total_out);
  deflateEnd(&stream);
  return packed;
}

std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The sample asks for the two names on standard input; the packed file is a SEQ file, the
// type cc65's fopen() asks for. The unpacked bytes are read off the written image by
// cbmconvert, not by the drive that wrote them.
TEST_F(SampleProgramTest, Gunzip65UnpacksAGzipFileOnTheImageIntoANewFile) {
  std::string text;
  for (int line = 0; line < 60; ++line) {
    text += "line " + std::to_string(line) + " squared is " + std::to_string(line * line) + "\n";
  }
  const WorkingFolder folder{"gunzip65"};
  const std::vector<std::uint8_t> image =
      MakeD64Image("-n " + Cc1541Text("packed"), {{"DATA.GZ", Gzip(text), "-T SEQ"}});
  ASSERT_FALSE(image.empty());

  for (const core::MachineModel model :
       {core::MachineModel::kClassic, core::MachineModel::kAccurate}) {
    SCOPED_TRACE(model == core::MachineModel::kAccurate ? "accurate" : "classic");
    WriteTestFile(folder.Path(), "packed.d64", image);
    apps::HeadlessOptions options;
    options.program = std::string(CC65_SAMPLE_DIR) + "/gunzip65.prg";
    options.disk = "packed.d64";
    options.model = model;
    options.typeText = "data.gz\nunpacked\n";
    options.frames = 0;
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(apps::RunHeadless(options, out, err), 0) << err.str();
    ASSERT_GE(RunUntil([] { return ScreenShows("\nOk."); }, 3000), 0) << ScreenText();

    const std::filesystem::path extracted = folder.Path() / "extracted";
    std::filesystem::remove_all(extracted);
    std::filesystem::create_directory(extracted);
    const std::string command =
        "cd '" + extracted.string() + "' && cbmconvert -N -d ../packed.d64 >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << "cbmconvert (Debian package cbmconvert) failed";
    EXPECT_EQ(ReadWholeFile(extracted / "unpacked.seq"), text);
  }
}

}  // namespace
