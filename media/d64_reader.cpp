// D64 images read in place: every track and sector number comes from the image, so each
// one is checked against the layout before its bytes are touched.
#include "media/d64_reader.h"

#include <algorithm>
#include <bitset>

#include "media/cbm_name_pattern.h"

namespace media {

namespace {

constexpr std::size_t kSectors35 = 683;
constexpr std::size_t kSectors40 = 768;
constexpr int kDirectoryTrack = 18;
constexpr int kFirstDirectorySector = 1;  // the drive starts here, whatever 18/0 links to
constexpr int kCountedTracks = 35;        // "BLOCKS FREE." counts tracks 1-35 but 18

// Track 18 sector 0: BAM entries of four bytes a track from byte 4 (the first byte the
// track's free count), then the disk's name, id and DOS type.
constexpr std::size_t kBamEntries = 0x04;
constexpr std::size_t kDiskName = 0x90;
constexpr std::size_t kDiskId = 0xA2;
constexpr std::size_t kDosType = 0xA5;

// Directory sectors hold eight entries of 32 bytes; an entry's bytes 0 and 1 are the
// sector's link in the first entry and unused in the others.
constexpr std::size_t kEntriesPerSector = 8;
constexpr std::size_t kEntryBytes = 32;
constexpr std::size_t kEntryType = 2;
constexpr std::size_t kEntryTrack = 3;
constexpr std::size_t kEntrySector = 4;
constexpr std::size_t kEntryName = 5;
constexpr std::size_t kEntryBlocks = 30;

constexpr std::size_t kSectorData = 2;  // bytes 0/1 are the link

// Error bytes: $01 is a good sector, $00 was never set; anything else is a code the
// drive reported when the disk was copied, and such a sector does not read.
bool SectorReadable(const D64Disk& disk, std::size_t index) {
  if (index >= disk.errorBytes.size()) return true;
  const std::uint8_t code = disk.errorBytes[index];
  return code == 0x00 || code == 0x01;
}

std::string Place(int track, int sector) {
  return "track " + std::to_string(track) + " sector " + std::to_string(sector);
}

// Walks a chain of linked sectors. Each sector is visited at most once, which bounds a
// chain by the disk's sector count and stops a loop the first time it closes.
class SectorChain {
 public:
  SectorChain(const D64Disk& disk, int track, int sector)
      : disk_(disk), track_(track), sector_(sector) {}

  // The next sector's 256 bytes, or nullptr at the end of the chain or on a fault.
  const std::uint8_t* Next() {
    if (done_) return nullptr;
    done_ = true;
    const std::optional<std::size_t> offset = D64SectorOffset(disk_, track_, sector_);
    if (!offset) {
      return Fail(D64Fault::kBadLink, "link to " + Place(track_, sector_) + ", which a " +
                                          std::to_string(disk_.tracks) +
                                          "-track disk does not have");
    }
    const std::size_t index = *offset / kD64SectorBytes;
    if (visited_.test(index)) {
      return Fail(D64Fault::kChainLoops, "chain comes back to " + Place(track_, sector_));
    }
    if (!SectorReadable(disk_, index)) {
      return Fail(D64Fault::kReadError, "read error on " + Place(track_, sector_));
    }
    visited_.set(index);
    const std::uint8_t* bytes = disk_.sectors.data() + *offset;
    if (bytes[0] != 0) {
      track_ = bytes[0];
      sector_ = bytes[1];
      done_ = false;
    }
    return bytes;
  }

  D64Fault fault() const { return fault_; }
  const std::string& error() const { return error_; }
  const D64FaultPlace& place() const { return place_; }

 private:
  const std::uint8_t* Fail(D64Fault fault, std::string error) {
    fault_ = fault;
    error_ = std::move(error);
    place_.track = track_;
    place_.sector = sector_;
    if (const std::optional<std::size_t> offset = D64SectorOffset(disk_, track_, sector_)) {
      place_.errorByte = D64ErrorByte(disk_, *offset);
    }
    return nullptr;
  }

  const D64Disk& disk_;
  int track_;
  int sector_;
  bool done_ = false;
  std::bitset<kSectors40> visited_;
  D64Fault fault_ = D64Fault::kNone;
  std::string error_;
  D64FaultPlace place_;
};

template <std::size_t N>
std::array<std::uint8_t, N> CopyBytes(const std::uint8_t* from) {
  std::array<std::uint8_t, N> bytes;
  std::copy(from, from + N, bytes.begin());
  return bytes;
}

bool ReadHeader(const D64Disk& disk, D64Directory& directory) {
  const std::optional<std::size_t> found = D64SectorOffset(disk, kDirectoryTrack, 0);
  if (!found) {
    directory.fault = D64Fault::kBadLink;
    directory.error = "the disk has no " + Place(kDirectoryTrack, 0);
    directory.place = {kDirectoryTrack, 0, 0};
    return false;
  }
  const std::size_t offset = *found;
  if (!SectorReadable(disk, offset / kD64SectorBytes)) {
    directory.fault = D64Fault::kReadError;
    directory.error = "read error on " + Place(kDirectoryTrack, 0);
    directory.place = {kDirectoryTrack, 0, D64ErrorByte(disk, offset)};
    return false;
  }
  const std::uint8_t* bam = disk.sectors.data() + offset;
  D64Header& header = directory.header;
  header.name = CopyBytes<16>(bam + kDiskName);
  header.id = CopyBytes<2>(bam + kDiskId);
  header.dosType = CopyBytes<2>(bam + kDosType);
  header.blocksFree = 0;
  for (int track = 1; track <= kCountedTracks; ++track) {
    if (track != kDirectoryTrack) header.blocksFree += bam[kBamEntries + 4 * (track - 1)];
  }
  return true;
}

D64DirectoryEntry ParseEntry(const std::uint8_t* entry) {
  D64DirectoryEntry parsed;
  parsed.typeByte = entry[kEntryType];
  parsed.track = entry[kEntryTrack];
  parsed.sector = entry[kEntrySector];
  parsed.name = CopyBytes<16>(entry + kEntryName);
  parsed.blocks = static_cast<std::uint16_t>(entry[kEntryBlocks] | entry[kEntryBlocks + 1] << 8);
  return parsed;
}

}  // namespace

std::optional<D64Disk> OpenD64(std::span<const std::uint8_t> image) {
  for (const std::size_t sectors : {kSectors35, kSectors40}) {
    const std::size_t sectorBytes = sectors * kD64SectorBytes;
    if (image.size() != sectorBytes && image.size() != sectorBytes + sectors) continue;
    D64Disk disk;
    disk.sectors = image.first(sectorBytes);
    disk.errorBytes = image.subspan(sectorBytes);
    disk.tracks = sectors == kSectors35 ? 35 : 40;
    return disk;
  }
  return std::nullopt;
}

int D64SectorsPerTrack(int track) {
  if (track < 1 || track > 40) return 0;
  if (track <= 17) return 21;
  if (track <= 24) return 19;
  if (track <= 30) return 18;
  return 17;
}

std::optional<std::size_t> D64SectorOffset(const D64Disk& disk, int track, int sector) {
  if (track < 1 || track > disk.tracks || sector < 0 || sector >= D64SectorsPerTrack(track)) {
    return std::nullopt;
  }
  std::size_t index = static_cast<std::size_t>(sector);
  for (int before = 1; before < track; ++before) {
    index += static_cast<std::size_t>(D64SectorsPerTrack(before));
  }
  // A disk not made by OpenD64 may claim more tracks than its bytes hold.
  if ((index + 1) * kD64SectorBytes > disk.sectors.size()) return std::nullopt;
  return index * kD64SectorBytes;
}

bool D64SectorReadable(const D64Disk& disk, std::size_t offset) {
  return SectorReadable(disk, offset / kD64SectorBytes);
}

std::uint8_t D64ErrorByte(const D64Disk& disk, std::size_t offset) {
  const std::size_t index = offset / kD64SectorBytes;
  return index < disk.errorBytes.size() ? disk.errorBytes[index] : std::uint8_t{0x01};
}

std::string_view D64DirectoryEntry::Name() const {
  const auto end = std::find(name.begin(), name.end(), 0xA0);
  return {reinterpret_cast<const char*>(name.data()), static_cast<std::size_t>(end - name.begin())};
}

D64Directory ReadD64Directory(const D64Disk& disk) {
  D64Directory directory;
  if (!ReadHeader(disk, directory)) return directory;
  SectorChain chain(disk, kDirectoryTrack, kFirstDirectorySector);
  // The last directory sector's eight entries count too, whatever its byte 1 says.
  while (const std::uint8_t* sector = chain.Next()) {
    for (std::size_t slot = 0; slot < kEntriesPerSector; ++slot) {
      const std::uint8_t* entry = sector + slot * kEntryBytes;
      if (entry[kEntryType] != 0) directory.entries.push_back(ParseEntry(entry));
    }
  }
  if (chain.fault() != D64Fault::kNone) {
    directory.fault = chain.fault();
    directory.error = "directory: " + chain.error();
    directory.place = chain.place();
  }
  return directory;
}

D64File ReadD64File(const D64Disk& disk, int track, int sector) {
  D64File file;
  SectorChain chain(disk, track, sector);
  while (const std::uint8_t* bytes = chain.Next()) {
    // The last sector's byte 1 is the index of its last byte; 0 or 1 leaves no data.
    const std::size_t end = bytes[0] != 0 ? kD64SectorBytes : std::size_t{bytes[1]} + 1;
    if (end > kSectorData) file.bytes.insert(file.bytes.end(), bytes + kSectorData, bytes + end);
  }
  if (chain.fault() != D64Fault::kNone) {
    file.bytes.clear();
    file.fault = chain.fault();
    file.error = chain.error();
    file.place = chain.place();
  }
  return file;
}

D64File ReadD64Program(const D64Disk& disk, std::string_view pattern) {
  const D64Directory directory = ReadD64Directory(disk);
  for (const D64DirectoryEntry& entry : directory.entries) {
    if (entry.closed() && entry.type() == static_cast<int>(CbmFileType::kPrg) &&
        CbmNameMatches(pattern, entry.Name())) {
      D64File file = ReadD64File(disk, entry.track, entry.sector);
      if (!file.ok()) file.error = std::string(entry.Name()) + ": " + file.error;
      return file;
    }
  }
  D64File missing;
  if (!directory.ok()) {
    // The file may lie beyond the fault: say so rather than "not found".
    missing.fault = directory.fault;
    missing.error = directory.error;
    missing.place = directory.place;
  } else {
    missing.fault = D64Fault::kFileNotFound;
    missing.error = "file not found: " + std::string(pattern);
  }
  return missing;
}

}  // namespace media
