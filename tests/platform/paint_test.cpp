// Update areas, erasing and painting: what the platform paints, and when.

#include "core_fixture.h"

namespace coretest {
namespace {

constexpr std::uint32_t kFace = 0xF0F0F0;
constexpr std::uint32_t kDark = 0x696969;  // COLOR_3DDKSHADOW

// Paints the rectangle `paintArea` (client coordinates) dark on every
// WM_PAINT of the test window, and remembers rcPaint.
class PaintTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    TestHandler() = [this](HWND hwnd, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (msg != WM_PAINT)
        return std::nullopt;
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      lastPaint = ps.rcPaint;
      ++paints;
      FillRect(dc, &paintArea, GetSysColorBrush(COLOR_3DDKSHADOW));
      EndPaint(hwnd, &ps);
      return 0;
    };
  }
  RECT paintArea{0, 0, 0, 0};
  RECT lastPaint{};
  int paints = 0;
};

TEST_F(PaintTest, FirstShowErasesWholeClientWithTheClassBrush) {
  HWND main = MakeWindow();
  Pump();
  EXPECT_EQ(paints, 1);
  EXPECT_EQ(Received(WM_ERASEBKGND).size(), 1u);
  for (auto [x, y] : {std::pair{0, 0}, {211, 132}, {100, 60}})
    EXPECT_EQ(Pixel(main, x, y), kFace) << x << "," << y;
}

TEST_F(PaintTest, InvalidateWithoutEraseKeepsWhatIsNotPaintedAgain) {
  HWND main = MakeWindow();
  paintArea = {10, 10, 20, 20};
  Pump();
  ASSERT_EQ(Pixel(main, 15, 15), kDark);

  paintArea = {50, 10, 60, 20};
  InvalidateRect(main, nullptr, FALSE);
  Pump();
  EXPECT_EQ(Pixel(main, 15, 15), kDark);  // not erased
  EXPECT_EQ(Pixel(main, 55, 15), kDark);
  EXPECT_EQ(Received(WM_ERASEBKGND).size(), 1u);  // the first show's only

  InvalidateRect(main, nullptr, TRUE);
  Pump();
  EXPECT_EQ(Pixel(main, 15, 15), kFace);  // erased this time
  EXPECT_EQ(Pixel(main, 55, 15), kDark);
}

TEST_F(PaintTest, PaintReachesOnlyTheInvalidArea) {
  HWND main = MakeWindow();
  Pump();
  paintArea = {0, 0, 212, 133};
  const RECT part{30, 40, 50, 45};
  InvalidateRect(main, &part, FALSE);
  Pump();
  EXPECT_EQ(lastPaint.left, 30);
  EXPECT_EQ(lastPaint.top, 40);
  EXPECT_EQ(lastPaint.right, 50);
  EXPECT_EQ(lastPaint.bottom, 45);
  EXPECT_EQ(Pixel(main, 30, 40), kDark);
  EXPECT_EQ(Pixel(main, 49, 44), kDark);
  EXPECT_EQ(Pixel(main, 50, 44), kFace);
  EXPECT_EQ(Pixel(main, 29, 40), kFace);
  EXPECT_EQ(Pixel(main, 30, 45), kFace);
}

TEST_F(PaintTest, ExposeErasesAndPaintsTheUncoveredArea) {
  HWND main = MakeWindow();
  paintArea = {0, 0, 212, 133};
  Pump();
  w32::InputEvent expose;
  expose.kind = w32::InputEvent::Kind::kExpose;
  expose.window = reinterpret_cast<w32::WindowId>(main);
  expose.area = {5, 5, 8, 8};
  input_.events.push_back(expose);
  paintArea = {0, 0, 0, 0};
  Pump();
  EXPECT_EQ(Pixel(main, 5, 5), kFace);
  EXPECT_EQ(Pixel(main, 7, 7), kFace);
  EXPECT_EQ(Pixel(main, 8, 8), kDark);
  EXPECT_EQ(Received(WM_ERASEBKGND).size(), 2u);
}

TEST_F(PaintTest, ControlsArePaintedAfterTheParentOverItsPixels) {
  HWND main = MakeWindow();
  MakeButton(main, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, "push", 20, 20, 80, 30, 1);
  paintArea = {0, 0, 212, 133};  // the parent paints over the button's place too
  Pump();
  EXPECT_EQ(Pixel(main, 25, 25), kFace);  // the button's face, inside its frame
  EXPECT_EQ(Pixel(main, 10, 10), kDark);

  InvalidateRect(main, nullptr, FALSE);
  Pump();
  EXPECT_EQ(Pixel(main, 25, 25), kFace);
}

TEST_F(PaintTest, ClipChildrenKeepsTheParentOffItsControls) {
  HWND main = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN);
  MakeButton(main, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, "push", 20, 20, 80, 30, 1);
  Pump();
  paintArea = {0, 0, 212, 133};
  InvalidateRect(main, nullptr, FALSE);
  Pump();
  // The parent's paint leaves out the button's place, so its fill stops at
  // the button's edge.
  EXPECT_EQ(Pixel(main, 25, 25), kFace);
  EXPECT_EQ(Pixel(main, 19, 35), kDark);
}

TEST_F(PaintTest, PostedMessagesGoBeforePaintAndPaintStaysUntilValidated) {
  HWND main = MakeWindow();
  Pump();
  InvalidateRect(main, nullptr, FALSE);
  PostMessageA(main, WM_COMMAND, 1, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_COMMAND);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_PAINT);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_PAINT);  // not painted yet
  DispatchMessageA(&msg);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(PaintTest, DefaultProcessingValidatesAnUnhandledPaint) {
  HWND main = MakeWindow();
  TestHandler() = nullptr;
  Pump();
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(Pixel(main, 100, 60), kFace);
}

TEST_F(PaintTest, GrowingTheWindowErasesOnlyWhatItGained) {
  HWND main = MakeWindow();
  paintArea = {0, 0, 400, 400};
  Pump();
  paintArea = {0, 0, 0, 0};
  w32::InputEvent resize;
  resize.kind = w32::InputEvent::Kind::kResize;
  resize.window = reinterpret_cast<w32::WindowId>(main);
  resize.x = 250;
  resize.y = 140;
  input_.events.push_back(resize);
  Pump();
  RECT client{};
  GetClientRect(main, &client);
  EXPECT_EQ(client.right, 250);
  EXPECT_EQ(client.bottom, 140);
  EXPECT_EQ(Pixel(main, 100, 60), kDark);
  EXPECT_EQ(Pixel(main, 230, 60), kFace);
  EXPECT_EQ(Pixel(main, 100, 135), kFace);
  ASSERT_EQ(Received(WM_SIZE).size(), 1u);
  EXPECT_EQ(Received(WM_SIZE)[0].lParam, MAKELPARAM(250, 140));
}

}  // namespace
}  // namespace coretest
