// The key events of freeglut's X connection, noted as Xlib reads them (its wire-to-event
// hook) and matched to freeglut's callbacks in order: freeglut delivers the events it
// reads one by one, so the event behind a callback is the oldest noted one that gives the
// callback's character or special key. Its key code and first key symbol tell the rest.
#include "video/display/key_origin.h"

// Before Xlibint.h, which defines min and max as macros.
#include <atomic>

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xlibint.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace video {

namespace {

// Events read but not yet matched, oldest first. Only the thread that reads freeglut's
// connection touches them: the hook runs there under the connection's lock, the callbacks
// run there after it.
constexpr int kCapacity = 64;
struct NotedKeyEvents {
  XKeyEvent events[kCapacity];
  int head = 0;
  int count = 0;
};
NotedKeyEvents Noted;

using WireToEvent = Bool (*)(Display*, XEvent*, xEvent*);
WireToEvent PreviousKeyPress = nullptr;
WireToEvent PreviousKeyRelease = nullptr;
WireToEvent PreviousFocusOut = nullptr;
WireToEvent PreviousExpose = nullptr;
bool FocusLost = false;  // the same thread as the events above
bool Exposed = true;     // the first picture is always drawn
// Scroll Lock, the Warp key: freeglut has no callback for it, so its press is taken here.
KeyCode WarpKeyCode = 0;
bool WarpKeyPressed = false;
// Read by the user-interface thread.
std::atomic<unsigned long> WatchedWindow{0};

void Note(const XKeyEvent& event) {
  if (Noted.count == kCapacity) {  // never delivered: drop the oldest
    Noted.head = (Noted.head + 1) % kCapacity;
    --Noted.count;
  }
  Noted.events[(Noted.head + Noted.count) % kCapacity] = event;
  ++Noted.count;
}

// Called with the connection locked: copies the event and calls no Xlib function.
Bool NoteKeyPress(Display* display, XEvent* event, xEvent* wire) {
  const Bool converted = PreviousKeyPress(display, event, wire);
  if (converted) Note(event->xkey);
  if (converted && WarpKeyCode != 0 && event->xkey.keycode == WarpKeyCode) WarpKeyPressed = true;
  return converted;
}
Bool NoteKeyRelease(Display* display, XEvent* event, xEvent* wire) {
  const Bool converted = PreviousKeyRelease(display, event, wire);
  if (converted) Note(event->xkey);
  return converted;
}
// The focus moving into a child of the window is no loss.
Bool NoteFocusOut(Display* display, XEvent* event, xEvent* wire) {
  const Bool converted = PreviousFocusOut(display, event, wire);
  if (converted && event->xfocus.detail != NotifyInferior) FocusLost = true;
  return converted;
}

// Part of the window came into view (mapped, uncovered, resized): it needs drawing again.
Bool NoteExpose(Display* display, XEvent* event, xEvent* wire) {
  const Bool converted = PreviousExpose(display, event, wire);
  if (converted) Exposed = true;
  return converted;
}

// freeglut's special-key code for a key symbol that gives no character, -1 for one it
// ignores.
int SpecialKeyOf(KeySym symbol) {
  if (symbol >= XK_F1 && symbol <= XK_F12) return static_cast<int>(symbol - XK_F1) + 1;
  switch (symbol) {
    case XK_Left:
    case XK_KP_Left: return 100;
    case XK_Up:
    case XK_KP_Up: return 101;
    case XK_Right:
    case XK_KP_Right: return 102;
    case XK_Down:
    case XK_KP_Down: return 103;
    case XK_Prior:
    case XK_KP_Prior: return 104;
    case XK_Next:
    case XK_KP_Next: return 105;
    case XK_Home:
    case XK_KP_Home: return 106;
    case XK_End:
    case XK_KP_End: return 107;
    case XK_Insert:
    case XK_KP_Insert: return 108;
    case XK_Num_Lock: return 109;
    case XK_Begin:
    case XK_KP_Begin: return 110;
    case XK_Delete:
    case XK_KP_Delete: return 111;
    case XK_Shift_L: return 112;
    case XK_Shift_R: return 113;
    case XK_Control_L: return 114;
    case XK_Control_R: return 115;
    case XK_Alt_L: return 116;
    case XK_Alt_R: return 117;
    case XK_Super_L: return 118;
    case XK_Super_R: return 119;
    default: return -1;
  }
}

bool GivesCallback(XKeyEvent& event, int character, int specialKey) {
  char text[8];
  KeySym symbol = NoSymbol;
  const int length = XLookupString(&event, text, sizeof text, &symbol, nullptr);
  if (character >= 0) return length > 0 && static_cast<unsigned char>(text[0]) == character;
  return length == 0 && SpecialKeyOf(symbol) == specialKey;
}

}  // namespace

void WatchKeyEvents() {
  Display* display = glXGetCurrentDisplay();
  if (display == nullptr || PreviousKeyPress != nullptr) return;
  WarpKeyCode = XKeysymToKeycode(display, XK_Scroll_Lock);
  PreviousKeyPress = XESetWireToEvent(display, KeyPress, &NoteKeyPress);
  PreviousKeyRelease = XESetWireToEvent(display, KeyRelease, &NoteKeyRelease);
  PreviousFocusOut = XESetWireToEvent(display, FocusOut, &NoteFocusOut);
  PreviousExpose = XESetWireToEvent(display, Expose, &NoteExpose);
  // freeglut does not ask for focus changes itself.
  const Window window = glXGetCurrentDrawable();
  WatchedWindow.store(window);
  XWindowAttributes attributes{};
  if (window != None && XGetWindowAttributes(display, window, &attributes) != 0) {
    XSelectInput(display, window, attributes.your_event_mask | FocusChangeMask);
  }
}

unsigned long DisplayWindowXId() {
  return WatchedWindow.load();
}

bool TakeWarpKey() {
  const bool pressed = WarpKeyPressed;
  WarpKeyPressed = false;
  return pressed;
}

bool TakeExposure() {
  const bool exposed = Exposed;
  Exposed = false;
  return exposed;
}

bool TakeFocusLoss() {
  const bool lost = FocusLost;
  FocusLost = false;
  return lost;
}

input::KeyOrigin OriginOfKeyEvent(bool press, int character, int specialKey) {
  while (Noted.count > 0) {
    XKeyEvent& event = Noted.events[Noted.head];
    Noted.head = (Noted.head + 1) % kCapacity;
    --Noted.count;
    if ((event.type == KeyPress) != press || !GivesCallback(event, character, specialKey)) continue;
    // The keypad's keys have keypad symbols in their first place, with Num Lock or not.
    const bool keypad = IsKeypadKey(XLookupKeysym(&event, 0));
    return {keypad ? input::KeySource::kKeypad : input::KeySource::kMain,
            static_cast<int>(event.keycode)};
  }
  return {};
}

}  // namespace video
