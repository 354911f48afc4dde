// The X11 presenter on its own, against an Xvfb server: what it puts on the
// screen and the events it makes of what the user does, without the core.

// gtest comes before Xlib, whose macros (None, Bool) clash with its names.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include "x11_presenter.h"

#include <cstdlib>

#include "x11_harness.h"

namespace x11test {
namespace {

using w32::InputEvent;
using w32::TopLevelInfo;
using w32::TopLevelKind;
using Kind = w32::InputEvent::Kind;

constexpr w32::WindowId kMain = 0x100;
constexpr w32::WindowId kBox = 0x200;

TopLevelInfo MainInfo() {
  TopLevelInfo info;
  info.id = kMain;
  info.title = "Caf\xE9 window";  // Latin-1, as the program's texts are
  info.x = 50;
  info.y = 20;
  info.outerWidth = 208;
  info.outerHeight = 127;
  info.clientWidth = 200;
  info.clientHeight = 100;
  return info;
}

class X11Presenter : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    server_ = XvfbServer::Start(error);
    if (!server_) {
      if (error.find("not installed") != std::string::npos) {
        GTEST_SKIP() << error << "; the tests on a display need it";
      }
      GTEST_FAIL() << error;
    }
    setenv("DISPLAY", server_->Name().c_str(), 1);
    presenter_ = w32::x11::OpenX11Presenter(error);
    ASSERT_TRUE(presenter_) << error;
    client_ = std::make_unique<XClient>(server_->Name());
    presenter_->TopLevelCreated(MainInfo());
    // Mapping exposes the whole window; the requests reach the server once
    // the presenter waits.
    const InputEvent first = Next();
    EXPECT_EQ(first.kind, Kind::kExpose);
    EXPECT_EQ(first.window, kMain);
    main_ = FindByTitle("Caf\xE9 window");
    ASSERT_NE(main_, 0u);
  }

  void TearDown() override {
    presenter_.reset();
    client_.reset();
    server_.reset();
  }

  Window FindByTitle(const std::string& title) {
    return client_
        ->WaitFor([&](XClient& x) -> std::optional<Window> {
          for (const Window w : x.TopLevels()) {
            if (x.Title(w) == title) {
              return w;
            }
          }
          return std::nullopt;
        })
        .value_or(0);
  }

  // The presenter's next event. A presenter that loses an event would wait
  // for ever: the alarm ends the test then.
  InputEvent Next() {
    alarm(20);
    const InputEvent event = presenter_->WaitEvent();
    alarm(0);
    return event;
  }

  // An expose that the test causes itself, to have an event that the
  // presenter passes on in every state.
  void ExposeFromOutside(Window window, int x, int y, int width, int height) {
    XClearArea(client_->Get(), window, x, y, static_cast<unsigned>(width),
               static_cast<unsigned>(height), True);
    XFlush(client_->Get());
  }

  void Xdotool(const std::vector<std::string>& args) {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    const CommandResult result = RunCommand(argv, "", {{"DISPLAY", server_->Name()}});
    ASSERT_EQ(result.exitCode, 0) << result.err;
  }

  void ClickAt(int x, int y) {
    Xdotool({"mousemove", std::to_string(50 + x), std::to_string(20 + y), "click", "1"});
  }

  std::unique_ptr<XvfbServer> server_;
  std::unique_ptr<w32::Presenter> presenter_;
  std::unique_ptr<XClient> client_;
  Window main_ = 0;
};

TEST_F(X11Presenter, PlacesAndNamesTheWindow) {
  EXPECT_EQ(client_->Property(main_, "_NET_WM_NAME").value_or(""), "Caf\xC3\xA9 window");
  EXPECT_TRUE(client_->HasDeleteProtocol(main_));
  const XClient::Geometry g = client_->GeometryOf(main_);
  EXPECT_EQ(g.x, 50);
  EXPECT_EQ(g.y, 20);
  EXPECT_EQ(g.width, 200);
  EXPECT_EQ(g.height, 100);
}

TEST_F(X11Presenter, ShowsTheSurfacePixelForPixel) {
  w32::Surface surface{200, 100, std::vector<std::uint32_t>(200 * 100, 0x00F0F0F0)};
  for (int y = 10; y < 30; ++y) {
    for (int x = 20; x < 60; ++x) {
      surface.pixels[y * 200 + x] = static_cast<std::uint32_t>(x * 4) << 16 | (y * 8) << 8 | 0x35;
    }
  }
  presenter_->SurfaceUpdated(kMain, surface, {0, 0, 200, 100});
  // Only a part of the next change is reported, so only that part may show.
  w32::Surface changed = surface;
  std::fill(changed.pixels.begin(), changed.pixels.end(), 0x00123456);
  presenter_->SurfaceUpdated(kMain, changed, {150, 80, 200, 100});
  for (int y = 80; y < 100; ++y) {
    for (int x = 150; x < 200; ++x) {
      surface.pixels[y * 200 + x] = 0x00123456;
    }
  }
  // The presenter shows what changed when the program next waits.
  ExposeFromOutside(main_, 0, 0, 1, 1);
  const InputEvent expose = Next();
  EXPECT_EQ(expose.kind, Kind::kExpose);
  EXPECT_EQ(expose.area.right, 1);

  const std::optional<Image> shown = Screenshot(server_->Name(), main_);
  ASSERT_TRUE(shown);
  EXPECT_EQ(CountDifferences(*shown, Image{200, 100, surface.pixels}), 0u);
}

TEST_F(X11Presenter, TurnsInputIntoEventsAndDropsItWhileDisabled) {
  ClickAt(12, 34);
  InputEvent down = Next();
  EXPECT_EQ(down.kind, Kind::kMouseDown);
  EXPECT_EQ(down.window, kMain);
  EXPECT_EQ(down.x, 12);
  EXPECT_EQ(down.y, 34);
  InputEvent up = Next();
  EXPECT_EQ(up.kind, Kind::kMouseUp);
  EXPECT_EQ(up.x, 12);

  XSetInputFocus(client_->Get(), main_, RevertToPointerRoot, CurrentTime);
  XSync(client_->Get(), False);
  Xdotool({"key", "Tab", "Return"});
  const InputEvent key = Next();  // Tab is no key the program sees
  EXPECT_EQ(key.kind, Kind::kKeyDown);
  EXPECT_EQ(key.key, 0x0D);

  presenter_->TopLevelEnabled(kMain, false);
  ClickAt(12, 34);
  Xdotool({"key", "Return"});
  ASSERT_EQ(
      RunCommand({KARVO_SEND_WM_DELETE, std::to_string(main_)}, "", {{"DISPLAY", server_->Name()}})
          .exitCode,
      0);
  ExposeFromOutside(main_, 5, 6, 7, 8);
  const InputEvent expose = Next();
  EXPECT_EQ(expose.kind, Kind::kExpose) << "input reached a disabled window";
  EXPECT_EQ(expose.area.left, 5);
  EXPECT_EQ(expose.area.top, 6);
  EXPECT_EQ(expose.area.right, 12);
  EXPECT_EQ(expose.area.bottom, 14);

  presenter_->TopLevelEnabled(kMain, true);
  ASSERT_EQ(
      RunCommand({KARVO_SEND_WM_DELETE, std::to_string(main_)}, "", {{"DISPLAY", server_->Name()}})
          .exitCode,
      0);
  const InputEvent close = Next();
  EXPECT_EQ(close.kind, Kind::kClose);
  EXPECT_EQ(close.window, kMain);
}

TEST_F(X11Presenter, ReportsANewSizeOnce) {
  XResizeWindow(client_->Get(), main_, 300, 150);
  XFlush(client_->Get());
  InputEvent event = Next();
  EXPECT_EQ(event.kind, Kind::kResize);
  EXPECT_EQ(event.x, 300);
  EXPECT_EQ(event.y, 150);
  // Then the new area is exposed; a move alone is no resize.
  XMoveWindow(client_->Get(), main_, 60, 30);
  ExposeFromOutside(main_, 0, 0, 2, 2);
  do {
    event = Next();
    EXPECT_NE(event.kind, Kind::kResize);
  } while (!(event.kind == Kind::kExpose && event.area.right == 2 && event.area.bottom == 2));
}

TEST_F(X11Presenter, OpensAMessageBoxOverItsOwner) {
  TopLevelInfo box;
  box.id = kBox;
  box.kind = TopLevelKind::kMessageBox;
  box.owner = kMain;
  box.title = "";
  box.clientWidth = 80;
  box.clientHeight = 40;
  presenter_->TopLevelCreated(box);
  InputEvent event = Next();
  while (!(event.kind == Kind::kExpose && event.window == kBox)) {
    event = Next();
  }
  const std::optional<Window> boxWindow =
      client_->WaitFor([&](XClient& x) -> std::optional<Window> {
        for (const Window w : x.TopLevels()) {
          if (x.TransientFor(w) == main_) {
            return w;
          }
        }
        return std::nullopt;
      });
  ASSERT_TRUE(boxWindow);
  const XClient::Geometry g = client_->GeometryOf(*boxWindow);
  EXPECT_EQ(g.x, 50 + (200 - 80) / 2);
  EXPECT_EQ(g.y, 20 + (100 - 40) / 2);
  EXPECT_EQ(g.width, 80);
  EXPECT_EQ(g.height, 40);

  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  Display* d = client_->Get();
  ASSERT_EQ(XGetWindowProperty(d, *boxWindow, XInternAtom(d, "_NET_WM_WINDOW_TYPE", False), 0, 1,
                               False, XA_ATOM, &type, &format, &count, &after, &data),
            Success);
  ASSERT_EQ(count, 1u);
  EXPECT_EQ(*reinterpret_cast<Atom*>(data), XInternAtom(d, "_NET_WM_WINDOW_TYPE_DIALOG", False));
  XFree(data);

  // The box has the keyboard once it is shown.
  Xdotool({"key", "Escape"});
  do {
    event = Next();
  } while (event.kind == Kind::kExpose);
  EXPECT_EQ(event.kind, Kind::kKeyDown);
  EXPECT_EQ(event.window, kBox);
  EXPECT_EQ(event.key, 0x1B);

  presenter_->TopLevelDestroyed(kBox);
  EXPECT_TRUE(client_->WaitGone(*boxWindow));
}

}  // namespace
}  // namespace x11test
