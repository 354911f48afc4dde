#include <algorithm>
#include <utility>

#include "canvas.h"
#include "paint.h"
#include "win32_subset.h"

namespace w32::core {

void Invalidate(Window& window, const PixelRect& area, bool erase) {
  const PixelRect inClient = Intersect(area, {0, 0, window.clientWidth, window.clientHeight});
  if (IsEmpty(inClient))
    return;
  window.update.Add(inClient);
  window.erasePending = window.erasePending || erase;
  if (window.style & WS_CLIPCHILDREN)
    return;
  // Copied because a child's own invalidation never changes this list, but
  // the lookups below must not hold iterators across it either.
  const std::vector<WindowId> children = window.children;
  for (WindowId childId : children) {
    Window* child = LiveWindow(childId);
    if (!child || !child->Visible())
      continue;
    const int dx = child->x + child->clientLeft, dy = child->y + child->clientTop;
    Invalidate(*child, Offset(inClient, -dx, -dy), erase);
  }
}

void InvalidateAll(Window& window, bool erase) {
  Invalidate(window, {0, 0, window.clientWidth, window.clientHeight}, erase);
}

namespace {

WindowId FirstToPaint(const Window& window) {
  if (!window.Visible())
    return 0;
  if (window.update.any)
    return window.id;
  for (WindowId childId : window.children) {
    if (const Window* child = LiveWindow(childId)) {
      if (WindowId found = FirstToPaint(*child))
        return found;
    }
  }
  return 0;
}

}  // namespace

WindowId NextWindowToPaint() {
  for (WindowId id : Core().topLevels) {
    if (const Window* top = LiveWindow(id)) {
      if (WindowId found = FirstToPaint(*top))
        return found;
    }
  }
  return 0;
}

}  // namespace w32::core

using namespace w32;
using namespace w32::core;

BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase) {
  if (!hWnd) {
    // A null window stands for every window.
    for (WindowId id : Core().topLevels) {
      if (Window* top = LiveWindow(id))
        InvalidateAll(*top, bErase != FALSE);
    }
    return TRUE;
  }
  Window* window = LiveWindow(hWnd);
  if (!window)
    return FALSE;
  if (lpRect)
    Invalidate(*window, RectOf(*lpRect), bErase != FALSE);
  else
    InvalidateAll(*window, bErase != FALSE);
  return TRUE;
}

BOOL WINAPI UpdateWindow(HWND hWnd) {
  Window* window = LiveWindow(hWnd);
  if (!window)
    return FALSE;
  if (window->update.any && window->Visible())
    SendMessageA(hWnd, WM_PAINT, 0, 0);
  return TRUE;
}

HDC WINAPI BeginPaint(HWND hWnd, PAINTSTRUCT* lpPaint) {
  Window* window = LiveWindow(hWnd);
  if (!window || !lpPaint)
    return nullptr;
  State& state = Core();
  const std::uintptr_t handle = state.nextGdi++;
  DeviceContext& dc = state.dcs[handle];
  dc.window = window->id;
  // The DC takes the update area over, and the window starts a new, empty one.
  dc.paintArea = std::move(window->update);
  window->update = UpdateArea{};
  window->update.Resize(dc.paintArea.width, dc.paintArea.height);
  if (window->style & WS_CLIPCHILDREN) {
    for (WindowId childId : window->children) {
      const Window* child = LiveWindow(childId);
      if (child && child->Visible())
        dc.paintArea.Remove(
            {child->x, child->y, child->x + child->width, child->y + child->height});
    }
  }
  const bool erase = window->erasePending;
  window->erasePending = false;

  HDC hdc = reinterpret_cast<HDC>(handle);
  *lpPaint = PAINTSTRUCT{};
  lpPaint->hdc = hdc;
  const PixelRect bounds = dc.paintArea.Bounds();
  lpPaint->rcPaint = RECT{bounds.left, bounds.top, bounds.right, bounds.bottom};
  if (erase) {
    // fErase tells the window to erase by itself when WM_ERASEBKGND did not.
    const LRESULT erased = SendMessageA(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0);
    lpPaint->fErase = erased ? FALSE : TRUE;
  }
  return hdc;
}

BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT* lpPaint) {
  if (!lpPaint)
    return FALSE;
  return Core().dcs.erase(reinterpret_cast<std::uintptr_t>(lpPaint->hdc)) ? TRUE : FALSE;
}
