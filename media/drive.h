// Drive 8 as the KERNAL's serial-bus routines see it: a 1541 whose DOS answers LISTEN,
// SECOND, CIOUT, UNLSN, TALK, TKSA, ACPTR and UNTLK, with sixteen channels beneath, the
// mounted D64 image (or the host folder) as its disk and the command channel's status.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/state_stream.h"
#include "media/d64_reader.h"
#include "media/dos_status.h"

namespace media {

// Status bits of a byte taken from the bus, as the KERNAL keeps them in ST ($90).
inline constexpr std::uint8_t kBusReadTimeout = 0x02;
inline constexpr std::uint8_t kBusEoi = 0x40;

// What ACPTR gets: the byte and the bits to OR into ST. The last byte of a file carries
// kBusEoi; a channel with nothing to send (not open, read to its end, a failed open)
// answers kBusEoi | kBusReadTimeout ($42), which LOAD takes as "file not found".
struct BusByte {
  std::uint8_t byte = 0;
  std::uint8_t status = 0;
};

// The drive's channels: 0 is LOAD's (",P,R" implied), 1 SAVE's (",P,W" implied), 2-14 the
// data channels of OPEN, 15 the command channel.
inline constexpr int kDriveChannels = 16;
inline constexpr int kLoadChannel = 0;
inline constexpr int kSaveChannel = 1;
inline constexpr int kCommandChannel = 15;

// File names, commands and the bytes of one file have these bounds; a file being
// written past what the disk (or, in the host folder, kHostFileLimit) holds fails with
// 72,DISK FULL.
inline constexpr std::size_t kDriveNameLimit = 255;
inline constexpr std::size_t kHostFileLimit = 16u << 20;

// The DOS. Its disk is the mounted image or, with none and the host folder on, the
// current folder; a name to read that the image does not have is also looked for there.
//
// Choices where the 1541 leaves room:
// - A file is read whole when it is opened; a damaged chain fails the OPEN with the
//   read error (20-29, from the image's error bytes) or 66,ILLEGAL TRACK AND SECTOR (a
//   link off the disk or a chain that loops) and the sector's track and sector.
// - A file written is kept in the channel and stored when the channel closes: its blocks
//   by the 1541's interleave and order, then the whole image written back to its file.
//   A disk that fills up gives 72,DISK FULL at once; such a file leaves nothing on the
//   disk (no entry, no blocks), where the 1541 would leave an unclosed "*" entry.
// - A write-back that fails gives 25,WRITE ERROR,18,00 and leaves both the image in
//   memory and its file as they were.
// - REL files: opening one, or ",L", answers 64,FILE TYPE MISMATCH.
// - LOAD's channel 0 without a type reads PRG files only (others are passed over);
//   channels 2-14 without a type read SEQ, PRG and USR, and write SEQ.
// - At most 5 files are open at once (70,NO CHANNEL); "#" direct-access buffers and the
//   B-, M-, C-, P- and V commands are not offered (70 and 31).
// - Host folder: S and R act on the folder's regular files, N answers 26.
class Drive {
 public:
  Drive();

  // The disk: the image bytes (one of the four D64 sizes; they must outlive the mount or
  // the next Mount/Unmount) and the file they are written back to (none: memory only).
  // A file without write permission, or `writeProtected`, makes the disk write-protected.
  // Open channels are closed as at a reset, but the status stays.
  void Mount(std::span<std::uint8_t> image, std::string path, bool writeProtected);
  void Unmount();
  bool mounted() const { return !image_.empty(); }
  bool writeProtected() const { return writeProtected_; }
  // Whether the current folder serves as the disk (on by default).
  void SetHostFolder(bool enabled) { hostFolder_ = enabled; }

  // Power-on and UJ: every channel closed (files being written are lost), status 73.
  void Reset();

  // ---- The serial bus, one call for each KERNAL routine on device 8 ----
  void Listen();
  // $Fx: the bytes until UNLSN name a file to open on channel x (a command for 15);
  // $Ex: close channel x; $6x: the bytes until UNLSN are data for channel x (a command
  // for 15, run at UNLSN).
  void Second(std::uint8_t secondary);
  void Ciout(std::uint8_t byte);
  void Unlisten();
  void Talk();
  // $6x: ACPTR reads channel x.
  void Tksa(std::uint8_t secondary);
  BusByte Acptr();
  void Untalk();

  // ---- The DOS's channels ----
  // Opens `name` (PETSCII) on the channel: "[@][0]:name[,type][,mode]" with type S, P, U
  // (L: REL) and mode R, W, A (append), M (read an unclosed file); "$[0[:pattern]]" the
  // directory as a program. On channel 15 the name is a command. Returns the new status.
  DosStatus Open(int channel, std::span<const std::uint8_t> name);
  BusByte Read(int channel);
  // A byte for a file open for writing (a byte for channel 15 is ignored: see Command).
  void Write(int channel, std::uint8_t byte);
  // Closing a channel being written stores its file; closing 15 closes every channel.
  DosStatus Close(int channel);
  // Runs a command of the command channel (a trailing carriage return is dropped).
  DosStatus Command(std::span<const std::uint8_t> command);

  const DosStatus& status() const { return status_; }
  // The system's words for the last failed write-back (25,WRITE ERROR), for a message.
  const std::string& writeBackError() const { return writeBackError_; }

  // ---- Snapshots: channels, positions, bus state and status (not the image) ----
  void Save(core::StateWriter& out) const;
  // Takes the state only when the whole section reads well; false leaves the drive as it
  // was (the reader marked failed).
  bool Load(core::StateReader& in);

 private:
  enum class Mode : std::uint8_t { kClosed, kRead, kWrite };
  enum class Listening : std::uint8_t { kNone, kName, kData };
  struct Channel {
    Mode mode = Mode::kClosed;
    std::vector<std::uint8_t> bytes;  // the whole file read, or what was written so far
    std::uint32_t position = 0;       // the next byte to read
    std::string name;                 // the file written
    std::uint8_t type = 0;            // CbmFileType of the file written
    bool replace = false;             // "@": an existing file of the name is replaced
    bool host = false;                // written to the host folder
    bool full = false;                // past what the disk holds: nothing is stored
    std::uint32_t capacity = 0;       // bytes the disk holds for it
  };

  void SetStatus(DosStatus status);
  void CloseAll(bool store);
  DosStatus OpenRead(Channel& channel, int number, std::string_view pattern, int type,
                     bool typeGiven, bool unclosed, std::string_view directory);
  DosStatus OpenWrite(Channel& channel, std::string_view name, int type, bool replace, bool append);
  DosStatus Store(Channel& channel);
  // Runs `change` on a copy of the image and, when it succeeds, writes the copy back to
  // the image's file and then into the mounted bytes.
  template <typename Change>
  DosStatus ChangeDisk(Change change);
  bool NameBeingWritten(std::string_view name) const;
  int OpenFiles() const;

  std::span<std::uint8_t> image_;
  std::string path_;
  bool writeProtected_ = false;
  bool hostFolder_ = true;

  std::array<Channel, kDriveChannels> channels_;
  DosStatus status_;
  std::string statusLine_;  // the status as it is being read, with its carriage return
  std::uint32_t statusPosition_ = 0;
  std::string writeBackError_;

  Listening listening_ = Listening::kNone;
  bool talking_ = false;
  std::uint8_t listenChannel_ = 0;
  std::uint8_t talkChannel_ = 0;
  std::vector<std::uint8_t> busBytes_;  // a name or command arriving over the bus
};

}  // namespace media
