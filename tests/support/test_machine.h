// Helpers shared by the tests: the shared directory, the ROM images and a machine
// brought to a known state.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "shell/machine_hooks.h"

std::filesystem::path SharedDir();
std::filesystem::path RomDir();

// A fresh, empty directory of this test process's own (tests run in parallel).
std::filesystem::path FreshTempDirectory(const std::string& purpose);

// A fresh folder of the test's own that is the current directory while the object lives
// (the KERNAL's loads by name look there); afterwards the folder is removed and the
// directory from before is current again.
class WorkingFolder {
 public:
  explicit WorkingFolder(const std::string& purpose);
  ~WorkingFolder();
  WorkingFolder(const WorkingFolder&) = delete;
  WorkingFolder& operator=(const WorkingFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

// Writes `bytes` as the file `name` in `directory` and returns its path.
std::string WriteTestFile(const std::filesystem::path& directory, const std::string& name,
                          const std::vector<std::uint8_t>& bytes);

// A D64 image made by cc1541 at test time from files written under their names (in the
// machine's capitals) with cc1541's per-file options; empty, with a test failure, when
// cc1541 is missing or fails.
struct Cc1541File {
  std::string name;
  std::vector<std::uint8_t> bytes;
  std::string options;  // type, flags, placement (-T SEQ, -O, -e, -r 36, ...)
};
std::vector<std::uint8_t> MakeD64Image(const std::string& diskOptions,
                                       const std::vector<Cc1541File>& files);
// Text in the machine's capitals as cc1541 takes it on its command line (quoted, in the
// ASCII lower case it turns into PETSCII letters).
std::string Cc1541Text(const std::string& text);

using shell::ZeroWholeMachine;

// ZeroWholeMachine, then the ROM images loaded (fails the test if they are missing).
void LoadTestRoms();

// A fresh machine powered on (no window) with the real ROMs: ready to boot.
void PowerOnTestMachine();

// Runs passes until `frames` more frames have begun.
void RunFrames(int frames);

// Boots to the BASIC prompt (200 frames).
void BootToBasic();

// Runs passes on a thread of its own, as EmulatorThread's display callback starts them
// (the processor's view of memory), with a pause after each pass: the time a picture
// takes on a slow host, or the pace of the machine's own speed. Stops when destroyed.
class BackgroundMachine {
 public:
  explicit BackgroundMachine(std::chrono::milliseconds pauseAfterPass = {});
  ~BackgroundMachine();
  BackgroundMachine(const BackgroundMachine&) = delete;
  BackgroundMachine& operator=(const BackgroundMachine&) = delete;
  // Returns once the machine has begun `frames` more frames (emulated time, whatever the
  // host's speed), or after a minute.
  void WaitForFrames(int frames);
  // Ends the passes and waits for the thread; afterwards the machine state is the
  // caller's alone.
  void Stop();

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// The 25 rows of the current video matrix as text (screen codes mapped to ASCII).
std::vector<std::string> ScreenLines();
// The same rows, each ended by "\n": for searches across lines and failure messages.
std::string ScreenText();

// A one-line BASIC program as a .prg file's bytes: 10 PRINT 4000+321.
extern const std::vector<std::uint8_t> kSumProgram;

// Collects message boxes instead of printing them.
struct RecordedBox {
  std::string text;
  std::string title;
};
void RecordMessageBoxes();
std::vector<RecordedBox>& RecordedMessageBoxes();
