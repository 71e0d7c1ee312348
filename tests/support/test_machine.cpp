// The tests' shared helpers: folders and files, the ROM images, a machine at power-on or
// at BASIC's prompt, one running on a thread of its own, the screen as text.
#include "tests/support/test_machine.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "apps/headless_runner.h"
#include "apps/screen_text.h"
#include "core/machine.h"
#include "core/power_on.h"
#include "core/rom_images.h"
#include "core/run_control.h"
#include "core/run_loop.h"
#include "platform/host_services.h"

using namespace platform;
using namespace core;
using namespace apps;

namespace {
std::vector<RecordedBox> Boxes;
void RecordBox(const std::string& text, const std::string& title) {
  Boxes.push_back({text, title});
}
}  // namespace

std::filesystem::path SharedDir() {
  if (const char* dir = std::getenv("C64EMU_SHARED_DIR"); dir && *dir) return dir;
  return C64EMU_SHARED_DIR;
}

std::filesystem::path RomDir() {
  return SharedDir() / "roms";
}

std::filesystem::path FreshTempDirectory(const std::string& purpose) {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = "c64emu-" + purpose + "-" + std::to_string(getpid());
  if (test != nullptr) name += std::string("-") + test->test_suite_name() + "-" + test->name();
  const std::filesystem::path directory = std::filesystem::temp_directory_path() / name;
  std::filesystem::remove_all(directory);
  std::filesystem::create_directories(directory);
  return directory;
}

WorkingFolder::WorkingFolder(const std::string& purpose)
    : previous_(std::filesystem::current_path()), path_(FreshTempDirectory(purpose)) {
  std::filesystem::current_path(path_);
}

WorkingFolder::~WorkingFolder() {
  std::filesystem::current_path(previous_);
  std::filesystem::remove_all(path_);
}

std::string WriteTestFile(const std::filesystem::path& directory, const std::string& name,
                          const std::vector<std::uint8_t>& bytes) {
  const std::string path = (directory / name).string();
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return path;
}

std::string Cc1541Text(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return "'" + lower + "'";
}

std::vector<std::uint8_t> MakeD64Image(const std::string& diskOptions,
                                       const std::vector<Cc1541File>& files) {
  if (std::system("command -v cc1541 >/dev/null 2>&1") != 0) {
    ADD_FAILURE() << "cc1541 is not installed (scripts_common.sh installs the Debian package)";
    return {};
  }
  const std::filesystem::path dir = FreshTempDirectory("cc1541");
  std::string command = "cd '" + dir.string() + "' && cc1541 -q " + diskOptions;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string local = "file" + std::to_string(i);
    WriteTestFile(dir, local, files[i].bytes);
    command += " " + files[i].options + " -f " + Cc1541Text(files[i].name) + " -w " + local;
  }
  if (std::system((command + " disk.d64 >/dev/null").c_str()) != 0) ADD_FAILURE() << command;
  std::ifstream in(dir / "disk.d64", std::ios::binary);
  std::vector<std::uint8_t> image(std::istreambuf_iterator<char>(in), {});
  std::filesystem::remove_all(dir);
  return image;
}

void LoadTestRoms() {
  ZeroWholeMachine();
  std::string error;
  if (!LoadRomImages({RomDir()}, error)) FAIL() << error;
}

void PowerOnTestMachine() {
  LoadTestRoms();
  PowerOn(true);
}

void RunFrames(int frames) {
  core::RunFrames(static_cast<std::uint64_t>(frames));
}

void BootToBasic() {
  PowerOnTestMachine();
  RunFrames(200);
}

BackgroundMachine::BackgroundMachine(std::chrono::milliseconds pauseAfterPass)
    : thread_([this, pauseAfterPass] {
        while (!stop_.load()) {
          RunPass();
          std::this_thread::sleep_for(pauseAfterPass);
        }
      }) {}

BackgroundMachine::~BackgroundMachine() {
  Stop();
}

void BackgroundMachine::WaitForFrames(int frames) {
  const std::uint64_t target = C64.run.frameCounter.load() + static_cast<std::uint64_t>(frames);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (C64.run.frameCounter.load() < target && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void BackgroundMachine::Stop() {
  stop_.store(true);
  if (thread_.joinable()) thread_.join();
}

std::vector<std::string> ScreenLines() {
  return ScreenTextLines();
}

std::string ScreenText() {
  std::string text;
  for (const std::string& line : ScreenLines()) text += line + "\n";
  return text;
}

const std::vector<std::uint8_t> kSumProgram = {0x01, 0x08, 0x0f, 0x08, 0x0a, 0x00,
                                               0x99, '4',  '0',  '0',  '0',  0xaa,
                                               '3',  '2',  '1',  0x00, 0x00, 0x00};

void RecordMessageBoxes() {
  Boxes.clear();
  SetMessageBoxHandler(&RecordBox);
}

std::vector<RecordedBox>& RecordedMessageBoxes() {
  return Boxes;
}
