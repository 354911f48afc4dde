// The thread's message queue, message retrieval and dispatch, and the input
// that a presenter hands over.

#include "canvas.h"
#include "input.h"
#include "paint.h"
#include "state.h"
#include "win32_subset.h"

namespace w32::core {
namespace {

bool Matches(const MSG& msg, HWND filter, UINT low, UINT high) {
  if (filter && msg.hwnd != filter)
    return false;
  if (low == 0 && high == 0)
    return true;
  return msg.message >= low && msg.message <= high;
}

// Posted messages first, then the quit message, then paint messages: the
// platform's order of retrieval for what this layer produces.
bool TakeQueued(MSG* msg, HWND filter, UINT low, UINT high, bool remove) {
  State& state = Core();
  for (auto it = state.queue.begin(); it != state.queue.end(); ++it) {
    if (Matches(*it, filter, low, high)) {
      *msg = *it;
      if (remove)
        state.queue.erase(it);
      return true;
    }
  }
  if (state.quitPosted && !filter) {
    *msg = MSG{};
    msg->message = WM_QUIT;
    msg->wParam = static_cast<WPARAM>(state.quitCode);
    if (remove)
      state.quitPosted = false;
    return true;
  }
  const WindowId paint = NextWindowToPaint();
  if (paint) {
    MSG candidate{};
    candidate.hwnd = HwndOf(paint);
    candidate.message = WM_PAINT;
    if (Matches(candidate, filter, low, high)) {
      *msg = candidate;  // stays until the window is painted
      return true;
    }
  }
  return false;
}

}  // namespace

// Finds the window that takes a mouse event at (x, y) in the client area of
// `window`: the top-most visible, enabled child there, looking through group
// boxes, which let the mouse pass to what lies under them. Children created
// earlier lie above later ones. Fills (x, y) with the point in the found
// window's client coordinates.
Window* HitTest(Window& window, int* x, int* y) {
  for (WindowId childId : window.children) {
    Window* child = LiveWindow(childId);
    if (!child || !child->Visible())
      continue;
    const int cx = *x - child->x - child->clientLeft, cy = *y - child->y - child->clientTop;
    if (cx < 0 || cy < 0 || cx >= child->clientWidth || cy >= child->clientHeight)
      continue;
    if (IsTransparentToMouse(*child))
      continue;
    if (!child->Enabled())
      return &window;  // a disabled control's clicks reach nobody below it
    *x = cx;
    *y = cy;
    return HitTest(*child, x, y);
  }
  return &window;
}

bool AcceptsInput(const Window& window) {
  const Window* w = &window;
  while (w) {
    if (!w->Enabled())
      return false;
    if (!w->IsChild())
      return true;
    w = LiveWindow(w->parent);
  }
  return false;
}

namespace {

void Post(Window& window, UINT msg, WPARAM wParam, LPARAM lParam) {
  PostMessageA(HwndOf(window.id), msg, wParam, lParam);
}

void Mouse(const InputEvent& event, UINT msg) {
  State& state = Core();
  Window* top = LiveWindow(event.window);
  if (!top || top->IsChild())
    return;
  Window* target = nullptr;
  int x = event.x, y = event.y;
  if (Window* captured = LiveWindow(state.capture)) {
    // The window that holds the mouse gets it wherever it is.
    if (&TopLevelOf(*captured) != top)
      return;
    int ox = 0, oy = 0;
    ClientOriginOnSurface(*captured, &ox, &oy);
    x -= ox;
    y -= oy;
    target = captured;
  } else {
    target = HitTest(*top, &x, &y);
  }
  if (!AcceptsInput(*target))
    return;
  Post(*target, msg, msg == WM_LBUTTONDOWN ? 0x0001 : 0, MAKELPARAM(x, y));
}

// The window that takes keys: the last top-level window created that takes
// input (an open message box rather than the window it disables).
Window* ActiveWindow() {
  const std::vector<WindowId>& tops = Core().topLevels;
  for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
    Window* top = LiveWindow(*it);
    if (top && top->Visible() && top->Enabled())
      return top;
  }
  return nullptr;
}

void Resize(Window& top, int width, int height) {
  if (width < 0 || height < 0)
    return;
  const int oldWidth = top.clientWidth, oldHeight = top.clientHeight;
  Surface resized;
  resized.width = width;
  resized.height = height;
  resized.pixels.assign(static_cast<std::size_t>(width) * height, 0xFFFFFF);
  for (int y = 0; y < std::min(height, oldHeight); ++y) {
    for (int x = 0; x < std::min(width, oldWidth); ++x)
      resized.pixels[static_cast<std::size_t>(y) * width + x] =
          top.surface->pixels[static_cast<std::size_t>(y) * oldWidth + x];
  }
  *top.surface = std::move(resized);
  top.width += width - oldWidth;
  top.height += height - oldHeight;
  top.clientWidth = width;
  top.clientHeight = height;
  top.update.Resize(width, height);
  // Without CS_HREDRAW or CS_VREDRAW only what the window gained is new.
  Invalidate(top, {oldWidth, 0, width, height}, true);
  Invalidate(top, {0, oldHeight, width, height}, true);
  Post(top, WM_SIZE, 0, MAKELPARAM(width, height));
  MarkDirty(top, {0, 0, width, height});
}

}  // namespace

void DeliverInput(const InputEvent& event) {
  switch (event.kind) {
    case InputEvent::Kind::kMouseDown:
      Mouse(event, WM_LBUTTONDOWN);
      break;
    case InputEvent::Kind::kMouseUp:
      Mouse(event, WM_LBUTTONUP);
      break;
    case InputEvent::Kind::kKeyDown: {
      Window* target = LiveWindow(event.window);
      if (!target || !AcceptsInput(*target))
        target = ActiveWindow();
      if (target)
        Post(*target, WM_KEYDOWN, static_cast<WPARAM>(event.key), 1);
      break;
    }
    case InputEvent::Kind::kClose: {
      // A window that a message box disables cannot be closed by the user.
      Window* target = LiveWindow(event.window);
      if (target && !target->IsChild() && target->Enabled())
        Post(*target, WM_CLOSE, 0, 0);
      break;
    }
    case InputEvent::Kind::kExpose: {
      Window* target = LiveWindow(event.window);
      if (target && !target->IsChild())
        Invalidate(*target, event.area, true);
      break;
    }
    case InputEvent::Kind::kResize: {
      Window* target = LiveWindow(event.window);
      if (target && !target->IsChild())
        Resize(*target, event.x, event.y);
      break;
    }
    case InputEvent::Kind::kWake:
      break;
  }
}

// One message for GetMessageA or a modal loop: 1, 0 for WM_QUIT, or -1 when
// the queue is empty and there is no presenter to wait for.
int WaitMessage(MSG* msg, HWND filter, UINT low, UINT high) {
  State& state = Core();
  for (;;) {
    if (TakeQueued(msg, filter, low, high, true))
      return msg->message == WM_QUIT ? 0 : 1;
    FlushSurfaces();
    if (!state.presenter) {
      // A loop that dispatches whatever came back finds nothing to do.
      *msg = MSG{};
      return -1;
    }
    DeliverInput(state.presenter->WaitEvent());
  }
}

}  // namespace w32::core

using namespace w32;
using namespace w32::core;

void w32::SetPresenter(Presenter* presenter) {
  Core().presenter = presenter;
}

BOOL WINAPI GetMessageA(MSG* lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
  if (!lpMsg)
    return -1;
  return WaitMessage(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax);
}

BOOL WINAPI PeekMessageA(MSG* lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax,
                         UINT wRemoveMsg) {
  if (!lpMsg)
    return FALSE;
  return TakeQueued(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, (wRemoveMsg & PM_REMOVE) != 0)
             ? TRUE
             : FALSE;
}

BOOL WINAPI TranslateMessage(const MSG*) {
  return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* lpMsg) {
  if (!lpMsg)
    return 0;
  Window* window = LiveWindow(lpMsg->hwnd);
  if (!window)
    return 0;
  return CallWindowProc(*window, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (hWnd && !LiveWindow(hWnd))
    return FALSE;
  MSG msg{};
  msg.hwnd = hWnd;
  msg.message = Msg;
  msg.wParam = wParam;
  msg.lParam = lParam;
  Core().queue.push_back(msg);
  return TRUE;
}

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  Window* window = LiveWindow(hWnd);
  if (!window)
    return 0;
  return CallWindowProc(*window, Msg, wParam, lParam);
}

void WINAPI PostQuitMessage(int nExitCode) {
  State& state = Core();
  state.quitPosted = true;
  state.quitCode = nExitCode;
}
