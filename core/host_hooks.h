// What the machine core asks of the program around it. The core knows nothing of the
// video renderers, the keyboard mapping, the loaders or the windows above it: it calls
// these hooks, which each program (the desktop program, the headless runner, the tests)
// installs once at start-up, and the debug window's view while that window is open.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace core {

// What the KERNAL's load routine has been given when it reaches its device trap.
struct NamedFileRequest {
  std::string_view name;  // the name's bytes as the processor saw them (at most 255)
  std::uint8_t device = 0;
  // 0: the file goes to `loadAddress`, whatever its own address (BASIC's LOAD"x",8);
  // otherwise to the address in its first two bytes (LOAD"x",8,1).
  std::uint8_t secondaryAddress = 0;
  std::uint16_t loadAddress = 0;  // X/Y of the LOAD call, which BASIC sets to its start
  bool verify = false;            // compare with memory and change nothing
};

enum class NamedFileOutcome : std::uint8_t {
  kNotFound,   // nothing was loaded or compared; the KERNAL ends with error 4
  kLoaded,     // the file is in RAM
  kVerified,   // compared: memory holds the file
  kDifferent,  // compared: memory differs from the file somewhere
};

struct NamedFileResult {
  NamedFileOutcome outcome = NamedFileOutcome::kNotFound;
  std::uint16_t end = 0;  // the address after the file's last byte, for $AE/$AF
};

// The KERNAL's serial-bus routines, each taken over for device 8 (see kernal_traps.cpp).
enum class SerialCall : std::uint8_t {
  kListen,
  kSecond,  // the byte: the secondary address after LISTEN ($6x data, $Ex close, $Fx open)
  kCiout,   // the byte: a data byte for the listener
  kUnlisten,
  kTalk,
  kTksa,   // the byte: the secondary address after TALK
  kAcptr,  // answers a byte from the talker
  kUntalk,
};

// What a bus call answers: ACPTR's byte and the bits to OR into the status byte ST ($90).
struct SerialReply {
  std::uint8_t byte = 0;
  std::uint8_t status = 0;
};

struct HostHooks {
  // The picture at the end of every pass (the video chip's whole-picture render).
  void (*renderPicture)() = nullptr;
  // The accurate machine at the start of each raster line, after C64.vic.raster has begun
  // it: draws the line and leaves its collisions in the raster's line fields.
  void (*drawRasterLine)(std::uint16_t line) = nullptr;
  // The first start clears the picture, then opens the display, whose main loop runs
  // inside the call for as long as the desktop program lives.
  void (*clearPicture)() = nullptr;
  void (*openDisplay)() = nullptr;
  // The KERNAL's load routine asks for a file by name (see NamedFileRequest).
  NamedFileResult (*loadNamedFile)(const NamedFileRequest& request) = nullptr;
  // Device 8 on the serial bus: without the hook the KERNAL's own routines run.
  SerialReply (*serialBus)(SerialCall call, std::uint8_t byte) = nullptr;
  // Power-on and reset: the devices on the serial bus reset with the machine.
  void (*resetSerialDevices)() = nullptr;
  // Every interrupt entry, before the KERNAL's keyboard scan (held keys, queued events).
  void (*interruptEntered)() = nullptr;
  // The start of every frame (the desktop program moves the sound made so far to the
  // sound card's queue). Runs on the thread running the pass; may not block.
  void (*frameBegun)() = nullptr;
  // Power-on and reset: every key and direction up, queued key events dropped.
  void (*releaseAllKeys)() = nullptr;
  // The speed limit's wait until the steady clock reaches `steadyNanoseconds` (the next
  // frame's time), asleep; returns true when the pass should end at once because input
  // waits for the host. Without the hook the thread just sleeps.
  bool (*waitForFrame)(std::int64_t steadyNanoseconds) = nullptr;
  // A halting opcode, after its log line and box, just before the process ends: returns
  // the exit status (without a hook the status is 0).
  int (*machineHalted)() = nullptr;
};

// Installed before the machine first runs; not changed while a pass runs.
void InstallHostHooks(const HostHooks& hooks);
const HostHooks& InstalledHostHooks();

// Control IDs of the debug window's fields that the machine writes.
enum class DebugField : int {
  kFramesPerSecond = 1020,
  kTextMode = 1026,
  kBitmapMode = 1028,
  kMulticolourMode = 1029,
  kVicBank = 1030,
  kBaseAddress = 1031,
  kScreenMemory = 1032,
};

// Implemented by the debug window while it is open.
class DebugWindowView {
 public:
  virtual void Refresh() = 0;
  virtual void SetField(DebugField field, const std::string& text) = 0;

 protected:
  ~DebugWindowView() = default;
};

// The open window registers itself on opening and passes nullptr on closing. The calls
// below do nothing while no window is open, so the machine never formats a field's text
// unless DebugWindowIsOpen() says it is shown.
void SetDebugWindowView(DebugWindowView* view);
bool DebugWindowIsOpen();
void RefreshDebugWindow();
void SetDebugWindowField(DebugField field, const std::string& text);

}  // namespace core
