// Files dropped on the display window through the X drag-and-drop protocol, with this
// test as the drag's source on a connection of its own under a private X server: the
// window's announcement, its answers, the handler's call with the file's path, and the
// URI lists it refuses.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include <GL/glx.h>
#include <X11/Xlib.h>

#include "core/machine.h"
#include "platform/qt/x11_session.h"
#include "platform/uri_list.h"
#include "private_x_server.h"
#include "tests/support/test_machine.h"
#include "video/display/display_window.h"
#include "video/display/file_drop_target.h"
#include "video/display/key_origin.h"

using namespace video;

namespace {

TEST(UriList, OneLocalFileDecoded) {
  const struct {
    const char* list;
    std::optional<std::string> path;
  } cases[] = {
      {"file:///home/me/my%20game.prg\r\n", "/home/me/my game.prg"},
      {"# a comment\r\nfile://localhost/tmp/%c3%a9.prg", "/tmp/\xc3\xa9.prg"},
      {"file:///a.prg\r\nfile:///b.prg\r\n", std::nullopt},  // several
      {"http://example.org/a.prg", std::nullopt},
      {"file://otherhost/a.prg", std::nullopt},
      {"file:///a%2.prg", std::nullopt},
      {"file:///a%00.prg", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(platform::LocalFileOfUriList(c.list), c.path) << c.list;
}

std::string DroppedPath;

class DisplayDropTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    server_ = std::make_unique<PrivateXServer>();
    ASSERT_TRUE(server_->Running()) << "Xvfb did not start";
    platform::InitialiseXlib();
    ZeroWholeMachine();
    core::C64.run.emulationRunning.store(0);  // every pass returns at once
    SetDroppedFileHandler([](const std::string& path) { DroppedPath = path; });
    CreateDisplayWindow();
    target_ = DisplayWindowXId();
    source_ = XOpenDisplay(server_->DisplayName().c_str());
    ASSERT_NE(source_, nullptr);
    sourceWindow_ = XCreateSimpleWindow(source_, DefaultRootWindow(source_), 0, 0, 10, 10, 0, 0, 0);
    XSync(source_, False);
  }
  static void TearDownTestSuite() {
    if (source_ != nullptr) XCloseDisplay(source_);
    SetDroppedFileHandler(nullptr);
  }

  static Atom Named(const char* name) { return XInternAtom(source_, name, False); }

  static void Send(const char* type, long l1, long l2, long l3, long l4) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = target_;
    event.xclient.message_type = Named(type);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(sourceWindow_);
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    event.xclient.data.l[3] = l3;
    event.xclient.data.l[4] = l4;
    XSendEvent(source_, target_, False, NoEventMask, &event);
    XSync(source_, False);
  }

  // Runs the window's side (its events and its answers) until the source has an event of
  // `type` for it, answering the window's request for the data with `uriList` meanwhile.
  static std::optional<XEvent> ServeUntil(int type, const char* messageType,
                                          const std::string& uriList) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (std::chrono::steady_clock::now() < deadline) {
      ProcessDisplayWindowEvents();
      ServeFileDrops();
      XEvent event;
      while (XPending(source_) > 0) {
        XNextEvent(source_, &event);
        if (event.type == SelectionRequest) AnswerRequest(event.xselectionrequest, uriList);
        if (event.type == type &&
            (messageType == nullptr || event.xclient.message_type == Named(messageType))) {
          return event;
        }
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return std::nullopt;
  }

  static void AnswerRequest(const XSelectionRequestEvent& request, const std::string& uriList) {
    XChangeProperty(source_, request.requestor, request.property, request.target, 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(uriList.data()),
                    static_cast<int>(uriList.size()));
    XEvent notify{};
    notify.xselection.type = SelectionNotify;
    notify.xselection.requestor = request.requestor;
    notify.xselection.selection = request.selection;
    notify.xselection.target = request.target;
    notify.xselection.property = request.property;
    notify.xselection.time = request.time;
    XSendEvent(source_, request.requestor, False, NoEventMask, &notify);
    XSync(source_, False);
  }

  // A whole drag: enter, a position, the drop; returns the window's XdndFinished.
  static std::optional<XEvent> Drag(const std::string& uriList) {
    XSetSelectionOwner(source_, Named("XdndSelection"), sourceWindow_, CurrentTime);
    Send("XdndEnter", 5L << 24, static_cast<long>(Named("text/uri-list")), 0, 0);
    Send("XdndPosition", 0, (20 << 16) | 20, CurrentTime,
         static_cast<long>(Named("XdndActionCopy")));
    const std::optional<XEvent> status = ServeUntil(ClientMessage, "XdndStatus", uriList);
    EXPECT_TRUE(status.has_value());
    if (status) {
      EXPECT_EQ(static_cast<Window>(status->xclient.data.l[0]), target_);
      EXPECT_EQ(status->xclient.data.l[1] & 1, 1);  // accepted
    }
    Send("XdndDrop", 0, CurrentTime, 0, 0);
    return ServeUntil(ClientMessage, "XdndFinished", uriList);
  }

  static std::unique_ptr<PrivateXServer> server_;
  static Display* source_;
  static Window sourceWindow_;
  static Window target_;
};

std::unique_ptr<PrivateXServer> DisplayDropTest::server_;
Display* DisplayDropTest::source_ = nullptr;
Window DisplayDropTest::sourceWindow_ = None;
Window DisplayDropTest::target_ = None;

TEST_F(DisplayDropTest, ADroppedFileReachesTheHandlerAndTheDropIsTaken) {
  const std::optional<XEvent> finished = Drag("file:///tmp/my%20game.prg\r\n");
  ASSERT_TRUE(finished.has_value());
  EXPECT_EQ(finished->xclient.data.l[1], 1);
  EXPECT_EQ(static_cast<Atom>(finished->xclient.data.l[2]), Named("XdndActionCopy"));
  EXPECT_EQ(DroppedPath, "/tmp/my game.prg");
}

}  // namespace
