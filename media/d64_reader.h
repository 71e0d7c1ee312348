// A D64 disk image read in place: the 1541's track layout, the header and BAM on track
// 18, the directory chain and the sector chains of files. Every link is checked before it
// is followed, so a damaged image ends a listing or a file with a fault, never a hang.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace media {

inline constexpr std::size_t kD64SectorBytes = 256;

// A disk's sectors in the image bytes (track 1 sector 0 first), which must outlive it.
struct D64Disk {
  std::span<const std::uint8_t> sectors;
  std::span<const std::uint8_t> errorBytes;  // one a sector after the sectors, or none
  int tracks = 0;                            // 35 or 40
};

// Why a listing or a file stopped short.
enum class D64Fault : std::uint8_t {
  kNone,
  kBadLink,       // a link or start to a track or sector the disk does not have
  kChainLoops,    // a chain comes back to a sector it has passed (it would never end)
  kReadError,     // the image's error byte says the drive could not read the sector
  kFileNotFound,  // no loadable file matches the name
};

// The four image sizes: 35 tracks (683 sectors) or 40 tracks (768 sectors), each with or
// without the error bytes. Any other size is refused.
std::optional<D64Disk> OpenD64(std::span<const std::uint8_t> image);

// 21, 19, 18 or 17 by zone; 0 outside tracks 1-40.
int D64SectorsPerTrack(int track);
// The sector's place in the image (bytes from the start), or nothing for a track or
// sector the disk does not have (or that its bytes do not hold).
std::optional<std::size_t> D64SectorOffset(const D64Disk& disk, int track, int sector);

// File types in the low bits of a directory entry's type byte.
enum class CbmFileType : std::uint8_t { kDel = 0, kSeq = 1, kPrg = 2, kUsr = 3, kRel = 4 };

struct D64Header {
  std::array<std::uint8_t, 16> name{};  // as stored, $A0-padded
  std::array<std::uint8_t, 2> id{};
  std::array<std::uint8_t, 2> dosType{};
  // The BAM's free counts of tracks 1-35 but 18, the figure of "BLOCKS FREE.".
  int blocksFree = 0;
};

struct D64DirectoryEntry {
  std::uint8_t typeByte = 0;  // bit 7 closed, bit 6 locked, bits 0-2 the type (5-7 unnamed)
  std::uint8_t track = 0;     // the file's first sector
  std::uint8_t sector = 0;
  std::array<std::uint8_t, 16> name{};  // $A0-padded
  std::uint16_t blocks = 0;             // as the directory says, not as the chain counts

  int type() const { return typeByte & 0x07; }
  bool closed() const { return (typeByte & 0x80) != 0; }
  bool locked() const { return (typeByte & 0x40) != 0; }
  // The name up to its first $A0, PETSCII bytes as chars.
  std::string_view Name() const;
};

// Where a chain stopped: the sector it could not read or the link it could not follow
// (track and sector as the link gave them), and the image's error byte for a read error.
struct D64FaultPlace {
  int track = 0;
  int sector = 0;
  std::uint8_t errorByte = 0;
};

struct D64Directory {
  D64Header header;
  // Every entry in use (type byte not 0, as the drive lists them), in directory order;
  // after a fault, the entries read before it.
  std::vector<D64DirectoryEntry> entries;
  D64Fault fault = D64Fault::kNone;
  std::string error;  // what went wrong and where, empty when fault is kNone
  D64FaultPlace place;

  bool ok() const { return fault == D64Fault::kNone; }
};

struct D64File {
  std::vector<std::uint8_t> bytes;  // the file's contents; empty after a fault
  D64Fault fault = D64Fault::kNone;
  std::string error;
  D64FaultPlace place;

  bool ok() const { return fault == D64Fault::kNone; }
};

// The header from 18/0 and the entries of the chain of directory sectors from 18/1.
D64Directory ReadD64Directory(const D64Disk& disk);

// The chain from (track, sector): 254 data bytes from each sector, and from the last one
// (link track 0) the bytes 2 up to the index in its byte 1.
D64File ReadD64File(const D64Disk& disk, int track, int sector);

// Whether the image's error byte for the sector at `offset` (bytes from the image's
// start) lets the drive read it, and that byte ($01 when the image has none).
bool D64SectorReadable(const D64Disk& disk, std::size_t offset);
std::uint8_t D64ErrorByte(const D64Disk& disk, std::size_t offset);

// The file LOAD"pattern",8 reads: the first closed PRG entry whose name matches `pattern`
// by the drive's rules (CbmNameMatches). Other types and unclosed files are passed over.
D64File ReadD64Program(const D64Disk& disk, std::string_view pattern);

}  // namespace media
