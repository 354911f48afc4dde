// Window creation and destruction, the message loop and default processing.

#include <algorithm>

#include "core_fixture.h"

namespace coretest {
namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

TEST_F(CoreTest, CreateSendsWmCreateWithTheCreationRecordBeforeReturning) {
  std::optional<CREATESTRUCTA> seen;
  HWND seenWindow = nullptr;
  std::vector<w32::WindowId> childrenDuringCreate;
  int param = 42;
  TestHandler() = [&](HWND hwnd, UINT msg, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
    if (msg == WM_CREATE && !seen) {
      seen = *reinterpret_cast<CREATESTRUCTA*>(lParam);
      seenWindow = hwnd;
      MakeButton(hwnd, kChild | BS_GROUPBOX, "first", 1, 2, 50, 40, 0);
      MakeButton(hwnd, kChild | BS_PUSHBUTTON, "second", 3, 4, 50, 20, 7);
    }
    return std::nullopt;
  };
  HWND hwnd = CreateWindowExA(0, "coretestwindow", "Title", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50,
                              20, 695, 700, nullptr, nullptr, GetModuleHandleA(nullptr), &param);
  windows_.push_back(hwnd);

  ASSERT_NE(hwnd, nullptr);
  ASSERT_TRUE(seen.has_value());
  EXPECT_EQ(seenWindow, hwnd);
  EXPECT_EQ(seen->lpCreateParams, &param);
  EXPECT_EQ(seen->hInstance, GetModuleHandleA(nullptr));
  EXPECT_EQ(std::string(seen->lpszName), "Title");
  EXPECT_EQ(static_cast<DWORD>(seen->style), 0x10CF0000u);
  EXPECT_EQ(seen->x, 50);
  EXPECT_EQ(seen->y, 20);
  EXPECT_EQ(seen->cx, 695);
  EXPECT_EQ(seen->cy, 700);

  // The fixed frame: 4 px borders and a 19 px caption.
  RECT client{};
  ASSERT_TRUE(GetClientRect(hwnd, &client));
  EXPECT_EQ(client.right, 687);
  EXPECT_EQ(client.bottom, 673);

  const std::vector<w32::WindowId> children =
      w32::ChildWindows(reinterpret_cast<w32::WindowId>(hwnd));
  ASSERT_EQ(children.size(), 2u);
  EXPECT_EQ(w32::DescribeWindow(children[0])->text, "first");
  EXPECT_EQ(w32::DescribeWindow(children[1])->text, "second");
  EXPECT_EQ(w32::DescribeWindow(children[1])->id, 7);
}

TEST_F(CoreTest, CreateFailsForUnknownClassMissingParentAndRefusedWmCreate) {
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr,
                            nullptr, nullptr),
            nullptr);
  EXPECT_EQ(MakeButton(nullptr, kChild, "orphan", 0, 0, 10, 10, 1), nullptr);
  // The message box class takes its text only from MessageBoxA.
  int notABox = 0;
  EXPECT_EQ(CreateWindowExA(0, "#32770", "", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr,
                            nullptr, &notABox),
            nullptr);

  HWND refused = nullptr;
  TestHandler() = [&](HWND hwnd, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_CREATE) {
      refused = hwnd;
      return -1;
    }
    return std::nullopt;
  };
  EXPECT_EQ(MakeWindow(), nullptr);
  EXPECT_FALSE(IsWindow(refused));
  EXPECT_EQ(Received(WM_DESTROY).size(), 1u);
}

TEST_F(CoreTest, DestroyWindowSendsWmDestroyParentFirstWhileHandlesAreValid) {
  HWND main = MakeWindow();
  HWND a = MakeButton(main, kChild | BS_PUSHBUTTON, "a", 0, 0, 10, 10, 1);
  HWND b = MakeButton(main, kChild | BS_PUSHBUTTON, "b", 20, 0, 10, 10, 2);
  std::vector<std::pair<HWND, bool>> destroyOrder;  // window, child a still valid
  TestHandler() = [&](HWND hwnd, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_DESTROY)
      destroyOrder.push_back({hwnd, IsWindow(a) != FALSE});
    return std::nullopt;
  };
  ASSERT_TRUE(DestroyWindow(main));

  ASSERT_EQ(destroyOrder.size(), 1u);
  EXPECT_EQ(destroyOrder[0].first, main);
  EXPECT_TRUE(destroyOrder[0].second);
  for (HWND gone : {main, a, b}) {
    EXPECT_FALSE(IsWindow(gone));
    EXPECT_FALSE(DestroyWindow(gone));
    EXPECT_FALSE(InvalidateRect(gone, nullptr, TRUE));
    EXPECT_EQ(SendMessageA(gone, BM_GETCHECK, 0, 0), 0);
    PAINTSTRUCT ps;
    EXPECT_EQ(BeginPaint(gone, &ps), nullptr);
    EXPECT_FALSE(PostMessageA(gone, WM_COMMAND, 0, 0));
  }
  // A stale handle stays stale: new windows get new handles.
  HWND next = MakeWindow();
  for (HWND gone : {main, a, b})
    EXPECT_NE(next, gone);
}

TEST_F(CoreTest, ClosingTheWindowEndsTheLoopWithTheQuitCode) {
  TestHandler() = [&](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_DESTROY)
      PostQuitMessage(7);
    return std::nullopt;
  };
  HWND main = MakeWindow();
  w32::InputEvent close;
  close.kind = w32::InputEvent::Kind::kClose;
  close.window = reinterpret_cast<w32::WindowId>(main);
  input_.events.push_back(close);

  EXPECT_EQ(Pump(), 7);
  EXPECT_FALSE(IsWindow(main));
  EXPECT_EQ(Received(WM_CLOSE).size(), 1u);
  ASSERT_EQ(input_.destroyed.size(), 1u);
  EXPECT_EQ(input_.destroyed[0], reinterpret_cast<w32::WindowId>(main));
}

TEST_F(CoreTest, PostedMessagesComeBeforeQuitAndQuitBeforePaint) {
  HWND main = MakeWindow();
  Pump();
  InvalidateRect(main, nullptr, FALSE);
  PostQuitMessage(3);
  PostMessageA(main, WM_COMMAND, 5, 0);
  MSG msg;
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
  EXPECT_EQ(msg.message, WM_COMMAND);
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);
  EXPECT_EQ(msg.wParam, 3u);
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
  EXPECT_EQ(msg.message, WM_PAINT);
  EXPECT_EQ(msg.hwnd, main);
}

TEST_F(CoreTest, WithoutAPresenterGetMessageFailsInsteadOfWaiting) {
  HWND main = MakeWindow();
  Pump();
  w32::SetPresenter(nullptr);
  MSG msg{main, WM_COMMAND, 1, 0, 0, {0, 0}};  // what a loop handled last
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), -1);
  EXPECT_EQ(msg.message, WM_NULL);
  EXPECT_EQ(msg.hwnd, nullptr);
}

}  // namespace
}  // namespace coretest
