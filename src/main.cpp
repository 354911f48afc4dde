// Program entry and the main window's procedure. Start-up order: static
// initialisation loads the placeholder pictures, then WinMain registers the
// class and creates the main window, whose WM_CREATE creates the controls.

#include "choice_controls.h"
#include "previews.h"
#include "win_api.h"

namespace {

constexpr const char* kClassName = "Karvo Zelt Omra Lights and Parts";
constexpr const char* kWindowTitle = "Karvo Zelt Omra Lights and Parts Changer";
constexpr int kWindowX = 50;
constexpr int kWindowY = 20;
constexpr int kWindowWidth = 695;  // outer size, frame and caption included
constexpr int kWindowHeight = 700;
// Returned when the main window cannot be set up: without it nothing would
// ever post the quit message, so the loop is not entered.
constexpr int kStartFailed = 1;

WNDCLASSA MainWindowClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = kClassName;
  return windowClass;
}

// Visible through WS_VISIBLE alone; its first paint comes through the loop.
HWND CreateMainWindow(HINSTANCE instance) {
  return CreateWindowExA(0, kClassName, kWindowTitle, WS_VISIBLE | WS_OVERLAPPEDWINDOW, kWindowX,
                         kWindowY, kWindowWidth, kWindowHeight, nullptr, nullptr, instance,
                         nullptr);
}

// Only dispatches; returns the quit message's value.
int RunMessageLoop() {
  MSG message{};
  while (GetMessageA(&message, nullptr, 0, 0) != 0) {
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace

LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // Set once on WM_CREATE; only the install test reads it.
  static HWND hwndButton = nullptr;

  switch (message) {
    case WM_CREATE:
      hwndButton = CreateChoiceControls(hwnd, reinterpret_cast<const CREATESTRUCTA*>(lParam));
      break;
    case WM_COMMAND:
      OnCommand(hwnd, wParam, lParam, hwndButton);
      break;
    case WM_PAINT:
      PaintPreviews(hwnd);
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      break;
    default:
      break;
  }
  // Every message, handled or not, ends in the default processing.
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
  const WNDCLASSA windowClass = MainWindowClass(hInstance, WndProc);
  g_hinst = hInstance;
  if (!RegisterClassA(&windowClass))
    return kStartFailed;
  if (!CreateMainWindow(hInstance))
    return kStartFailed;
  return RunMessageLoop();
}
