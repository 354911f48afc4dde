// A tiny program for the headless presenter's tests: a main window with two
// radio buttons and a push button that opens a message box. WM_COMMAND is
// printed as "command ID CODE SENDER" (SENDER 0, main or control:N); the
// program ends with exit code 7.

#include <cstdio>

#include "win32_subset.h"

namespace {

HWND controls[3];

const char* SenderName(HWND hwnd, LPARAM sender) {
  static char name[32];
  if (sender == 0)
    return "0";
  if (reinterpret_cast<HWND>(sender) == hwnd)
    return "main";
  for (int i = 0; i < 3; ++i) {
    if (reinterpret_cast<HWND>(sender) == controls[i]) {
      std::snprintf(name, sizeof name, "control:%d", i + 1);
      return name;
    }
  }
  return "other";
}

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: {
      const DWORD radio = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON;
      controls[0] = CreateWindowExA(0, "button", "One", radio, 10, 10, 100, 30, hwnd,
                                    reinterpret_cast<HMENU>(INT_PTR{11}), nullptr, nullptr);
      controls[1] = CreateWindowExA(0, "button", "Two", radio, 10, 40, 100, 30, hwnd,
                                    reinterpret_cast<HMENU>(INT_PTR{12}), nullptr, nullptr);
      controls[2] =
          CreateWindowExA(0, "button", "Ask", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 80, 80, 25,
                          hwnd, reinterpret_cast<HMENU>(INT_PTR{1}), nullptr, nullptr);
      break;
    }
    case WM_COMMAND:
      std::printf("command %d %d %s\n", LOWORD(wParam), HIWORD(wParam), SenderName(hwnd, lParam));
      std::fflush(stdout);
      if (LOWORD(wParam) == 1 && HIWORD(wParam) == BN_CLICKED)
        MessageBoxA(hwnd, "Say \"yes\"\nor no", "", MB_ICONWARNING);
      break;
    case WM_DESTROY:
      PostQuitMessage(7);
      break;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = ProbeProc;
  wc.hInstance = hInstance;
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = "Probe";
  if (!RegisterClassA(&wc))
    return 1;
  if (!CreateWindowExA(0, "Probe", "Probe window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 5, 6, 208, 157,
                       nullptr, nullptr, hInstance, nullptr))
    return 1;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0)
    DispatchMessageA(&msg);
  return static_cast<int>(msg.wParam);
}
