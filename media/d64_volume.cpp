// The 1541's allocation: a file's first block on the track nearest the directory (17, 19,
// 16, 20, ...), each further block 10 sectors on from the last on the same track, then the
// next track outward, then the other half of the disk; a new track is searched from its
// sector 0. Directory sectors follow one another 3 apart on track 18. The BAM's bitmaps
// decide what is free; its counts are rewritten from them.
#include "media/d64_volume.h"

#include <algorithm>
#include <bit>
#include <bitset>

#include "media/cbm_name_pattern.h"

namespace media {

namespace {

constexpr int kDirectoryTrack = 18;
constexpr int kAllocatedTracks = 35;  // the BAM of track 18 sector 0 covers these
constexpr int kFileInterleave = 10;
constexpr int kDirectoryInterleave = 3;
constexpr std::size_t kSectorData = 254;
constexpr std::size_t kEntryBytes = 32;
constexpr std::size_t kEntriesPerSector = 8;
constexpr std::size_t kSectors40 = 768;
constexpr std::uint8_t kPadding = 0xA0;

// Entry fields (offsets in the 32-byte entry).
constexpr std::size_t kEntryType = 2;
constexpr std::size_t kEntryTrack = 3;
constexpr std::size_t kEntrySector = 4;
constexpr std::size_t kEntryName = 5;
constexpr std::size_t kEntrySideTrack = 21;
constexpr std::size_t kEntrySideSector = 22;
constexpr std::size_t kEntryBlocks = 30;

// Header fields in track 18 sector 0.
constexpr std::size_t kBamEntries = 0x04;
constexpr std::size_t kDiskName = 0x90;
constexpr std::size_t kDiskId = 0xA2;
constexpr std::size_t kDosType = 0xA5;

}  // namespace

std::array<std::uint8_t, 16> PaddedCbmName(std::string_view name) {
  std::array<std::uint8_t, 16> padded;
  padded.fill(kPadding);
  for (std::size_t k = 0; k < std::min(name.size(), padded.size()); ++k) {
    padded[k] = static_cast<std::uint8_t>(name[k]);
  }
  return padded;
}

D64Volume::D64Volume(std::span<std::uint8_t> image) : image_(image), disk_(OpenD64(image)) {
  if (disk_) bam_ = Sector(kDirectoryTrack, 0) + kBamEntries;
}

std::uint8_t* D64Volume::Sector(int track, int sector) {
  const std::optional<std::size_t> offset = D64SectorOffset(*disk_, track, sector);
  return offset ? image_.data() + *offset : nullptr;
}

const std::uint8_t* D64Volume::Sector(int track, int sector) const {
  const std::optional<std::size_t> offset = D64SectorOffset(*disk_, track, sector);
  return offset ? image_.data() + *offset : nullptr;
}

bool D64Volume::IsFree(int track, int sector) const {
  if (bam_ == nullptr || track < 1 || track > kAllocatedTracks || sector < 0 ||
      sector >= D64SectorsPerTrack(track)) {
    return false;
  }
  const std::uint8_t* bam = bam_ + 4 * (track - 1);
  return (bam[1 + sector / 8] >> (sector % 8) & 1) != 0;
}

void D64Volume::SetFree(int track, int sector, bool free) {
  if (bam_ == nullptr || track < 1 || track > kAllocatedTracks || sector < 0 ||
      sector >= D64SectorsPerTrack(track)) {
    return;
  }
  std::uint8_t* bam = bam_ + 4 * (track - 1);
  const auto bit = static_cast<std::uint8_t>(1u << (sector % 8));
  if (free) {
    bam[1 + sector / 8] |= bit;
  } else {
    bam[1 + sector / 8] &= static_cast<std::uint8_t>(~bit);
  }
  int count = 0;
  for (int s = 0; s < D64SectorsPerTrack(track); ++s) count += IsFree(track, s) ? 1 : 0;
  bam[0] = static_cast<std::uint8_t>(count);
}

int D64Volume::FreeBlocks() const {
  int free = 0;
  for (int track = 1; track <= kAllocatedTracks; ++track) {
    if (track == kDirectoryTrack) continue;
    for (int sector = 0; sector < D64SectorsPerTrack(track); ++sector) {
      free += IsFree(track, sector) ? 1 : 0;
    }
  }
  return free;
}

std::optional<int> D64Volume::FreeSectorFrom(int track, int sector) const {
  const int sectors = D64SectorsPerTrack(track);
  for (int k = 0; k < sectors; ++k) {
    const int candidate = (sector + k) % sectors;
    if (IsFree(track, candidate)) return candidate;
  }
  return std::nullopt;
}

std::optional<std::pair<int, int>> D64Volume::NextFileBlock(int track, int sector) const {
  if (track == 0) {
    for (int distance = 1; distance < kAllocatedTracks; ++distance) {
      for (const int candidate : {kDirectoryTrack - distance, kDirectoryTrack + distance}) {
        if (candidate < 1 || candidate > kAllocatedTracks) continue;
        if (const std::optional<int> free = FreeSectorFrom(candidate, 0)) {
          return std::pair{candidate, *free};
        }
      }
    }
    return std::nullopt;
  }
  const int sectors = D64SectorsPerTrack(track);
  int next = sector + kFileInterleave;
  if (next >= sectors) next -= sectors;
  if (const std::optional<int> free = FreeSectorFrom(track, next)) return std::pair{track, *free};
  // Outward to the disk's edge, then the other half from the directory outward.
  const int step = track < kDirectoryTrack ? -1 : 1;
  for (int half = 0; half < 2; ++half) {
    const int direction = half == 0 ? step : -step;
    int candidate = half == 0 ? track + step : kDirectoryTrack - step;
    for (; candidate >= 1 && candidate <= kAllocatedTracks; candidate += direction) {
      if (candidate == kDirectoryTrack) continue;
      if (const std::optional<int> free = FreeSectorFrom(candidate, 0)) {
        return std::pair{candidate, *free};
      }
    }
  }
  return std::nullopt;
}

void D64Volume::FreeChain(int track, int sector) {
  std::bitset<kSectors40> visited;
  for (std::size_t steps = 0; steps < kSectors40; ++steps) {
    const std::optional<std::size_t> offset = D64SectorOffset(*disk_, track, sector);
    if (!offset || visited.test(*offset / kD64SectorBytes)) return;
    visited.set(*offset / kD64SectorBytes);
    // A damaged chain that runs into the directory's track must not free the directory.
    if (track != kDirectoryTrack) SetFree(track, sector, true);
    const std::uint8_t* bytes = image_.data() + *offset;
    if (bytes[0] == 0) return;
    track = bytes[0];
    sector = bytes[1];
  }
}

std::vector<D64FoundEntry> D64Volume::FindEntries(std::string_view pattern,
                                                  DosStatus& status) const {
  std::vector<D64FoundEntry> found;
  status = {};
  if (!valid()) {
    status = {kDosDriveNotReady, 0, 0};
    return found;
  }
  const D64Directory directory = ReadD64Directory(*disk_);
  if (!directory.ok()) status = DosStatusOfFault(directory.fault, directory.place);
  if (directory.fault == D64Fault::kReadError && directory.place.track == kDirectoryTrack &&
      directory.place.sector == 0) {
    return found;  // no BAM, no directory
  }
  // The sectors the read above took, up to its fault: each is checked again as it is
  // reached, so the walk ends where that read ended.
  std::bitset<kSectors40> visited;
  int track = kDirectoryTrack;
  int sector = 1;
  for (std::size_t steps = 0; steps < kSectors40; ++steps) {
    const std::optional<std::size_t> offset = D64SectorOffset(*disk_, track, sector);
    if (!offset || visited.test(*offset / kD64SectorBytes) || !D64SectorReadable(*disk_, *offset)) {
      break;
    }
    visited.set(*offset / kD64SectorBytes);
    const std::uint8_t* bytes = image_.data() + *offset;
    for (std::size_t index = 0; index < kEntriesPerSector; ++index) {
      const std::uint8_t* entry = bytes + index * kEntryBytes;
      if (entry[kEntryType] == 0) continue;
      D64FoundEntry item;
      item.slot = {static_cast<std::uint8_t>(track), static_cast<std::uint8_t>(sector),
                   static_cast<std::uint8_t>(index)};
      item.entry.typeByte = entry[kEntryType];
      item.entry.track = entry[kEntryTrack];
      item.entry.sector = entry[kEntrySector];
      std::copy_n(entry + kEntryName, 16, item.entry.name.begin());
      item.entry.blocks =
          static_cast<std::uint16_t>(entry[kEntryBlocks] | entry[kEntryBlocks + 1] << 8);
      if (CbmNameMatches(pattern, item.entry.Name())) found.push_back(item);
    }
    if (bytes[0] == 0) break;
    track = bytes[0];
    sector = bytes[1];
  }
  return found;
}

std::optional<D64EntrySlot> D64Volume::FreeSlot(bool grow) {
  std::bitset<kSectors40> chain;
  int track = kDirectoryTrack;
  int sector = 1;
  int last = 1;
  for (std::size_t steps = 0; steps < kSectors40; ++steps) {
    const std::optional<std::size_t> offset = D64SectorOffset(*disk_, track, sector);
    if (!offset || chain.test(*offset / kD64SectorBytes)) return std::nullopt;
    chain.set(*offset / kD64SectorBytes);
    const std::uint8_t* bytes = image_.data() + *offset;
    for (std::size_t index = 0; index < kEntriesPerSector; ++index) {
      if (bytes[index * kEntryBytes + kEntryType] == 0) {
        return D64EntrySlot{static_cast<std::uint8_t>(track), static_cast<std::uint8_t>(sector),
                            static_cast<std::uint8_t>(index)};
      }
    }
    if (bytes[0] == 0) {
      last = sector;
      break;
    }
    // The directory stays on its track; a link elsewhere is a damaged directory.
    if (bytes[0] != kDirectoryTrack) return std::nullopt;
    track = bytes[0];
    sector = bytes[1];
  }
  if (track != kDirectoryTrack) return std::nullopt;
  // A new directory sector: 3 on from the last, never one the chain already holds.
  const int sectors = D64SectorsPerTrack(kDirectoryTrack);
  const int start = (last + kDirectoryInterleave) % sectors;
  const std::size_t trackStart = *D64SectorOffset(*disk_, kDirectoryTrack, 0) / kD64SectorBytes;
  for (int k = 0; k < sectors; ++k) {
    const int candidate = (start + k) % sectors;
    if (candidate == 0 || chain.test(trackStart + static_cast<std::size_t>(candidate))) continue;
    if (!IsFree(kDirectoryTrack, candidate)) continue;
    if (!grow) return D64EntrySlot{kDirectoryTrack, static_cast<std::uint8_t>(candidate), 0};
    SetFree(kDirectoryTrack, candidate, false);
    std::uint8_t* fresh = Sector(kDirectoryTrack, candidate);
    std::fill_n(fresh, kD64SectorBytes, 0);
    fresh[1] = 0xFF;
    std::uint8_t* previous = Sector(kDirectoryTrack, last);
    previous[0] = kDirectoryTrack;
    previous[1] = static_cast<std::uint8_t>(candidate);
    return D64EntrySlot{kDirectoryTrack, static_cast<std::uint8_t>(candidate), 0};
  }
  return std::nullopt;
}

bool D64Volume::DirectoryHasRoom() const {
  if (!valid()) return false;
  // FreeSlot without growing changes nothing.
  return const_cast<D64Volume*>(this)->FreeSlot(false).has_value();
}

DosStatus D64Volume::WriteFile(std::string_view name, CbmFileType type,
                               std::span<const std::uint8_t> bytes,
                               const std::optional<D64EntrySlot>& replace) {
  if (!valid()) return {kDosDriveNotReady, 0, 0};
  const D64Directory directory = ReadD64Directory(*disk_);
  if (!directory.ok()) return DosStatusOfFault(directory.fault, directory.place);
  const std::vector<std::uint8_t> before(image_.begin(), image_.end());
  const auto fail = [&](DosStatus status) {
    std::copy(before.begin(), before.end(), image_.begin());
    return status;
  };

  const std::size_t blocks =
      std::max<std::size_t>(1, (bytes.size() + kSectorData - 1) / kSectorData);
  std::vector<std::pair<int, int>> chain;
  std::pair<int, int> previous{0, 0};
  for (std::size_t k = 0; k < blocks; ++k) {
    const std::optional<std::pair<int, int>> next = NextFileBlock(previous.first, previous.second);
    if (!next) return fail({kDosDiskFull, 0, 0});
    SetFree(next->first, next->second, false);
    chain.push_back(*next);
    previous = *next;
  }
  std::optional<D64EntrySlot> slot = replace;
  if (!slot) slot = FreeSlot(true);
  if (!slot) return fail({kDosDiskFull, 0, 0});

  for (std::size_t k = 0; k < chain.size(); ++k) {
    std::uint8_t* sector = Sector(chain[k].first, chain[k].second);
    std::fill_n(sector, kD64SectorBytes, 0);
    const std::size_t from = k * kSectorData;
    const std::size_t count = std::min(kSectorData, bytes.size() - std::min(from, bytes.size()));
    if (k + 1 < chain.size()) {
      sector[0] = static_cast<std::uint8_t>(chain[k + 1].first);
      sector[1] = static_cast<std::uint8_t>(chain[k + 1].second);
    } else {
      sector[1] = static_cast<std::uint8_t>(count + 1);  // the index of the last byte
    }
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(std::min(from, bytes.size())), count,
                sector + 2);
  }

  std::uint8_t* entry = Sector(slot->track, slot->sector) + slot->index * kEntryBytes;
  const int oldTrack = entry[kEntryTrack];
  const int oldSector = entry[kEntrySector];
  std::fill(entry + kEntryType, entry + kEntryBytes, 0);
  entry[kEntryType] = static_cast<std::uint8_t>(0x80 | static_cast<std::uint8_t>(type));
  entry[kEntryTrack] = static_cast<std::uint8_t>(chain[0].first);
  entry[kEntrySector] = static_cast<std::uint8_t>(chain[0].second);
  const std::array<std::uint8_t, 16> padded = PaddedCbmName(name);
  std::copy(padded.begin(), padded.end(), entry + kEntryName);
  entry[kEntryBlocks] = static_cast<std::uint8_t>(blocks & 0xFF);
  entry[kEntryBlocks + 1] = static_cast<std::uint8_t>(blocks >> 8);
  if (replace) FreeChain(oldTrack, oldSector);
  return {};
}

DosStatus D64Volume::Scratch(std::span<const std::string_view> patterns, int& count) {
  count = 0;
  for (const std::string_view pattern : patterns) {
    DosStatus status;
    const std::vector<D64FoundEntry> found = FindEntries(pattern, status);
    if (status.code != kDosOk) return status;
    for (const D64FoundEntry& item : found) {
      if (item.entry.locked()) continue;
      std::uint8_t* entry =
          Sector(item.slot.track, item.slot.sector) + item.slot.index * kEntryBytes;
      if (entry[kEntryType] == 0) continue;  // matched by an earlier pattern
      FreeChain(entry[kEntryTrack], entry[kEntrySector]);
      if (item.entry.type() == static_cast<int>(CbmFileType::kRel)) {
        FreeChain(entry[kEntrySideTrack], entry[kEntrySideSector]);
      }
      entry[kEntryType] = 0;
      ++count;
    }
  }
  return {};
}

void D64Volume::Rename(const D64EntrySlot& slot, std::string_view name) {
  std::uint8_t* entry = Sector(slot.track, slot.sector) + slot.index * kEntryBytes;
  const std::array<std::uint8_t, 16> padded = PaddedCbmName(name);
  std::copy(padded.begin(), padded.end(), entry + kEntryName);
}

void D64Volume::Format(std::string_view name, std::optional<std::string_view> id) {
  if (!valid()) return;
  std::array<std::uint8_t, 2> diskId;
  std::uint8_t* bam = Sector(kDirectoryTrack, 0);
  std::copy_n(bam + kDiskId, 2, diskId.begin());
  if (id) {
    diskId.fill(kPadding);
    for (std::size_t k = 0; k < std::min<std::size_t>(id->size(), 2); ++k) {
      diskId[k] = static_cast<std::uint8_t>((*id)[k]);
    }
    // A full format writes every sector anew: the old data and read errors are gone.
    const std::size_t sectorBytes = disk_->sectors.size();
    std::fill(image_.begin(), image_.begin() + static_cast<std::ptrdiff_t>(sectorBytes), 0);
    std::fill(image_.begin() + static_cast<std::ptrdiff_t>(sectorBytes), image_.end(), 0x01);
  }
  std::fill_n(bam, kD64SectorBytes, 0);
  bam[0] = kDirectoryTrack;
  bam[1] = 1;
  bam[2] = 'A';
  for (int track = 1; track <= kAllocatedTracks; ++track) {
    for (int sector = 0; sector < D64SectorsPerTrack(track); ++sector) SetFree(track, sector, true);
  }
  SetFree(kDirectoryTrack, 0, false);
  SetFree(kDirectoryTrack, 1, false);
  std::fill(bam + kDiskName, bam + 0xAB, kPadding);
  const std::array<std::uint8_t, 16> padded = PaddedCbmName(name);
  std::copy(padded.begin(), padded.end(), bam + kDiskName);
  std::copy(diskId.begin(), diskId.end(), bam + kDiskId);
  bam[kDosType] = '2';
  bam[kDosType + 1] = 'A';
  std::uint8_t* first = Sector(kDirectoryTrack, 1);
  std::fill_n(first, kD64SectorBytes, 0);
  first[1] = 0xFF;
}

DosStatus DosStatusOfFault(D64Fault fault, const D64FaultPlace& place) {
  const auto track = static_cast<std::uint8_t>(place.track);
  const auto sector = static_cast<std::uint8_t>(place.sector);
  switch (fault) {
    case D64Fault::kNone: return {};
    case D64Fault::kFileNotFound: return {kDosFileNotFound, 0, 0};
    case D64Fault::kReadError: return {DosErrorOfErrorByte(place.errorByte), track, sector};
    case D64Fault::kBadLink:
    case D64Fault::kChainLoops: break;
  }
  return {kDosIllegalTrackOrSector, track, sector};
}

}  // namespace media
