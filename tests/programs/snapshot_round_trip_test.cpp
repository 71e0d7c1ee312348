// Snapshots round-trip exactly: N frames, a snapshot, the snapshot loaded in a fresh
// process and M frames more end in the same memory, I/O image, registers, counters and
// picture as N + M frames in one go. All runs start from one snapshot taken after boot,
// so that every process shows the same power-on time in its clock registers.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/test_machine.h"

namespace fs = std::filesystem;

namespace {

std::vector<char> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class SnapshotRoundTrip : public ::testing::Test {
 protected:
  void SetUp() override { directory_ = FreshTempDirectory("snapshot-round-trip"); }
  void TearDown() override { fs::remove_all(directory_); }

  // One run of the headless runner in a process of its own, in the test's folder.
  void Run(const std::string& arguments) {
    const std::string command = "cd '" + directory_.string() + "' && C64EMU_ROMS='" +
                                RomDir().string() + "' timeout 60 '" + C64EMU_BINARY_DIR +
                                "/apps/c64emu-headless' " + arguments + " >>log 2>&1";
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0)
        << command << "\n"
        << std::string(ReadAll(directory_ / "log").data(), ReadAll(directory_ / "log").size());
  }

  // The outputs of a run's end under the name `tag`: RAM, the I/O image, the picture and
  // the end snapshot (processor registers and every counter).
  static std::string Outputs(const std::string& tag) {
    return " --dump-ram " + tag + ".ram --dump-io " + tag + ".io --screenshot " + tag +
           ".png --save-state " + tag + ".snap";
  }

  void ExpectSameEnd(const std::string& one, const std::string& other) {
    for (const char* kind : {".ram", ".io", ".png", ".snap"}) {
      const std::vector<char> a = ReadAll(directory_ / (one + kind));
      EXPECT_FALSE(a.empty()) << one << kind;
      EXPECT_TRUE(a == ReadAll(directory_ / (other + kind))) << kind << " differs";
    }
  }

  fs::path directory_;
};

TEST_F(SnapshotRoundTrip, ABasicProgramTypedAndRunningGoesOnAsIfNeverStopped) {
  Run("--frames 0 --save-state booted.snap");
  const std::string typed = " --type '10 fori=1to300:poke53280,i and 15:printi;:next\\nrun\\n'";
  Run("--load-state booted.snap --input-at 0" + typed + " --frames 137" + Outputs("whole"));
  Run("--load-state booted.snap --input-at 0" + typed + " --frames 61 --save-state half.snap");
  Run("--load-state half.snap --input-at 0 --frames 76" + Outputs("halves"));
  ExpectSameEnd("whole", "halves");
}

TEST_F(SnapshotRoundTrip, ACc65ProgramInMidRunGoesOnAsIfNeverStopped) {
  const std::string program = std::string(" --prg '") + CC65_SAMPLE_DIR + "/plasma.prg'";
  Run("--frames 0 --save-state booted.snap");
  Run("--load-state booted.snap --input-at 0" + program + " --frames 250" + Outputs("whole"));
  Run("--load-state booted.snap --input-at 0" + program + " --frames 123 --save-state half.snap");
  Run("--load-state half.snap --input-at 0 --frames 127" + Outputs("halves"));
  ExpectSameEnd("whole", "halves");
}

}  // namespace
