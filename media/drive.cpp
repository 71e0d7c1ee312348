// The drive's DOS: the bus routines gather names and commands and pass them to the
// channels; the channels read files whole from the mounted image or the host folder and
// store written files when they close, through D64Volume on a copy of the image.
#include "media/drive.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <optional>

#include "media/cbm_name_pattern.h"
#include "media/d64_directory_listing.h"
#include "media/d64_volume.h"
#include "media/host_file_names.h"
#include "media/host_folder.h"
#include "platform/file_writer.h"

namespace media {

namespace {

constexpr std::size_t kCommandLimit = 58;  // the 1541's command buffer
constexpr int kMaxOpenFiles = 5;
constexpr std::uint8_t kCarriageReturn = 0x0D;
constexpr std::size_t kSectorData = 254;
constexpr int kAnyType = -1;
constexpr std::uint8_t kStateVersion = 1;

std::string_view AsText(std::span<const std::uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

bool HasWildcard(std::string_view name) {
  return name.find_first_of("*?") != std::string_view::npos;
}

// Splits "[0]:rest" into the rest; a drive number other than 0 is an error (74).
std::optional<std::string_view> DropDrive(std::string_view text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) return text;
  const std::string_view drive = text.substr(0, colon);
  if (!drive.empty() && drive != "0") return std::nullopt;
  return text.substr(colon + 1);
}

// The 1541's first-match rule over the image's entries of a name.
const D64FoundEntry* FirstReadable(const std::vector<D64FoundEntry>& found, int type,
                                   bool typeGiven, bool unclosed) {
  for (const D64FoundEntry& item : found) {
    const int entryType = item.entry.type();
    if (entryType == static_cast<int>(CbmFileType::kDel) || entryType > 4) continue;
    if (!item.entry.closed() && !unclosed) continue;
    if (type != kAnyType && !typeGiven && entryType != type) continue;  // LOAD: PRG only
    return &item;
  }
  return nullptr;
}

}  // namespace

Drive::Drive() {
  Reset();
}

void Drive::SetStatus(DosStatus status) {
  status_ = status;
  statusLine_.clear();
  statusPosition_ = 0;
}

void Drive::Reset() {
  CloseAll(false);
  listening_ = Listening::kNone;
  talking_ = false;
  busBytes_.clear();
  SetStatus({kDosVersion, 0, 0});
}

void Drive::Mount(std::span<std::uint8_t> image, std::string path, bool writeProtected) {
  CloseAll(false);
  image_ = OpenD64(image) ? image : std::span<std::uint8_t>();
  path_ = std::move(path);
  writeProtected_ = writeProtected;
  struct stat info {};
  if (!path_.empty() && ::stat(path_.c_str(), &info) == 0) {
    // The mode bits as well as access(): a superuser may write any file.
    if ((info.st_mode & 0222) == 0 || ::access(path_.c_str(), W_OK) != 0) writeProtected_ = true;
  }
}

void Drive::Unmount() {
  CloseAll(false);
  image_ = {};
  path_.clear();
  writeProtected_ = false;
}

void Drive::CloseAll(bool store) {
  for (int number = 0; number < kCommandChannel; ++number) {
    Channel& channel = channels_[static_cast<std::size_t>(number)];
    if (store && channel.mode == Mode::kWrite) {
      const DosStatus stored = Store(channel);
      if (stored.code != kDosOk) SetStatus(stored);
    }
    channel = Channel{};
  }
}

int Drive::OpenFiles() const {
  int count = 0;
  for (int number = 0; number < kCommandChannel; ++number) {
    count += channels_[static_cast<std::size_t>(number)].mode != Mode::kClosed ? 1 : 0;
  }
  return count;
}

bool Drive::NameBeingWritten(std::string_view name) const {
  return std::any_of(channels_.begin(), channels_.end(), [&](const Channel& channel) {
    return channel.mode == Mode::kWrite && CbmNameMatches(name, channel.name);
  });
}

// ---- The bus ----

void Drive::Listen() {
  listening_ = Listening::kNone;
  talking_ = false;
  busBytes_.clear();
}

void Drive::Second(std::uint8_t secondary) {
  const auto channel = static_cast<std::uint8_t>(secondary & 0x0F);
  busBytes_.clear();
  listenChannel_ = channel;
  switch (secondary & 0xF0) {
    case 0xF0: listening_ = Listening::kName; break;
    case 0xE0:
      listening_ = Listening::kNone;
      Close(channel);
      break;
    case 0x60: listening_ = Listening::kData; break;
    default: listening_ = Listening::kNone; break;
  }
}

void Drive::Ciout(std::uint8_t byte) {
  const bool gather = listening_ == Listening::kName ||
                      (listening_ == Listening::kData && listenChannel_ == kCommandChannel);
  if (gather) {
    // Bytes past the bound are dropped; the name or command is then refused as too long.
    if (busBytes_.size() <= kDriveNameLimit) busBytes_.push_back(byte);
  } else if (listening_ == Listening::kData) {
    Write(listenChannel_, byte);
  }
}

void Drive::Unlisten() {
  if (listening_ == Listening::kName) {
    Open(listenChannel_, busBytes_);
  } else if (listening_ == Listening::kData && listenChannel_ == kCommandChannel &&
             !busBytes_.empty()) {
    Command(busBytes_);
  }
  listening_ = Listening::kNone;
  busBytes_.clear();
}

void Drive::Talk() {
  listening_ = Listening::kNone;
  talking_ = true;
}

void Drive::Tksa(std::uint8_t secondary) {
  talkChannel_ = static_cast<std::uint8_t>(secondary & 0x0F);
}

BusByte Drive::Acptr() {
  if (!talking_) return {0, static_cast<std::uint8_t>(kBusEoi | kBusReadTimeout)};
  return Read(talkChannel_);
}

void Drive::Untalk() {
  talking_ = false;
}

// ---- Channels ----

DosStatus Drive::Open(int number, std::span<const std::uint8_t> nameBytes) {
  if (number < 0 || number >= kDriveChannels) return status_;
  if (number == kCommandChannel) {
    if (!nameBytes.empty()) Command(nameBytes);
    return status_;
  }
  Channel& channel = channels_[static_cast<std::size_t>(number)];
  if (channel.mode != Mode::kClosed) Close(number);
  const auto finish = [&](DosStatus status) {
    SetStatus(status);
    return status;
  };
  if (nameBytes.size() > kDriveNameLimit) return finish({kDosLineTooLong, 0, 0});
  if (OpenFiles() >= kMaxOpenFiles) return finish({kDosNoChannel, 0, 0});
  std::string_view text = AsText(nameBytes);
  if (text.empty()) return finish({kDosNoFileName, 0, 0});
  if (text.starts_with('#')) return finish({kDosNoChannel, 0, 0});
  if (text.starts_with('$') && number != kSaveChannel) {  // SAVE"$" names a file
    const std::string_view rest = text.substr(1);
    std::string_view pattern;
    if (rest.find(':') != std::string_view::npos) {
      const std::optional<std::string_view> dropped = DropDrive(rest);
      if (!dropped) return finish({kDosDriveNotReady, 0, 0});
      pattern = *dropped;
    } else if (!rest.empty() && rest != "0") {
      return finish({kDosDriveNotReady, 0, 0});
    }
    return finish(OpenRead(channel, number, {}, kAnyType, false, false,
                           pattern.empty() ? std::string_view("*") : pattern));
  }
  const bool replace = text.starts_with('@');
  if (replace) text.remove_prefix(1);
  const std::optional<std::string_view> dropped = DropDrive(text);
  if (!dropped) return finish({kDosDriveNotReady, 0, 0});
  text = *dropped;
  const std::string_view name = text.substr(0, text.find(','));
  int type = number <= kSaveChannel ? static_cast<int>(CbmFileType::kPrg) : kAnyType;
  bool typeGiven = false;
  char mode = number == kSaveChannel ? 'W' : 'R';
  for (std::size_t comma = text.find(','); comma != std::string_view::npos;
       comma = text.find(',', comma + 1)) {
    const char letter = comma + 1 < text.size() ? text[comma + 1] : '\0';
    switch (letter) {
      case 'S': type = static_cast<int>(CbmFileType::kSeq), typeGiven = true; break;
      case 'P': type = static_cast<int>(CbmFileType::kPrg), typeGiven = true; break;
      case 'U': type = static_cast<int>(CbmFileType::kUsr), typeGiven = true; break;
      case 'L': return finish({kDosFileTypeMismatch, 0, 0});
      case 'R':
      case 'W':
      case 'A':
      case 'M': mode = letter; break;
      default: return finish({kDosSyntaxError, 0, 0});
    }
  }
  if (name.empty()) return finish({kDosNoFileName, 0, 0});
  if (mode == 'R' || mode == 'M') {
    return finish(OpenRead(channel, number, name, type, typeGiven, mode == 'M', {}));
  }
  if (HasWildcard(name)) return finish({kDosInvalidFileName, 0, 0});
  if (type == kAnyType) type = static_cast<int>(CbmFileType::kSeq);
  return finish(OpenWrite(channel, name.substr(0, 16), type, replace, mode == 'A'));
}

DosStatus Drive::OpenRead(Channel& channel, int number, std::string_view pattern, int type,
                          bool typeGiven, bool unclosed, std::string_view directory) {
  if (NameBeingWritten(directory.empty() ? pattern : std::string_view())) {
    return {kDosWriteFileOpen, 0, 0};
  }
  if (mounted()) {
    D64Volume volume(image_);
    if (!directory.empty()) {
      D64Directory read = ReadD64Directory(volume.disk());
      if (!read.ok()) return DosStatusOfFault(read.fault, read.place);
      std::erase_if(read.entries, [&](const D64DirectoryEntry& entry) {
        return !CbmNameMatches(directory, entry.Name());
      });
      channel = Channel{};
      channel.mode = Mode::kRead;
      channel.bytes = DirectoryListingProgram(read);
      return {};
    }
    DosStatus status;
    // A file found before damage in the directory reads; past it the damage is the answer.
    const std::vector<D64FoundEntry> found = volume.FindEntries(pattern, status);
    if (const D64FoundEntry* item = FirstReadable(found, type, typeGiven || number > 0, unclosed)) {
      const int entryType = item->entry.type();
      if (entryType == static_cast<int>(CbmFileType::kRel) ||
          (type != kAnyType && entryType != type)) {
        return {kDosFileTypeMismatch, 0, 0};
      }
      D64File file = ReadD64File(volume.disk(), item->entry.track, item->entry.sector);
      if (!file.ok()) return DosStatusOfFault(file.fault, file.place);
      channel = Channel{};
      channel.mode = Mode::kRead;
      channel.bytes = std::move(file.bytes);
      return {};
    }
    if (status.code != kDosOk) return status;
    if (!hostFolder_) return {kDosFileNotFound, 0, 0};
  } else if (!hostFolder_) {
    return {kDosDriveNotReady, 0, 0};
  }
  if (!directory.empty()) {
    channel = Channel{};
    channel.mode = Mode::kRead;
    channel.bytes = HostFolderListing(directory == "*" ? std::string_view() : directory);
    return {};
  }
  const std::optional<std::string> hostName = FindHostFile(pattern);
  if (!hostName) return {kDosFileNotFound, 0, 0};
  HostFile file = ReadHostFile(*hostName, kHostFileLimit);
  if (file.status != HostFileStatus::kRead) return {kDosFileNotFound, 0, 0};
  if (file.size > kHostFileLimit) return {52, 0, 0};  // FILE TOO LARGE
  channel = Channel{};
  channel.mode = Mode::kRead;
  channel.bytes = std::move(file.bytes);
  return {};
}

DosStatus Drive::OpenWrite(Channel& channel, std::string_view name, int type, bool replace,
                           bool append) {
  if (NameBeingWritten(name)) return {kDosWriteFileOpen, 0, 0};
  Channel opened;
  opened.mode = Mode::kWrite;
  opened.name = std::string(name);
  opened.type = static_cast<std::uint8_t>(type);
  opened.replace = replace || append;
  if (mounted()) {
    if (writeProtected_) return {kDosWriteProtectOn, 0, 0};
    D64Volume volume(image_);
    DosStatus status;
    const std::vector<D64FoundEntry> found = volume.FindEntries(name, status);
    if (status.code != kDosOk) return status;
    if (append) {
      if (found.empty()) return {kDosFileNotFound, 0, 0};
      const D64DirectoryEntry& entry = found.front().entry;
      if (entry.type() != type) return {kDosFileTypeMismatch, 0, 0};
      D64File file = ReadD64File(volume.disk(), entry.track, entry.sector);
      if (!file.ok()) return DosStatusOfFault(file.fault, file.place);
      opened.bytes = std::move(file.bytes);
    } else if (!found.empty() && !replace) {
      return {kDosFileExists, 0, 0};
    }
    if (found.empty() && !volume.DirectoryHasRoom()) return {kDosDiskFull, 0, 0};
    // A replaced file's blocks are freed only after the new ones are taken.
    opened.capacity = static_cast<std::uint32_t>(volume.FreeBlocks()) * kSectorData;
    if (opened.capacity == 0) return {kDosDiskFull, 0, 0};
  } else if (hostFolder_) {
    if (!HostNameAllowed(name)) return {kDosInvalidFileName, 0, 0};
    opened.host = true;
    opened.capacity = kHostFileLimit;
    struct stat info {};
    const bool exists = ::lstat(std::string(name).c_str(), &info) == 0;
    if (append) {
      HostFile file = ReadHostFile(std::string(name), kHostFileLimit);
      if (file.status != HostFileStatus::kRead) return {kDosFileNotFound, 0, 0};
      opened.bytes = std::move(file.bytes);
    } else if (exists && (!replace || !S_ISREG(info.st_mode))) {
      return {kDosFileExists, 0, 0};
    }
  } else {
    return {kDosDriveNotReady, 0, 0};
  }
  if (opened.bytes.size() > opened.capacity) opened.full = true;
  channel = std::move(opened);
  return channel.full ? DosStatus{kDosDiskFull, 0, 0} : DosStatus{};
}

BusByte Drive::Read(int number) {
  constexpr BusByte kNothing{kCarriageReturn, static_cast<std::uint8_t>(kBusEoi | kBusReadTimeout)};
  if (number < 0 || number >= kDriveChannels) return kNothing;
  if (number == kCommandChannel) {
    if (statusLine_.empty()) statusLine_ = DosStatusLine(status_) + '\r';
    const auto byte = static_cast<std::uint8_t>(statusLine_[statusPosition_]);
    if (++statusPosition_ < statusLine_.size()) return {byte, 0};
    SetStatus({kDosOk, 0, 0});  // read to its end, the status is cleared
    return {byte, kBusEoi};
  }
  Channel& channel = channels_[static_cast<std::size_t>(number)];
  if (channel.mode != Mode::kRead || channel.position >= channel.bytes.size()) return kNothing;
  const std::uint8_t byte = channel.bytes[channel.position++];
  return {byte, channel.position == channel.bytes.size() ? kBusEoi : std::uint8_t{0}};
}

void Drive::Write(int number, std::uint8_t byte) {
  if (number < 0 || number >= kDriveChannels) return;
  if (number == kCommandChannel) return;  // commands come whole, through Command()
  Channel& channel = channels_[static_cast<std::size_t>(number)];
  if (channel.mode != Mode::kWrite) {
    // A SAVE after a failed OPEN keeps sending: the OPEN's error stays.
    if (status_.code == kDosOk) SetStatus({kDosFileNotOpen, 0, 0});
    return;
  }
  if (channel.full) return;
  if (channel.bytes.size() >= channel.capacity) {
    channel.full = true;
    SetStatus({kDosDiskFull, 0, 0});
    return;
  }
  channel.bytes.push_back(byte);
}

DosStatus Drive::Close(int number) {
  if (number < 0 || number >= kDriveChannels) return status_;
  if (number == kCommandChannel) {
    CloseAll(true);
    return status_;
  }
  Channel& channel = channels_[static_cast<std::size_t>(number)];
  if (channel.mode == Mode::kWrite) {
    if (channel.full) {
      SetStatus({kDosDiskFull, 0, 0});
    } else {
      const DosStatus stored = Store(channel);
      if (stored.code != kDosOk) SetStatus(stored);
    }
  }
  channel = Channel{};
  return status_;
}

template <typename Change>
DosStatus Drive::ChangeDisk(Change change) {
  if (!mounted()) return {kDosDriveNotReady, 0, 0};
  if (writeProtected_) return {kDosWriteProtectOn, 0, 0};
  std::vector<std::uint8_t> copy(image_.begin(), image_.end());
  D64Volume volume(copy);
  const DosStatus status = change(volume);
  if (status.code != kDosOk) return status;
  if (!path_.empty() && !platform::WriteWholeFile(path_, copy, writeBackError_)) {
    return {kDosWriteError, 18, 0};
  }
  std::copy(copy.begin(), copy.end(), image_.begin());
  return status;
}

DosStatus Drive::Store(Channel& channel) {
  if (channel.host) {
    std::string reason;
    switch (WriteHostFile(channel.name, channel.bytes, channel.replace, reason)) {
      case HostWriteStatus::kWritten: return {};
      case HostWriteStatus::kExists: return {kDosFileExists, 0, 0};
      case HostWriteStatus::kRefused: return {kDosInvalidFileName, 0, 0};
      case HostWriteStatus::kFailed: writeBackError_ = reason; return {kDosWriteError, 0, 0};
    }
    return {kDosWriteError, 0, 0};
  }
  if (image_.empty()) return {kDosDriveNotReady, 0, 0};
  return ChangeDisk([&](D64Volume& volume) -> DosStatus {
    DosStatus status;
    const std::vector<D64FoundEntry> found = volume.FindEntries(channel.name, status);
    if (status.code != kDosOk) return status;
    std::optional<D64EntrySlot> replace;
    if (!found.empty()) {
      if (!channel.replace) return {kDosFileExists, 0, 0};
      replace = found.front().slot;
    }
    return volume.WriteFile(channel.name, static_cast<CbmFileType>(channel.type), channel.bytes,
                            replace);
  });
}

DosStatus Drive::Command(std::span<const std::uint8_t> bytes) {
  std::string_view text = AsText(bytes);
  if (text.ends_with('\r')) text.remove_suffix(1);
  const auto finish = [&](DosStatus status) {
    SetStatus(status);
    return status;
  };
  if (text.empty()) return status_;
  if (text.size() > kCommandLimit) return finish({kDosLineTooLong, 0, 0});
  const char command = text[0];
  const std::size_t colon = text.find(':');
  const std::string_view argument =
      colon == std::string_view::npos ? std::string_view() : text.substr(colon + 1);

  if (command == 'U') {
    if (text.size() >= 2 && (text[1] == 'J' || text[1] == 'I')) {
      Reset();
      return status_;
    }
    return finish({kDosInvalidCommand, 0, 0});
  }
  if (command != 'I' && command != 'S' && command != 'R' && command != 'N') {
    return finish({kDosInvalidCommand, 0, 0});
  }
  if (!mounted() && !hostFolder_) return finish({kDosDriveNotReady, 0, 0});
  if (command == 'I') {
    if (!mounted()) return finish({});
    const D64Directory directory = ReadD64Directory(*OpenD64(image_));
    return finish(directory.ok() ? DosStatus{}
                                 : DosStatusOfFault(directory.fault, directory.place));
  }
  if (colon == std::string_view::npos || argument.empty()) return finish({kDosNoFileName, 0, 0});

  if (command == 'S') {
    std::vector<std::string_view> patterns;
    for (std::size_t start = 0; start <= argument.size();) {
      const std::size_t comma = std::min(argument.find(',', start), argument.size());
      std::string_view pattern = argument.substr(start, comma - start);
      if (pattern.starts_with("0:")) pattern.remove_prefix(2);
      if (!pattern.empty()) patterns.push_back(pattern);
      start = comma + 1;
    }
    if (patterns.empty()) return finish({kDosNoFileName, 0, 0});
    if (!mounted()) {
      return finish({kDosFilesScratched, static_cast<std::uint8_t>(ScratchHostFiles(patterns)), 0});
    }
    int count = 0;
    const DosStatus status = ChangeDisk([&](D64Volume& volume) {
      const DosStatus scratched = volume.Scratch(patterns, count);
      // Nothing scratched: nothing to write back (an answer ChangeDisk stops at).
      return scratched.code == kDosOk && count == 0 ? DosStatus{kDosFilesScratched, 0, 0}
                                                    : scratched;
    });
    if (status.code != kDosOk && status.code != kDosFilesScratched) return finish(status);
    return finish({kDosFilesScratched, static_cast<std::uint8_t>(std::min(count, 99)), 0});
  }

  if (command == 'R') {
    const std::size_t equals = argument.find('=');
    if (equals == std::string_view::npos) return finish({kDosSyntaxError, 0, 0});
    const std::string_view newName = argument.substr(0, equals);
    std::string_view oldName = argument.substr(equals + 1);
    if (oldName.starts_with("0:")) oldName.remove_prefix(2);
    if (newName.empty() || oldName.empty()) return finish({kDosNoFileName, 0, 0});
    if (HasWildcard(newName) || HasWildcard(oldName)) return finish({kDosInvalidFileName, 0, 0});
    if (NameBeingWritten(oldName)) return finish({kDosWriteFileOpen, 0, 0});
    if (!mounted()) {
      const std::optional<std::string> from = FindHostFile(oldName);
      if (!from) return finish({kDosFileNotFound, 0, 0});
      return finish({RenameHostFile(*from, std::string(newName)), 0, 0});
    }
    return finish(ChangeDisk([&](D64Volume& volume) -> DosStatus {
      DosStatus status;
      if (!volume.FindEntries(newName, status).empty()) return {kDosFileExists, 0, 0};
      if (status.code != kDosOk) return status;
      const std::vector<D64FoundEntry> found = volume.FindEntries(oldName, status);
      if (found.empty()) return {kDosFileNotFound, 0, 0};
      volume.Rename(found.front().slot, newName.substr(0, 16));
      return {};
    }));
  }

  // N: a new disk.
  const std::size_t comma = argument.find(',');
  const std::string_view diskName = argument.substr(0, comma);
  if (diskName.empty()) return finish({kDosNoFileName, 0, 0});
  if (!mounted()) return finish({kDosWriteProtectOn, 0, 0});
  std::optional<std::string_view> id;
  if (comma != std::string_view::npos) id = argument.substr(comma + 1);
  return finish(ChangeDisk([&](D64Volume& volume) -> DosStatus {
    CloseAll(false);  // the files open on the old disk are gone with it
    if (!id) {
      const D64Directory directory = ReadD64Directory(volume.disk());
      if (!directory.ok()) return DosStatusOfFault(directory.fault, directory.place);
    }
    volume.Format(diskName.substr(0, 16), id);
    return {};
  }));
}

// ---- Snapshots ----

void Drive::Save(core::StateWriter& out) const {
  out.BeginSection("DRIV");
  out.PutU8(kStateVersion);
  out.PutU8(status_.code);
  out.PutU8(status_.track);
  out.PutU8(status_.sector);
  out.PutU32(statusPosition_);
  out.PutU8(static_cast<std::uint8_t>(listening_));
  out.PutBool(talking_);
  out.PutU8(listenChannel_);
  out.PutU8(talkChannel_);
  out.PutU16(static_cast<std::uint16_t>(busBytes_.size()));
  out.PutBytes(busBytes_);
  out.PutBool(hostFolder_);
  for (const Channel& channel : channels_) {
    out.PutU8(static_cast<std::uint8_t>(channel.mode));
    out.PutU32(channel.position);
    out.PutU32(static_cast<std::uint32_t>(channel.bytes.size()));
    out.PutBytes(channel.bytes);
    out.PutU16(static_cast<std::uint16_t>(channel.name.size()));
    out.PutBytes({reinterpret_cast<const std::uint8_t*>(channel.name.data()), channel.name.size()});
    out.PutU8(channel.type);
    out.PutBool(channel.replace);
    out.PutBool(channel.host);
    out.PutBool(channel.full);
    out.PutU32(channel.capacity);
  }
  out.EndSection();
}

bool Drive::Load(core::StateReader& in) {
  in.BeginSection("DRIV");
  if (in.U8() != kStateVersion) in.Fail();
  DosStatus status{in.U8(), in.U8(), in.U8()};
  const std::uint32_t statusPosition = in.U32();
  const std::uint8_t listening = in.U8();
  const bool talking = in.Boolean();
  const std::uint8_t listenChannel = in.U8();
  const std::uint8_t talkChannel = in.U8();
  const auto readBytes = [&](std::size_t count, std::size_t limit) {
    std::vector<std::uint8_t> bytes;
    if (count > limit) {
      in.Fail();
      return bytes;
    }
    bytes.resize(count);
    in.Bytes(bytes);
    return bytes;
  };
  std::vector<std::uint8_t> busBytes = readBytes(in.U16(), kDriveNameLimit + 1);
  const bool hostFolder = in.Boolean();
  std::array<Channel, kDriveChannels> channels;
  for (Channel& channel : channels) {
    const std::uint8_t mode = in.U8();
    channel.position = in.U32();
    channel.bytes = readBytes(in.U32(), kHostFileLimit);
    const std::vector<std::uint8_t> name = readBytes(in.U16(), kDriveNameLimit);
    channel.name.assign(name.begin(), name.end());
    channel.type = in.U8();
    channel.replace = in.Boolean();
    channel.host = in.Boolean();
    channel.full = in.Boolean();
    channel.capacity = in.U32();
    if (mode > static_cast<std::uint8_t>(Mode::kWrite) || channel.position > channel.bytes.size() ||
        channel.type > static_cast<std::uint8_t>(CbmFileType::kUsr)) {
      in.Fail();
    }
    channel.mode = static_cast<Mode>(mode);
  }
  if (listening > static_cast<std::uint8_t>(Listening::kData) || listenChannel >= kDriveChannels ||
      talkChannel >= kDriveChannels || channels[kCommandChannel].mode != Mode::kClosed) {
    in.Fail();
  }
  in.EndSection();
  if (!in.Ok()) return false;
  channels_ = std::move(channels);
  SetStatus(status);
  statusLine_ = DosStatusLine(status_) + '\r';
  statusPosition_ =
      std::min<std::uint32_t>(statusPosition, static_cast<std::uint32_t>(statusLine_.size() - 1));
  listening_ = static_cast<Listening>(listening);
  talking_ = talking;
  listenChannel_ = listenChannel;
  talkChannel_ = talkChannel;
  busBytes_ = std::move(busBytes);
  hostFolder_ = hostFolder;
  return true;
}

}  // namespace media
