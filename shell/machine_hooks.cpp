// The host hooks of a complete machine.
#include "shell/machine_hooks.h"

#include "core/host_hooks.h"
#include "core/machine.h"
#include "input/host_key_table.h"
#include "input/key_matrix.h"
#include "media/d64_image.h"
#include "media/disk_drive.h"
#include "media/named_file_loader.h"
#include "video/frame_buffer.h"
#include "video/vic_state.h"

namespace shell {

void InstallMachineHooks(void (*openDisplay)()) {
  core::HostHooks hooks;
  hooks.renderPicture = &video::RenderFrame;
  hooks.clearPicture = &video::ClearFrameBuffer;
  hooks.openDisplay = openDisplay;
  hooks.loadNamedFile = &media::LoadNamedFile;
  hooks.serialBus = &media::DiskDriveBus;
  hooks.resetSerialDevices = &media::ResetDiskDrive;
  hooks.interruptEntered = &input::NoteInterruptEntry;
  hooks.releaseAllKeys = &input::ReleaseAllKeys;
  core::InstallHostHooks(hooks);
}

void ZeroWholeMachine() {
  core::ZeroMachineState();
  video::ZeroVideoState();
  input::SetCursorKeysAsJoystick(true);
  input::ReleaseAllKeys();
  media::UnmountD64();
  media::SetDiskWriteProtect(false);
  media::DiskDrive().SetHostFolder(true);
  media::ResetDiskDrive();
  InstallMachineHooks();
}

}  // namespace shell
