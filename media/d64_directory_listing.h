// The directory of a disk image as the 1541 sends it for LOAD"$",8: a BASIC program that
// LIST shows as the machine's familiar listing.
#pragma once

#include <cstdint>
#include <vector>

#include "media/d64_reader.h"

namespace media {

// A program file (load address $0801 first) of 32-byte lines, linked for $0801:
//   0 "DISK NAME       " ID 2A       (reverse on; the quoted name padded to 16)
//   12   "FILE"             PRG        (one per listed entry; line number = blocks)
//   664 BLOCKS FREE.
// The block count is followed by 3, 2 or 1 spaces (below 10, below 100, otherwise) so that
// the names line up; the closing quote takes the place of the name's first $A0; a `*`
// before the type marks an unclosed file and a `<` after it a locked one. The entries are
// those of `directory`, also when a fault ended it early.
std::vector<std::uint8_t> DirectoryListingProgram(const D64Directory& directory);

}  // namespace media
