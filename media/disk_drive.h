// Drive 8 of the running machine: the one media::Drive that the KERNAL's serial-bus
// traps reach through the host hooks, with the mounted image as its disk.
#pragma once

#include <cstdint>

#include "core/host_hooks.h"
#include "media/drive.h"

namespace media {

// The drive (for the holder of the pass lock, as the mounted image).
Drive& DiskDrive();

// The serial-bus hook: one KERNAL routine's call on device 8.
core::SerialReply DiskDriveBus(core::SerialCall call, std::uint8_t byte);

// Power-on and reset of the machine: the drive resets with it (status 73).
void ResetDiskDrive();

// Whether the images mounted from now on are write-protected (--read-only-disk); the
// image's file without write permission is write-protected too.
void SetDiskWriteProtect(bool writeProtected);
bool DiskWriteProtect();

}  // namespace media
