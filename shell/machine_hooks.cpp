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
#include "video/raster_line_renderer.h"
#include "video/vic_state.h"

namespace shell {

namespace {

// The classic machine renders its whole picture at the end of each pass; the accurate one
// has drawn RasterPicture line by line and only publishes it.
void RenderPicture() {
  if (core::C64.model == core::MachineModel::kAccurate) {
    video::PublishRasterPicture();
  } else {
    video::RenderFrame();
  }
}

void DrawRasterLine(std::uint16_t line) {
  video::DrawRasterLine(line, core::C64.vic.raster, &core::C64.memory.ioImage[0xD000],
                        video::RasterPicture);
}

}  // namespace

void InstallMachineHooks(void (*openDisplay)(), void (*frameBegun)(),
                         bool (*waitForFrame)(std::int64_t)) {
  core::HostHooks hooks;
  hooks.waitForFrame = waitForFrame;
  hooks.renderPicture = &RenderPicture;
  hooks.drawRasterLine = &DrawRasterLine;
  hooks.clearPicture = &video::ClearFrameBuffer;
  hooks.openDisplay = openDisplay;
  hooks.loadNamedFile = &media::LoadNamedFile;
  hooks.serialBus = &media::DiskDriveBus;
  hooks.resetSerialDevices = &media::ResetDiskDrive;
  hooks.interruptEntered = &input::NoteInterruptEntry;
  hooks.releaseAllKeys = &input::ReleaseAllKeys;
  hooks.frameBegun = frameBegun;
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
