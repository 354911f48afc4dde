// Window classes, window creation and destruction, default processing, and
// what presenters may read about windows.

#include <algorithm>

#include "canvas.h"
#include "controls.h"
#include "window_query.h"
#include "paint.h"
#include "state.h"
#include "win32_subset.h"

namespace w32::core {
namespace {

// The frame of a captioned top-level window: a 4 px border on every side and
// a 19 px caption above the client area.
constexpr int kBorder = 4;
constexpr int kCaption = 19;
// The instance handle of the program itself.
const HINSTANCE kModule = reinterpret_cast<HINSTANCE>(std::uintptr_t{0x400000});
const HCURSOR kArrowCursor = reinterpret_cast<HCURSOR>(std::uintptr_t{0x10003});

void PlaceClient(Window& window) {
  const bool framed = !window.IsChild() && (window.style & WS_CAPTION) == WS_CAPTION;
  window.clientLeft = framed ? kBorder : 0;
  window.clientTop = framed ? kBorder + kCaption : 0;
  const int frameWidth = framed ? 2 * kBorder : 0;
  const int frameHeight = framed ? 2 * kBorder + kCaption : 0;
  window.clientWidth = std::max(0, window.width - frameWidth);
  window.clientHeight = std::max(0, window.height - frameHeight);
}

WindowId RootOwner(HWND hwnd) {
  Window* window = LiveWindow(hwnd);
  return window ? TopLevelOf(*window).id : 0;
}

TopLevelInfo InfoOf(const Window& window) {
  TopLevelInfo info;
  info.id = window.id;
  info.kind = window.kind;
  info.owner = window.owner;
  info.title = window.text;
  info.flags = window.boxFlags;
  info.x = window.x;
  info.y = window.y;
  info.outerWidth = window.width;
  info.outerHeight = window.height;
  info.clientWidth = window.clientWidth;
  info.clientHeight = window.clientHeight;
  return info;
}

// A window that is shown for the first time is erased and painted whole.
void Show(Window& window) {
  State& state = Core();
  if (!window.IsChild() && state.presenter) {
    TopLevelInfo info = InfoOf(window);
    if (window.kind == TopLevelKind::kMessageBox)
      info.text = window.boxText;
    state.presenter->TopLevelCreated(info);
  }
  InvalidateAll(window, true);
}

void Unlink(Window& window) {
  State& state = Core();
  if (window.IsChild()) {
    if (Window* parent = LiveWindow(window.parent)) {
      auto& siblings = parent->children;
      siblings.erase(std::remove(siblings.begin(), siblings.end(), window.id), siblings.end());
    }
  } else {
    auto& tops = state.topLevels;
    tops.erase(std::remove(tops.begin(), tops.end(), window.id), tops.end());
  }
}

// WM_DESTROY goes to the window first and then to its children, each while
// it still exists; the handles die after that, children first.
void SendDestroy(WindowId id) {
  Window* window = LiveWindow(id);
  if (!window)
    return;
  window->destroying = true;
  CallWindowProc(*window, WM_DESTROY, 0, 0);
  window = LiveWindow(id);
  if (!window)
    return;
  const std::vector<WindowId> children = window->children;
  for (WindowId child : children)
    SendDestroy(child);
}

void Forget(WindowId id) {
  State& state = Core();
  Window* window = LiveWindow(id);
  if (!window)
    return;
  const std::vector<WindowId> children = window->children;
  for (WindowId child : children)
    Forget(child);
  window = LiveWindow(id);
  if (!window)
    return;
  if (state.capture == id)
    state.capture = 0;
  const bool topLevel = !window->IsChild();
  Unlink(*window);
  state.windows.erase(id);
  if (topLevel && state.presenter)
    state.presenter->TopLevelDestroyed(id);
}

// A window that takes no input lets go of the mouse, and a control of it that
// was held down comes back up without a click.
void DropCaptureWithin(Window& window) {
  State& state = Core();
  Window* held = LiveWindow(state.capture);
  for (Window* w = held; w; w = w->IsChild() ? LiveWindow(w->parent) : nullptr) {
    if (w == &window) {
      state.capture = 0;
      if (held->pressed) {
        held->pressed = false;
        InvalidateRect(HwndOf(held->id), nullptr, FALSE);
      }
      return;
    }
  }
}

void FillErase(HWND hwnd, HDC hdc, HBRUSH brush) {
  RECT client{};
  GetClientRect(hwnd, &client);
  FillRect(hdc, &client, brush);
}

}  // namespace

}  // namespace w32::core

using namespace w32;
using namespace w32::core;

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
  return lpModuleName ? nullptr : kModule;
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* lpWndClass) {
  if (!lpWndClass || !lpWndClass->lpfnWndProc || !lpWndClass->lpszClassName ||
      !*lpWndClass->lpszClassName)
    return 0;
  State& state = Core();
  const std::string key = Lower(lpWndClass->lpszClassName);
  if (state.classes.count(key))
    return 0;
  WindowClass cls;
  cls.name = lpWndClass->lpszClassName;
  cls.style = lpWndClass->style;
  cls.proc = lpWndClass->lpfnWndProc;
  cls.instance = lpWndClass->hInstance;
  cls.cursor = lpWndClass->hCursor;
  cls.background = lpWndClass->hbrBackground;
  state.classes[key] = cls;
  // Atoms of registered classes lie in 0xC000..0xFFFF.
  return static_cast<ATOM>(0xC000 + state.classes.size());
}

HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName) {
  return (!hInstance && lpCursorName == IDC_ARROW) ? kArrowCursor : nullptr;
}

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle,
                            int X, int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                            HINSTANCE hInstance, LPVOID lpParam) {
  State& state = Core();
  if (!lpClassName)
    return nullptr;
  auto cls = state.classes.find(Lower(lpClassName));
  if (cls == state.classes.end())
    return nullptr;
  const bool child = (dwStyle & WS_CHILD) != 0;
  if (child && !LiveWindow(hWndParent))
    return nullptr;
  if (!child && hWndParent && !LiveWindow(hWndParent))
    return nullptr;

  const WindowId id = state.nextWindow;
  state.nextWindow += 4;
  Window& window = state.windows[id];
  window.id = id;
  window.className = cls->second.name;
  window.proc = cls->second.proc;
  window.background = cls->second.background;
  window.text = lpWindowName ? lpWindowName : "";
  window.style = dwStyle;
  window.exStyle = dwExStyle;
  window.x = X == CW_USEDEFAULT ? 0 : X;
  window.y = X == CW_USEDEFAULT ? 0 : Y;
  window.width = std::max(0, nWidth == CW_USEDEFAULT ? 0 : nWidth);
  window.height = std::max(0, nWidth == CW_USEDEFAULT ? 0 : nHeight);
  window.instance = hInstance;
  PlaceClient(window);
  window.update.Resize(window.clientWidth, window.clientHeight);
  if (child) {
    window.parent = IdOf(hWndParent);
    window.menuId = static_cast<long>(reinterpret_cast<std::intptr_t>(hMenu));
    LiveWindow(hWndParent)->children.push_back(id);
  } else {
    window.owner = RootOwner(hWndParent);
    window.surface = std::make_unique<Surface>();
    window.surface->width = window.clientWidth;
    window.surface->height = window.clientHeight;
    window.surface->pixels.assign(
        static_cast<std::size_t>(window.clientWidth) * window.clientHeight, 0xFFFFFF);
    state.topLevels.push_back(id);
  }
  CREATESTRUCTA create{};
  create.lpCreateParams = lpParam;
  create.hInstance = hInstance;
  create.hMenu = hMenu;
  create.hwndParent = hWndParent;
  create.cy = nHeight;
  create.cx = nWidth;
  create.y = Y;
  create.x = X;
  create.style = static_cast<LONG>(dwStyle);
  create.lpszName = lpWindowName;
  create.lpszClass = lpClassName;
  create.dwExStyle = dwExStyle;
  HWND hwnd = HwndOf(id);
  if (CallWindowProc(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  Window* created = LiveWindow(id);
  if (!created)
    return nullptr;  // destroyed by its own WM_CREATE
  if (created->Visible())
    Show(*created);
  return hwnd;
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
  Window* window = LiveWindow(hWnd);
  if (!window || window->destroying)
    return FALSE;
  State& state = Core();
  const WindowId id = window->id;
  const bool child = window->IsChild();
  const WindowId parent = window->parent;
  const PixelRect outer{window->x, window->y, window->x + window->width,
                        window->y + window->height};
  const bool visible = window->Visible();
  // Owned windows (an open message box) go before their owner.
  const std::vector<WindowId> tops = state.topLevels;
  for (WindowId other : tops) {
    Window* owned = LiveWindow(other);
    if (owned && owned->owner == id)
      DestroyWindow(HwndOf(other));
  }
  SendDestroy(id);
  Forget(id);
  // What the child covered is the parent's to paint again.
  if (child && visible) {
    if (Window* parentWindow = LiveWindow(parent))
      Invalidate(*parentWindow, outer, true);
  }
  return TRUE;
}

BOOL WINAPI IsWindow(HWND hWnd) {
  return LiveWindow(hWnd) ? TRUE : FALSE;
}

BOOL WINAPI IsWindowEnabled(HWND hWnd) {
  Window* window = LiveWindow(hWnd);
  return window && window->Enabled() ? TRUE : FALSE;
}

BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) {
  Window* window = LiveWindow(hWnd);
  if (!window)
    return FALSE;
  const BOOL wasDisabled = window->Enabled() ? FALSE : TRUE;
  if ((bEnable != FALSE) == (wasDisabled == FALSE))
    return wasDisabled;
  if (bEnable)
    window->style &= ~WS_DISABLED;
  else
    window->style |= WS_DISABLED;
  State& state = Core();
  if (!bEnable)
    DropCaptureWithin(*window);
  const WindowId id = window->id;
  const bool topLevel = !window->IsChild();
  CallWindowProc(*window, WM_ENABLE, bEnable ? TRUE : FALSE, 0);
  if (topLevel && state.presenter && LiveWindow(id))
    state.presenter->TopLevelEnabled(id, bEnable != FALSE);
  return wasDisabled;
}

BOOL WINAPI GetClientRect(HWND hWnd, RECT* lpRect) {
  Window* window = LiveWindow(hWnd);
  if (!window || !lpRect)
    return FALSE;
  *lpRect = RECT{0, 0, window->clientWidth, window->clientHeight};
  return TRUE;
}

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  (void)lParam;
  Window* window = LiveWindow(hWnd);
  if (!window)
    return 0;
  switch (Msg) {
    case WM_CLOSE:
      DestroyWindow(hWnd);
      return 0;
    case WM_ERASEBKGND: {
      // The class brush fills what the erase asks for; without one the
      // window is left to erase by itself.
      HBRUSH brush = window->background;
      if (!brush)
        return 0;
      FillErase(hWnd, reinterpret_cast<HDC>(wParam), brush);
      return 1;
    }
    case WM_PAINT: {
      // Whatever is still waiting to be painted counts as painted.
      PAINTSTRUCT ps;
      if (BeginPaint(hWnd, &ps))
        EndPaint(hWnd, &ps);
      return 0;
    }
    default:
      return 0;
  }
}

namespace w32 {

std::optional<WindowDescription> DescribeWindow(WindowId id) {
  const Window* window = core::LiveWindow(id);
  if (!window)
    return std::nullopt;
  WindowDescription d;
  d.className = window->className;
  d.text = window->text;
  d.style = window->style;
  d.exStyle = window->exStyle;
  d.x = window->x;
  d.y = window->y;
  d.width = window->width;
  d.height = window->height;
  d.clientWidth = window->clientWidth;
  d.clientHeight = window->clientHeight;
  d.id = window->menuId;
  d.checked = window->checked;
  d.enabled = window->Enabled();
  d.parent = window->parent;
  d.owner = window->owner;
  return d;
}

std::vector<WindowId> ChildWindows(WindowId id) {
  const Window* window = core::LiveWindow(id);
  return window ? window->children : std::vector<WindowId>{};
}

const Surface* SurfaceOf(WindowId id) {
  const Window* window = core::LiveWindow(id);
  return window ? window->surface.get() : nullptr;
}

}  // namespace w32
