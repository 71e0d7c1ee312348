// The snapshot file: its header, the sections of the layers above the core (keys in
// flight, mounted disk, picture) beside the machine record's, and the two-step restore
// that reads everything into spare records before it changes the machine.
#include "shell/snapshot_file.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <optional>

#include "core/escaped_text.h"
#include "core/machine.h"
#include "core/machine_snapshot.h"
#include "core/rom_images.h"
#include "core/run_loop.h"
#include "core/state_stream.h"
#include "input/key_matrix.h"
#include "media/d64_image.h"
#include "media/disk_drive.h"
#include "platform/file_reader.h"
#include "platform/file_writer.h"
#include "video/frame_buffer.h"
#include "video/raster_line_renderer.h"

namespace shell {

namespace {

constexpr std::array<std::uint8_t, 8> kMagic = {'C', '6', '4', 'S', 'N', 'A', 'P', 0x1A};
// Magic, version, three ROM checksums, body length, body checksum.
constexpr std::size_t kHeaderSize = 8 + 2 + 3 * 4 + 4 + 4;

std::uint32_t Checksum(std::span<const std::uint8_t> bytes) {
  return static_cast<std::uint32_t>(
      crc32(crc32(0, nullptr, 0), bytes.data(), static_cast<uInt>(bytes.size())));
}

std::array<std::uint32_t, 3> RomChecksums() {
  const core::RomImageSet& roms = core::RomImages;
  return {Checksum(roms.basic), Checksum(roms.kernal), Checksum(roms.characters)};
}

// ---- The layers' sections ---------------------------------------------------------------

void SaveKeys(core::StateWriter& writer) {
  const input::KeysInFlight keys = input::CurrentKeysInFlight();
  writer.BeginSection("KEYS");
  writer.PutU64(keys.unseenMatrix);
  writer.PutU64(keys.pendingMatrix);
  writer.PutU8(keys.unseenJoystick);
  writer.PutU8(keys.pendingJoystick);
  writer.PutU8(static_cast<std::uint8_t>(keys.queuedCount));
  for (int i = 0; i < keys.queuedCount; ++i) {
    writer.PutU64(keys.queued[i].press);
    writer.PutU64(keys.queued[i].release);
  }
  writer.PutU64(keys.upUnscannedMatrix);
  writer.PutU64(keys.enteredMatrix);
  writer.PutU64(keys.upEnteredMatrix);
  writer.EndSection();
}

void LoadKeys(core::StateReader& reader, input::KeysInFlight& keys) {
  reader.BeginSection("KEYS");
  keys.unseenMatrix = reader.U64();
  keys.pendingMatrix = reader.U64();
  keys.unseenJoystick = reader.U8();
  keys.pendingJoystick = reader.U8();
  keys.queuedCount = reader.U8();
  if (keys.queuedCount > input::kQueuedKeyEventCapacity) {
    reader.Fail();
    keys.queuedCount = 0;
  }
  for (int i = 0; i < keys.queuedCount; ++i) {
    keys.queued[i].press = reader.U64();
    keys.queued[i].release = reader.U64();
  }
  // Added later at the section's end: a file without them has no key that waits for a scan.
  if (reader.SectionHasMore()) {
    keys.upUnscannedMatrix = reader.U64();
    keys.enteredMatrix = reader.U64();
    keys.upEnteredMatrix = reader.U64();
  }
  reader.EndSection();
}

void SaveDisk(core::StateWriter& writer) {
  const std::span<const std::uint8_t> image = media::MountedImageBytes();
  writer.BeginSection("DISK");
  writer.PutU32(static_cast<std::uint32_t>(image.size()));
  writer.PutBytes(image);
  writer.EndSection();
}

void LoadDisk(core::StateReader& reader, std::vector<std::uint8_t>& image) {
  reader.BeginSection("DISK");
  const std::uint32_t size = reader.U32();
  if (size > media::kD64LargestImageSize) {
    reader.Fail();
  } else {
    image.resize(size);
    reader.Bytes(image);
  }
  reader.EndSection();
}

// The picture as palette indices, one byte each.
void SavePicture(core::StateWriter& writer) {
  writer.BeginSection("PICT");
  for (const std::uint32_t pixel : video::FrameBuffer) {
    writer.PutU8(static_cast<std::uint8_t>(pixel));
  }
  writer.EndSection();
}

void LoadPicture(core::StateReader& reader, std::vector<std::uint8_t>& picture) {
  reader.BeginSection("PICT");
  picture.resize(video::kFrameBufferSize);
  reader.Bytes(picture);
  reader.EndSection();
  if (std::any_of(picture.begin(), picture.end(), [](std::uint8_t colour) { return colour > 15; }))
    reader.Fail();
}

// ---- Header -------------------------------------------------------------------------------

std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
         static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

// The body, or nothing with `error` set.
std::optional<std::span<const std::uint8_t>> CheckedBody(std::span<const std::uint8_t> bytes,
                                                         std::string& error) {
  if (bytes.size() < kMagic.size() || !std::equal(kMagic.begin(), kMagic.end(), bytes.begin())) {
    error = "not a snapshot";
    return std::nullopt;
  }
  if (bytes.size() < kHeaderSize) {
    error = "the snapshot is truncated";
    return std::nullopt;
  }
  const unsigned version = bytes[8] | bytes[9] << 8;
  if (version != kSnapshotVersion) {
    error = "a snapshot of version " + std::to_string(version) + ", not " +
            std::to_string(kSnapshotVersion);
    return std::nullopt;
  }
  const std::array<std::uint32_t, 3> roms = RomChecksums();
  for (std::size_t i = 0; i < roms.size(); ++i) {
    if (ReadU32(bytes, 10 + 4 * i) != roms[i]) {
      error = "the snapshot was made with other ROM images";
      return std::nullopt;
    }
  }
  const std::uint32_t length = ReadU32(bytes, 22);
  if (bytes.size() - kHeaderSize < length) {
    error = "the snapshot is truncated";
    return std::nullopt;
  }
  if (bytes.size() - kHeaderSize > length) {
    error = "the snapshot has bytes after its end";
    return std::nullopt;
  }
  const std::span<const std::uint8_t> body = bytes.subspan(kHeaderSize);
  if (Checksum(body) != ReadU32(bytes, 26)) {
    error = "the snapshot is damaged (its checksum does not match)";
    return std::nullopt;
  }
  return body;
}

void PutHeaderU32(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

}  // namespace

std::vector<std::uint8_t> MakeSnapshot() {
  // The sound chip runs the cycles it owes lazily: it is brought up to date first, so that
  // a snapshot's bytes do not depend on when the chip last caught up.
  core::C64.sid.SamplesAvailable();
  core::StateWriter writer;
  core::SaveMachine(core::C64, writer);
  SaveKeys(writer);
  SaveDisk(writer);
  media::DiskDrive().Save(writer);
  SavePicture(writer);
  const std::vector<std::uint8_t>& body = writer.Bytes();

  std::vector<std::uint8_t> bytes(kMagic.begin(), kMagic.end());
  bytes.push_back(static_cast<std::uint8_t>(kSnapshotVersion));
  bytes.push_back(static_cast<std::uint8_t>(kSnapshotVersion >> 8));
  for (const std::uint32_t checksum : RomChecksums()) PutHeaderU32(bytes, checksum);
  PutHeaderU32(bytes, static_cast<std::uint32_t>(body.size()));
  PutHeaderU32(bytes, Checksum(body));
  bytes.insert(bytes.end(), body.begin(), body.end());
  return bytes;
}

bool RestoreSnapshot(std::span<const std::uint8_t> bytes, std::string& error) {
  const std::optional<std::span<const std::uint8_t>> checked = CheckedBody(bytes, error);
  if (!checked) return false;
  const std::span<const std::uint8_t> body = *checked;

  // Everything is read into spare records first; the machine changes only when all of it
  // could be read.
  core::StateReader reader(body);
  const auto spare = std::make_unique<core::Machine>();
  input::KeysInFlight keys;
  std::vector<std::uint8_t> disk;
  std::vector<std::uint8_t> picture;
  const bool machineRead = core::LoadMachine(reader, *spare);
  media::Drive spareDrive;
  if (machineRead) {
    LoadKeys(reader, keys);
    LoadDisk(reader, disk);
    spareDrive.Load(reader);
    LoadPicture(reader, picture);
  }
  if (!machineRead || !reader.Ok() || !reader.AtEnd() || (!disk.empty() && !media::OpenD64(disk))) {
    error = "the snapshot is damaged (its sections do not read back)";
    return false;
  }

  core::PassLock lock;
  core::StateReader again(body);
  core::LoadMachine(again, core::C64);
  LoadKeys(again, keys);
  LoadDisk(again, disk);
  input::RestoreKeysInFlight(keys);
  if (disk.empty()) {
    media::UnmountD64();
  } else {
    media::MountImageBytes(disk);
  }
  // The drive's channels after its disk: mounting closes them.
  media::DiskDrive().Load(again);
  std::copy(picture.begin(), picture.end(), video::FrameBuffer);
  if (core::C64.model == core::MachineModel::kAccurate) {
    video::ShowFrameBufferInBorder(core::C64.memory.ioImage[0xD020] & 0x0F);
  }
  core::C64.run.runFlag = 1;
  return true;
}

bool SaveSnapshotFile(const std::string& path, std::string& error) {
  std::vector<std::uint8_t> bytes;
  {
    core::PassLock lock;
    bytes = MakeSnapshot();
  }
  std::string reason;
  if (!platform::WriteWholeFile(path, bytes, reason)) {
    error = "Snapshot not written: " + core::EscapedText(path) + ": " + reason;
    return false;
  }
  return true;
}

bool LoadSnapshotFile(const std::string& path, std::string& error) {
  const platform::FileContents file = platform::ReadFileHead(path, kSnapshotSizeLimit + 1);
  const std::string shownPath = core::EscapedText(path);
  switch (file.status) {
    case platform::FileReadStatus::kRead: break;
    case platform::FileReadStatus::kNotRegularFile:
      error = "Snapshot not loaded: " + shownPath + " is not a regular file";
      return false;
    case platform::FileReadStatus::kCannotOpen:
      error = "Snapshot not loaded: " + shownPath + " is missing or not readable";
      return false;
    case platform::FileReadStatus::kReadFailed:
      error = "Snapshot not loaded: " + shownPath + " could not be read";
      return false;
  }
  if (file.size > kSnapshotSizeLimit) {
    error = "Snapshot not loaded: " + shownPath + ": not a snapshot (too long)";
    return false;
  }
  std::string reason;
  if (!RestoreSnapshot(file.bytes, reason)) {
    error = "Snapshot not loaded: " + shownPath + ": " + reason;
    return false;
  }
  return true;
}

}  // namespace shell
