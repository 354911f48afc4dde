#include "core_fixture.h"

#include <random>

namespace coretest {
namespace {

constexpr const char* kTestClass = "CoreTestWindow";
constexpr UINT kStopPump = 0x8000 + 0x51;  // a thread message in the WM_APP range

LRESULT CALLBACK TestProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  MessageLog().push_back({hwnd, msg, wParam, lParam});
  if (TestHandler()) {
    if (std::optional<LRESULT> answer = TestHandler()(hwnd, msg, wParam, lParam))
      return *answer;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

w32::InputEvent Mouse(w32::InputEvent::Kind kind, HWND top, int x, int y) {
  w32::InputEvent event;
  event.kind = kind;
  event.window = reinterpret_cast<w32::WindowId>(top);
  event.x = x;
  event.y = y;
  return event;
}

}  // namespace

std::vector<Message>& MessageLog() {
  static std::vector<Message> log;
  return log;
}

Handler& TestHandler() {
  static Handler handler;
  return handler;
}

w32::InputEvent QueuedInput::WaitEvent() {
  if (onWait)
    onWait();
  w32::InputEvent event;
  event.kind = w32::InputEvent::Kind::kWake;
  if (!events.empty()) {
    idleWaits = 0;
    event = events.front();
    events.pop_front();
    return event;
  }
  if (++idleWaits > 1) {
    ADD_FAILURE() << "the program waits for input the test did not queue";
    PostQuitMessage(99);
    return event;
  }
  PostMessageA(nullptr, kStopPump, 0, 0);
  return event;
}

void CoreTest::SetUp() {
  MessageLog().clear();
  TestHandler() = nullptr;
  WNDCLASSA wc{};
  wc.lpfnWndProc = TestProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = kTestClass;
  RegisterClassA(&wc);  // once per process; later calls find it registered
  w32::SetPresenter(&input_);
}

void CoreTest::TearDown() {
  TestHandler() = nullptr;
  for (HWND hwnd : windows_)
    DestroyWindow(hwnd);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
  w32::SetPresenter(nullptr);
}

HWND CoreTest::MakeWindow(DWORD style, int width, int height, HWND parent) {
  HWND hwnd = CreateWindowExA(0, kTestClass, "Test", style, 30, 40, width, height, parent, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  windows_.push_back(hwnd);
  return hwnd;
}

HWND CoreTest::MakeButton(HWND parent, DWORD style, const char* text, int x, int y, int width,
                          int height, int id) {
  return CreateWindowExA(0, "button", text, style, x, y, width, height, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleA(nullptr), nullptr);
}

void CoreTest::Press(HWND top, int x, int y) {
  input_.events.push_back(Mouse(w32::InputEvent::Kind::kMouseDown, top, x, y));
}

void CoreTest::Release(HWND top, int x, int y) {
  input_.events.push_back(Mouse(w32::InputEvent::Kind::kMouseUp, top, x, y));
}

void CoreTest::Click(HWND top, int x, int y) {
  Press(top, x, y);
  Release(top, x, y);
}

void CoreTest::Key(int vk) {
  w32::InputEvent event;
  event.kind = w32::InputEvent::Kind::kKeyDown;
  event.key = vk;
  input_.events.push_back(event);
}

std::optional<int> CoreTest::Pump() {
  MSG msg;
  for (;;) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0)
      return static_cast<int>(msg.wParam);
    if (got < 0)
      return std::nullopt;
    if (!msg.hwnd && msg.message == kStopPump) {
      input_.idleWaits = 0;
      return std::nullopt;
    }
    DispatchMessageA(&msg);
  }
}

std::uint32_t CoreTest::Pixel(HWND top, int x, int y) {
  const w32::Surface* surface = w32::SurfaceOf(reinterpret_cast<w32::WindowId>(top));
  if (!surface || x < 0 || y < 0 || x >= surface->width || y >= surface->height) {
    ADD_FAILURE() << "no pixel at " << x << "," << y;
    return 0xDEADBEEF;
  }
  return surface->pixels[static_cast<std::size_t>(y) * surface->width + x];
}

std::vector<Message> CoreTest::Received(UINT msg) const {
  std::vector<Message> found;
  for (const Message& m : MessageLog()) {
    if (m.msg == msg)
      found.push_back(m);
  }
  return found;
}

TempFolder::TempFolder() {
  std::random_device random;
  path_ = std::filesystem::temp_directory_path() /
          ("karvo_platform_" + std::to_string(random()) + std::to_string(random()));
  std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace coretest
