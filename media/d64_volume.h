// A D64 disk that the drive writes: the BAM's allocation by the 1541's rules, directory
// entries added, scratched and renamed, and formatting. Every change is made on the bytes
// given, which the caller copies back only once a whole operation has succeeded.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "media/d64_reader.h"
#include "media/dos_status.h"

namespace media {

// A directory entry's place: the directory sector and the entry's number in it (0-7).
struct D64EntrySlot {
  std::uint8_t track = 0;
  std::uint8_t sector = 0;
  std::uint8_t index = 0;
};

// A found entry with its place.
struct D64FoundEntry {
  D64DirectoryEntry entry;
  D64EntrySlot slot;
};

// The drive's status for a chain's fault: the read error its error byte stands for
// (20-29), or 66,ILLEGAL TRACK AND SECTOR for a link off the disk or a chain that comes
// back to a sector it passed (which the 1541 would follow for ever), at the sector named.
DosStatus DosStatusOfFault(D64Fault fault, const D64FaultPlace& place);

// A disk name or file name as stored: up to 16 bytes, $A0-padded.
std::array<std::uint8_t, 16> PaddedCbmName(std::string_view name);

class D64Volume {
 public:
  // `image` holds one of the four D64 sizes (else every operation answers 74,DRIVE NOT
  // READY). Only tracks 1-35 are allocated, as the 1541 does; tracks 36-40 of a larger
  // image are read but never written.
  explicit D64Volume(std::span<std::uint8_t> image);

  bool valid() const { return disk_.has_value(); }
  const D64Disk& disk() const { return *disk_; }

  // The BAM's free blocks on tracks 1-35 but 18, counted from its bitmaps.
  int FreeBlocks() const;
  bool IsFree(int track, int sector) const;

  // The directory entries in use whose names match `pattern` (CbmNameMatches), in
  // directory order; a damaged directory gives its status (20-29, 66) in `status`, and
  // the entries before the damage (as the 1541 finds a file in the sectors it could read).
  std::vector<D64FoundEntry> FindEntries(std::string_view pattern, DosStatus& status) const;

  // Writes `bytes` as a new closed file of `type` named `name` (already checked to be a
  // plain name): its sectors allocated by the 1541's rules (see the .cpp), an entry in the
  // first free slot of the directory (which grows on track 18 when full). With `replace`
  // the entry gets the new chain and the old chain's blocks are freed afterwards. Answers
  // 00 or 72,DISK FULL (the disk is then as it was: nothing is allocated, no entry made)
  // or the directory's read error.
  DosStatus WriteFile(std::string_view name, CbmFileType type, std::span<const std::uint8_t> bytes,
                      const std::optional<D64EntrySlot>& replace);

  // Scratches the unlocked entries matching the patterns and frees their blocks (and a REL
  // file's side sectors); `count` is how many.
  DosStatus Scratch(std::span<const std::string_view> patterns, int& count);
  // Gives the entry at `slot` the name `name`.
  void Rename(const D64EntrySlot& slot, std::string_view name);
  // A new BAM and an empty directory named `name`; with an `id` every sector is cleared
  // and the disk gets the id, without one only the BAM and directory are renewed.
  void Format(std::string_view name, std::optional<std::string_view> id);

  // Whether the directory has a free entry or room to grow on track 18.
  bool DirectoryHasRoom() const;

 private:
  std::uint8_t* Sector(int track, int sector);
  const std::uint8_t* Sector(int track, int sector) const;
  void SetFree(int track, int sector, bool free);
  // The next block of a file after (track, sector), or its first with track 0.
  std::optional<std::pair<int, int>> NextFileBlock(int track, int sector) const;
  std::optional<int> FreeSectorFrom(int track, int sector) const;
  void FreeChain(int track, int sector);
  std::optional<D64EntrySlot> FreeSlot(bool grow);

  std::span<std::uint8_t> image_;
  std::optional<D64Disk> disk_;
  std::uint8_t* bam_ = nullptr;  // track 1's entry in track 18 sector 0
};

}  // namespace media
