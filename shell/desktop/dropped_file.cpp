// Dropped files, sorted by their endings and handed to the File menu's commands.
#include "shell/desktop/dropped_file.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <algorithm>
#include <cctype>

#include "media/d64_image.h"
#include "platform/host_services.h"
#include "platform/qt/x11_session.h"
#include "shell/desktop/shell_commands.h"
#include "shell/snapshot_file.h"
#include "video/display/key_origin.h"

namespace shell {

namespace {

bool EndsWithIgnoringCase(const std::string& text, const std::string& ending) {
  if (text.size() <= ending.size()) return false;  // a bare ".prg" names no file
  return std::equal(ending.rbegin(), ending.rend(), text.rbegin(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
  });
}

}  // namespace

DroppedFileKind KindOfDroppedFile(const std::string& path) {
  if (EndsWithIgnoringCase(path, ".prg")) return DroppedFileKind::kProgram;
  if (EndsWithIgnoringCase(path, ".d64")) return DroppedFileKind::kDisk;
  if (EndsWithIgnoringCase(path, ".c64snap")) return DroppedFileKind::kSnapshot;
  return DroppedFileKind::kNone;
}

bool OpenDroppedFile(const std::string& path) {
  switch (KindOfDroppedFile(path)) {
    case DroppedFileKind::kNone: return false;
    case DroppedFileKind::kProgram: return LoadAndStartProgram(EnterFolderOf(path));
    case DroppedFileKind::kDisk: return media::MountD64(EnterFolderOf(path));
    case DroppedFileKind::kSnapshot: {
      std::string error;
      if (LoadSnapshotFile(path, error)) return true;
      platform::ShowMessageBox(error, "Error");
      return false;
    }
  }
  return false;
}

void OpenDroppedFileLater(const std::string& path) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) return;
  QMetaObject::invokeMethod(
      app,
      [path] {
        OpenDroppedFile(path);
        platform::GiveKeyboardFocus(video::DisplayWindowXId());
      },
      Qt::QueuedConnection);
}

}  // namespace shell
