// Qt message boxes for ShowMessageBox. The machine's texts are single-byte
// Windows-1252 strings; Latin-1 decoding matches them for every byte the machine uses.
#include "platform/qt/qt_message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

#include "platform/host_services.h"
#include "platform/qt/ui_thread.h"

namespace platform {

void ShowQtMessageBox(const std::string& text, const std::string& title) {
  RunOnUiThreadAndWait([&text, &title] {
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(title.data(), title.size()),
                    QString::fromLatin1(text.data(), text.size()), QMessageBox::Ok);
    box.exec();
  });
}

void ShowStartUpErrorBox(int argc, char** argv, const std::string& text) {
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
      qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    return;
  }
  QApplication application(argc, argv);
  MarkUiThread();
  ShowQtMessageBox(text, "Error");
}

void InstallQtMessageBoxHandler() {
  SetMessageBoxHandler(&ShowQtMessageBox);
}

}  // namespace platform
