// Snapshots that cannot be taken are refused with a message that says why, and the
// machine stays exactly as it was; a snapshot written and read back in this process
// restores the machine it was made from.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/machine.h"
#include "core/power_on.h"
#include "core/rom_images.h"
#include "input/key_matrix.h"
#include "shell/snapshot_file.h"
#include "tests/support/test_machine.h"
#include "video/frame_buffer.h"
#include "video/raster_line_renderer.h"

using namespace core;
using namespace shell;
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kBodyStart = 30;  // magic 8, version 2, ROM sums 12, length 4, sum 4

void PutU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// The body's checksum made right again after a change to the body.
void Reseal(std::vector<std::uint8_t>& bytes) {
  PutU32(bytes, 22, static_cast<std::uint32_t>(bytes.size() - kBodyStart));
  PutU32(bytes, 26,
         static_cast<std::uint32_t>(
             crc32(0, bytes.data() + kBodyStart, static_cast<uInt>(bytes.size() - kBodyStart))));
}

class SnapshotFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadTestRoms();
    RecordMessageBoxes();
    BootToBasic();
    good_ = MakeSnapshot();
    // The machine the refused snapshots must leave alone differs from the snapshot's.
    RunFrames(9);
    before_ = MakeSnapshot();
    ASSERT_NE(before_, good_);
  }
  std::vector<std::uint8_t> good_;
  std::vector<std::uint8_t> before_;
};

TEST_F(SnapshotFileTest, BadSnapshotsAreRefusedAndChangeNothing) {
  struct Case {
    const char* what;
    std::function<void(std::vector<std::uint8_t>&)> spoil;
    const char* error;
  };
  const Case cases[] = {
      {"text",
       [](auto& b) {
         b.assign({'1', '0', ' ', 'P', 'R', 'I', 'N', 'T'});
       },
       "not a snapshot"},
      {"empty", [](auto& b) { b.clear(); }, "not a snapshot"},
      {"another version", [](auto& b) { b[8] = 2; }, "a snapshot of version 2, not 1"},
      {"cut in its header", [](auto& b) { b.erase(b.begin() + 20, b.end()); },
       "the snapshot is truncated"},
      {"cut in its body", [](auto& b) { b.pop_back(); }, "the snapshot is truncated"},
      {"bytes after its end", [](auto& b) { b.push_back(0); },
       "the snapshot has bytes after its end"},
      {"a changed byte", [](auto& b) { b[kBodyStart + 100] ^= 0x20; },
       "the snapshot is damaged (its checksum does not match)"},
      {"other ROM images", [](auto& b) { b[14] ^= 1; },
       "the snapshot was made with other ROM images"},
      {"a section's tag", [](auto& b) { b[kBodyStart] = 'X', Reseal(b); },
       "the snapshot is damaged (its sections do not read back)"},
      {"a section cut short", [](auto& b) { b.erase(b.end() - 5, b.end()), Reseal(b); },
       "the snapshot is damaged (its sections do not read back)"},
      {"a raster line past the frame",
       [](auto& b) {
         // The video chip's section follows the processor's (8 + 27 bytes) and memory's
         // (8 + 2 * 65,536 + 1 bytes): its first field is the raster line.
         const std::size_t line = kBodyStart + 35 + 8 + 131073 + 8;
         ASSERT_EQ(std::string(b.begin() + line - 8, b.begin() + line - 4), "VIC ");
         b[line] = 0xFF, b[line + 1] = 0x7F, Reseal(b);
       },
       "the snapshot is damaged (its sections do not read back)"},
  };
  for (const Case& test : cases) {
    std::vector<std::uint8_t> bytes = good_;
    test.spoil(bytes);
    std::string error;
    EXPECT_FALSE(RestoreSnapshot(bytes, error)) << test.what;
    EXPECT_EQ(error, test.error) << test.what;
    EXPECT_EQ(MakeSnapshot(), before_) << test.what << ": the machine changed";
  }
}

TEST_F(SnapshotFileTest, FilesThatAreNoSnapshotAreNamedAndChangeNothing) {
  const WorkingFolder folder("snapshot-files");
  fs::create_directory("folder.c64snap");
  ASSERT_EQ(mkfifo("fifo.c64snap", 0600), 0);
  std::ofstream("long.c64snap", std::ios::binary) << std::string(kSnapshotSizeLimit + 1, 'C');
  const struct {
    const char* path;
    const char* error;
  } cases[] = {
      {"missing.c64snap", "Snapshot not loaded: missing.c64snap is missing or not readable"},
      {"folder.c64snap", "Snapshot not loaded: folder.c64snap is not a regular file"},
      {"fifo.c64snap", "Snapshot not loaded: fifo.c64snap is not a regular file"},
      {"long.c64snap", "Snapshot not loaded: long.c64snap: not a snapshot (too long)"},
  };
  for (const auto& test : cases) {
    std::string error;
    EXPECT_FALSE(LoadSnapshotFile(test.path, error)) << test.path;
    EXPECT_EQ(error, test.error);
    EXPECT_EQ(MakeSnapshot(), before_) << test.path << ": the machine changed";
  }
}

TEST_F(SnapshotFileTest, ASnapshotMadeWithOtherRomsIsRefusedOnceTheRomsDiffer) {
  RomImages.kernal[0x100] ^= 0xFF;
  std::string error;
  EXPECT_FALSE(RestoreSnapshot(good_, error));
  EXPECT_EQ(error, "the snapshot was made with other ROM images");
  RomImages.kernal[0x100] ^= 0xFF;
}

TEST_F(SnapshotFileTest, AWrittenSnapshotBringsTheMachineBackAfterAReturnToZero) {
  const WorkingFolder folder("snapshot-written");
  std::string error;
  ASSERT_TRUE(SaveSnapshotFile("saved.c64snap", error)) << error;
  ZeroWholeMachine();
  ASSERT_TRUE(LoadSnapshotFile("saved.c64snap", error)) << error;
  EXPECT_EQ(MakeSnapshot(), before_);
  // And the machine runs on from there: BASIC answers.
  RunFrames(10);
  EXPECT_NE(ScreenText().find("READY."), std::string::npos) << ScreenText();
}

// Keys between two keyboard scans come back with the snapshot: a key tapped and let go
// before the scan that sees it up still waits for that scan after a load. A file written
// before these records were kept (its KEYS section ends before them) loads with none.
TEST_F(SnapshotFileTest, KeysWaitingForTheNextScanComeBackWithTheSnapshot) {
  input::KeyEvent press;
  press.Press(1, 2);  // A
  input::SubmitKeyEvent(press);
  input::NoteInterruptEntry();  // the entry whose scan sees it down
  input::KeyEvent release;
  release.Release(1, 2);  // up before the next entry
  input::SubmitKeyEvent(release);
  const input::KeysInFlight taken = input::CurrentKeysInFlight();
  const std::uint64_t a = std::uint64_t{1} << (1 * 8 + 2);
  ASSERT_EQ((taken.upUnscannedMatrix | taken.enteredMatrix | taken.upEnteredMatrix) & a, a);
  std::vector<std::uint8_t> bytes = MakeSnapshot();
  input::ReleaseAllKeys();
  std::string error;
  ASSERT_TRUE(RestoreSnapshot(bytes, error)) << error;
  const input::KeysInFlight loaded = input::CurrentKeysInFlight();
  EXPECT_EQ(loaded.upUnscannedMatrix, taken.upUnscannedMatrix);
  EXPECT_EQ(loaded.enteredMatrix, taken.enteredMatrix);
  EXPECT_EQ(loaded.upEnteredMatrix, taken.upEnteredMatrix);

  // The same file as written before: the section's last three 8-byte fields left out.
  const std::uint8_t tag[] = {'K', 'E', 'Y', 'S'};
  const auto keys = std::search(bytes.begin() + kBodyStart, bytes.end(), tag, tag + 4);
  ASSERT_NE(keys, bytes.end());
  const std::size_t lengthAt = static_cast<std::size_t>(keys - bytes.begin()) + 4;
  std::uint32_t length = 0;
  for (int i = 3; i >= 0; --i) length = length << 8 | bytes[lengthAt + i];
  const std::size_t end = lengthAt + 4 + length;
  bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(end - 24),
              bytes.begin() + static_cast<std::ptrdiff_t>(end));
  PutU32(bytes, lengthAt, length - 24);
  Reseal(bytes);
  ASSERT_TRUE(RestoreSnapshot(bytes, error)) << error;
  const input::KeysInFlight older = input::CurrentKeysInFlight();
  EXPECT_EQ(older.upUnscannedMatrix | older.enteredMatrix | older.upEnteredMatrix, 0u);
  EXPECT_EQ(older.pendingMatrix, taken.pendingMatrix);
}

// The accurate machine's display draws ShownPicture: a snapshot loaded while the machine
// stands still shows its own picture at once, inside the border it was taken with.
TEST(SnapshotPicture, AnAccurateSnapshotIsShownAtOnceInsideItsBorder) {
  LoadTestRoms();
  C64.model = MachineModel::kAccurate;
  PowerOn(true);
  RunFrames(200);  // BASIC's screen: light blue border, blue background
  const std::vector<std::uint8_t> snapshot = MakeSnapshot();
  std::memset(&video::ShownPicture, 2, sizeof video::ShownPicture);
  std::string error;
  ASSERT_TRUE(RestoreSnapshot(snapshot, error)) << error;
  EXPECT_EQ(video::ShownPicture.pixels[0][0], 14);
  EXPECT_EQ(video::ShownPicture.pixels[271][383], 14);
  EXPECT_EQ(video::ShownPicture.pixels[34][200], 14);
  for (const auto& [x, y] : {std::pair{0, 0}, {319, 199}, {0, 24}, {160, 100}}) {
    EXPECT_EQ(video::ShownPicture.pixels[35 + y][32 + x], video::FramePixel(x, y)) << x << "," << y;
  }
  EXPECT_EQ(video::ShownPicture.pixels[35 + 199][32 + 319], 6);
}

}  // namespace
