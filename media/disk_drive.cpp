// Drive 8 of the running machine: each bus call goes to the drive's routine of the same
// name, and ACPTR's byte and status bits go back to the trap.
#include "media/disk_drive.h"

namespace media {

namespace {
Drive TheDrive;
bool WriteProtectSetting = false;
}  // namespace

Drive& DiskDrive() {
  return TheDrive;
}

core::SerialReply DiskDriveBus(core::SerialCall call, std::uint8_t byte) {
  switch (call) {
    case core::SerialCall::kListen: TheDrive.Listen(); break;
    case core::SerialCall::kSecond: TheDrive.Second(byte); break;
    case core::SerialCall::kCiout: TheDrive.Ciout(byte); break;
    case core::SerialCall::kUnlisten: TheDrive.Unlisten(); break;
    case core::SerialCall::kTalk: TheDrive.Talk(); break;
    case core::SerialCall::kTksa: TheDrive.Tksa(byte); break;
    case core::SerialCall::kAcptr: {
      const BusByte answer = TheDrive.Acptr();
      return {answer.byte, answer.status};
    }
    case core::SerialCall::kUntalk: TheDrive.Untalk(); break;
  }
  return {};
}

void ResetDiskDrive() {
  TheDrive.Reset();
}

void SetDiskWriteProtect(bool writeProtected) {
  WriteProtectSetting = writeProtected;
}

bool DiskWriteProtect() {
  return WriteProtectSetting;
}

}  // namespace media
