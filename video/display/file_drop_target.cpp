// XDND (version 5) for the display window: Xlib's wire-to-event hook notes the protocol's
// client messages and the selection's arrival as freeglut reads them (freeglut ignores
// both), and ServeFileDrops answers them between two pictures, outside Xlib's locks.
#include "video/display/file_drop_target.h"

// Before Xlibint.h, which defines min and max as macros.
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/uri_list.h"

#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xlibint.h>

namespace video {

namespace {

constexpr long kProtocolVersion = 5;
// A dropped file's name, and the URI list that holds it, are short; more is refused.
constexpr long kMaxUriListBytes = 65536;

std::atomic<DroppedFileHandler> Handler{nullptr};

// The window's thread only: its connection, the atoms, the messages noted and the drag
// under way.
Display* WindowDisplay = nullptr;
Window TargetWindow = None;
Atom XdndAware, XdndEnter, XdndPosition, XdndStatus, XdndLeave, XdndDrop, XdndFinished,
    XdndSelection, XdndActionCopy, TextUriList, DropProperty;

constexpr int kCapacity = 16;
struct NotedEvents {
  XEvent events[kCapacity];
  int count = 0;
};
NotedEvents Noted;
Window Source = None;  // the drag's source window while a drag is over this window
bool AwaitingData = false;

using WireToEvent = Bool (*)(Display*, XEvent*, xEvent*);
WireToEvent PreviousClientMessage = nullptr;
WireToEvent PreviousSelectionNotify = nullptr;

bool IsProtocolMessage(const XEvent& event) {
  if (event.type == SelectionNotify) return event.xselection.selection == XdndSelection;
  const Atom type = event.xclient.message_type;
  return type == XdndEnter || type == XdndPosition || type == XdndLeave || type == XdndDrop;
}

void Note(const XEvent& event) {
  if (event.xany.window != TargetWindow && event.type != SelectionNotify) return;
  if (!IsProtocolMessage(event) || Noted.count == kCapacity) return;  // a flood is dropped
  Noted.events[Noted.count++] = event;
}

Bool NoteClientMessage(Display* display, XEvent* event, xEvent* wire) {
  const Bool converted = PreviousClientMessage(display, event, wire);
  if (converted) Note(*event);
  return converted;
}

Bool NoteSelectionNotify(Display* display, XEvent* event, xEvent* wire) {
  const Bool converted = PreviousSelectionNotify(display, event, wire);
  if (converted) Note(*event);
  return converted;
}

void SendToSource(Atom type, long l1, long l2, long l3, long l4) {
  XEvent reply{};
  reply.xclient.type = ClientMessage;
  reply.xclient.display = WindowDisplay;
  reply.xclient.window = Source;
  reply.xclient.message_type = type;
  reply.xclient.format = 32;
  reply.xclient.data.l[0] = static_cast<long>(TargetWindow);
  reply.xclient.data.l[1] = l1;
  reply.xclient.data.l[2] = l2;
  reply.xclient.data.l[3] = l3;
  reply.xclient.data.l[4] = l4;
  XSendEvent(WindowDisplay, Source, False, NoEventMask, &reply);
}

// The dropped data has arrived (or the source had none of our type): the handler opens
// the file, and the source learns whether the drop was taken.
void FinishDrop(const XSelectionEvent& event) {
  std::optional<std::string> path;
  if (event.property != None) {
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long left = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(WindowDisplay, TargetWindow, DropProperty, 0, kMaxUriListBytes / 4, True,
                           AnyPropertyType, &type, &format, &items, &left, &data) == Success &&
        data != nullptr) {
      if (format == 8 && left == 0) {
        path = platform::LocalFileOfUriList(std::string_view(reinterpret_cast<char*>(data), items));
      }
      XFree(data);
    }
  }
  const DroppedFileHandler handler = Handler.load();
  const bool taken = path.has_value() && handler != nullptr;
  SendToSource(XdndFinished, taken ? 1 : 0, taken ? static_cast<long>(XdndActionCopy) : 0, 0, 0);
  Source = None;
  AwaitingData = false;
  if (taken) handler(*path);
}

void Serve(const XEvent& event) {
  if (event.type == SelectionNotify) {
    if (AwaitingData && Source != None) FinishDrop(event.xselection);
    return;
  }
  const XClientMessageEvent& message = event.xclient;
  const Window from = static_cast<Window>(message.data.l[0]);
  if (message.message_type == XdndEnter) {
    Source = from;
    AwaitingData = false;
  } else if (from != Source) {
    return;  // a message of no drag this window knows
  } else if (message.message_type == XdndPosition) {
    // Taken anywhere in the window, as a copy; position messages are wanted no more.
    const bool accept = Handler.load() != nullptr;
    SendToSource(XdndStatus, accept ? 1 : 0, 0, 0, accept ? static_cast<long>(XdndActionCopy) : 0);
  } else if (message.message_type == XdndLeave) {
    Source = None;
  } else if (message.message_type == XdndDrop) {
    AwaitingData = true;
    XConvertSelection(WindowDisplay, XdndSelection, TextUriList, DropProperty, TargetWindow,
                      static_cast<Time>(message.data.l[2]));
  }
}

}  // namespace

void SetDroppedFileHandler(DroppedFileHandler handler) {
  Handler.store(handler);
}

void AcceptFileDrops() {
  Display* display = glXGetCurrentDisplay();
  const Window window = glXGetCurrentDrawable();
  if (display == nullptr || window == None || WindowDisplay != nullptr) return;
  WindowDisplay = display;
  TargetWindow = window;
  const auto atom = [display](const char* name) { return XInternAtom(display, name, False); };
  XdndAware = atom("XdndAware");
  XdndEnter = atom("XdndEnter");
  XdndPosition = atom("XdndPosition");
  XdndStatus = atom("XdndStatus");
  XdndLeave = atom("XdndLeave");
  XdndDrop = atom("XdndDrop");
  XdndFinished = atom("XdndFinished");
  XdndSelection = atom("XdndSelection");
  XdndActionCopy = atom("XdndActionCopy");
  TextUriList = atom("text/uri-list");
  DropProperty = atom("C64EMU_DROPPED_FILE");
  PreviousClientMessage = XESetWireToEvent(display, ClientMessage, &NoteClientMessage);
  PreviousSelectionNotify = XESetWireToEvent(display, SelectionNotify, &NoteSelectionNotify);
  const long version = kProtocolVersion;
  XChangeProperty(display, window, XdndAware, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&version), 1);
  XFlush(display);
}

void ServeFileDrops() {
  if (WindowDisplay == nullptr || Noted.count == 0) return;
  // Taken out first: the handler may take long, and new messages are noted meanwhile.
  const NotedEvents taken = Noted;
  Noted.count = 0;
  for (int i = 0; i < taken.count; ++i) Serve(taken.events[i]);
  XFlush(WindowDisplay);
}

}  // namespace video
