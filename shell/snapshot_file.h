// Snapshots: the whole machine written to a file and read back. A snapshot holds a header
// (a magic, the format's version, the checksums of the three ROM images it was made with,
// the body's length and checksum) and a body of sections: the machine record's, the keys
// in flight, the mounted disk, drive 8's channels and status, and the picture. ROM images are never stored in it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace shell {

inline constexpr std::uint16_t kSnapshotVersion = 1;
// Far above any snapshot (the memory images, a 40-track disk with error bytes and the
// picture come to about 460 KB): a longer file is no snapshot, and is not read whole.
inline constexpr std::size_t kSnapshotSizeLimit = 1 << 20;

// The machine as it stands, as a snapshot's bytes. The caller holds the pass lock or
// knows that no pass runs.
std::vector<std::uint8_t> MakeSnapshot();

// Puts the machine into the state the snapshot holds, and lets passes run. On bytes that
// are no snapshot of this version made with these ROMs, or are damaged, returns false
// with `error` saying which, and nothing of the machine has changed. Takes the pass lock.
bool RestoreSnapshot(std::span<const std::uint8_t> bytes, std::string& error);

// The same through a file: written whole or not at all; read within the size limit, a
// FIFO, a device or a folder refused. The error names the file.
bool SaveSnapshotFile(const std::string& path, std::string& error);
bool LoadSnapshotFile(const std::string& path, std::string& error);

}  // namespace shell
