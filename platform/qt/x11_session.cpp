// XInitThreads and the chained Xlib error handler.
#include "platform/qt/x11_session.h"

// Qt's headers must come before Xlib's, which defines macros such as Bool and Status.
#include <QGuiApplication>
#include <atomic>
#include <cstdio>
#include <cstdlib>

#include <X11/Xlib.h>

namespace platform {

namespace {

using XErrorHandlerFunction = int (*)(Display*, XErrorEvent*);

std::atomic<XErrorHandlerFunction> PreviousHandler{nullptr};
std::atomic<Display*> QtDisplay{nullptr};
std::atomic<std::uint64_t> ReportedErrors{0};

int ReportXError(Display* display, XErrorEvent* event) {
  const XErrorHandlerFunction previous = PreviousHandler.load();
  if (display == QtDisplay.load() && previous != nullptr) return previous(display, event);

  char description[256] = {};
  XGetErrorText(display, event->error_code, description, sizeof description);
  std::fprintf(stderr,
               "X error on the display window's connection: %s (request %u.%u, resource 0x%lx, "
               "serial %lu)\n",
               description, static_cast<unsigned>(event->request_code),
               static_cast<unsigned>(event->minor_code), event->resourceid, event->serial);
  std::fflush(stderr);
  ReportedErrors.fetch_add(1);
  return 0;
}

}  // namespace

void InitialiseXlib() {
  // Read by Xlib's key-to-text conversion (XLookupString, which freeglut uses); Qt
  // translates keys through xkbcommon and is not affected.
  setenv("_XKB_CHARSET", "ISO8859-1", 1);
  XInitThreads();
}

void InstallX11ErrorReporting() {
  if (auto* x11 =
          qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr) {
    QtDisplay.store(x11->display());
  }
  PreviousHandler.store(XSetErrorHandler(&ReportXError));
}

void GiveKeyboardFocus(unsigned long window) {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (window == 0 || x11 == nullptr || x11->display() == nullptr) return;
  // A window not mapped yet makes the request fail on Qt's connection, which Qt's handler
  // takes quietly.
  XSetInputFocus(x11->display(), window, RevertToParent, CurrentTime);
  XFlush(x11->display());
}

std::uint64_t ReportedX11ErrorCount() {
  return ReportedErrors.load();
}

}  // namespace platform
