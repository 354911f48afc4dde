// The "button" class: group boxes, auto radio buttons and push buttons.

#include <cmath>

#include "canvas.h"
#include "codec/text.h"
#include "controls.h"
#include "input.h"
#include "state.h"

namespace w32::core {
namespace {

constexpr int kRadioSize = 13;  // the circle's diameter
constexpr int kRadioTextGap = 4;

DWORD TypeOf(const Window& window) {
  return window.style & BS_TYPEMASK;
}

bool IsRadio(const Window& window) {
  return Lower(window.className) == kButtonClass && TypeOf(window) == BS_AUTORADIOBUTTON;
}

// A control that is itself disabled shows grey text; one whose parent is
// disabled looks as before.
std::uint32_t TextColor(const Window& window) {
  return window.Enabled() ? SysColor(COLOR_BTNTEXT) : SysColor(COLOR_GRAYTEXT);
}

void FrameRect(Canvas& canvas, const PixelRect& r, std::uint32_t topLeft,
               std::uint32_t bottomRight) {
  canvas.Fill({r.left, r.top, r.right, r.top + 1}, topLeft);
  canvas.Fill({r.left, r.top, r.left + 1, r.bottom}, topLeft);
  canvas.Fill({r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
  canvas.Fill({r.right - 1, r.top, r.right, r.bottom}, bottomRight);
}

void PaintGroupBox(Canvas& canvas, const Window& window) {
  // A frame with its text set into the top edge; the inside is not painted,
  // so what the parent drew there stays.
  const int textHeight = codec::TextHeight();
  const int w = window.clientWidth, h = window.clientHeight;
  const PixelRect frame{0, textHeight / 2, w, h};
  FrameRect(canvas, frame, SysColor(COLOR_BTNSHADOW), SysColor(COLOR_BTNSHADOW));
  FrameRect(canvas, {frame.left + 1, frame.top + 1, frame.right, frame.bottom},
            SysColor(COLOR_BTNHIGHLIGHT), SysColor(COLOR_BTNHIGHLIGHT));
  FrameRect(canvas, {frame.left, frame.top, frame.right - 1, frame.bottom - 1},
            SysColor(COLOR_BTNSHADOW), SysColor(COLOR_BTNSHADOW));
  if (window.text.empty())
    return;
  const int textX = 9;
  const int textWidth = codec::TextWidth(window.text);
  const PixelRect client{0, 0, w, h};
  canvas.Fill(Intersect({textX - 2, 0, textX + textWidth + 2, textHeight}, client),
              SysColor(COLOR_BTNFACE));
  canvas.Text(textX, 0, window.text, TextColor(window), client);
}

void PaintRadio(Canvas& canvas, const Window& window) {
  const int w = window.clientWidth, h = window.clientHeight;
  const PixelRect client{0, 0, w, h};
  canvas.Fill(client, SysColor(COLOR_BTNFACE));
  const int top = (h - kRadioSize) / 2;
  const double centre = (kRadioSize - 1) / 2.0;
  for (int j = 0; j < kRadioSize; ++j) {
    for (int i = 0; i < kRadioSize; ++i) {
      const double d = std::hypot(i - centre, j - centre);
      if (d > centre + 0.5)
        continue;
      std::uint32_t color = window.pressed ? SysColor(COLOR_BTNFACE) : SysColor(COLOR_WINDOW);
      if (d > centre - 0.6)
        color = 0x333333;  // the ring
      else if (window.checked && d <= 2.6)
        color = SysColor(COLOR_WINDOWTEXT);  // the check mark: a dot
      canvas.Put(i, top + j, color);
    }
  }
  const int textY = (h - codec::TextHeight()) / 2;
  canvas.Text(kRadioSize + kRadioTextGap, textY, window.text, TextColor(window), client);
}

void PaintPushButton(Canvas& canvas, const Window& window) {
  const int w = window.clientWidth, h = window.clientHeight;
  PixelRect r{0, 0, w, h};
  canvas.Fill(r, SysColor(COLOR_BTNFACE));
  if (TypeOf(window) == BS_DEFPUSHBUTTON) {
    FrameRect(canvas, r, SysColor(COLOR_WINDOWTEXT), SysColor(COLOR_WINDOWTEXT));
    r = {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
  }
  if (window.pressed) {
    FrameRect(canvas, r, SysColor(COLOR_3DDKSHADOW), SysColor(COLOR_3DDKSHADOW));
    FrameRect(canvas, {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, SysColor(COLOR_BTNSHADOW),
              SysColor(COLOR_BTNSHADOW));
  } else {
    FrameRect(canvas, r, SysColor(COLOR_BTNHIGHLIGHT), SysColor(COLOR_3DDKSHADOW));
    FrameRect(canvas, {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, SysColor(COLOR_3DLIGHT),
              SysColor(COLOR_BTNSHADOW));
  }
  const int shift = window.pressed ? 1 : 0;
  const int textX = (w - codec::TextWidth(window.text)) / 2 + shift;
  const int textY = (h - codec::TextHeight()) / 2 + shift;
  canvas.Text(textX, textY, window.text, TextColor(window),
              {r.left + 2, r.top + 2, r.right - 2, r.bottom - 2});
}

void Paint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC hdc = BeginPaint(hwnd, &ps);
  Window* window = LiveWindow(hwnd);
  std::optional<Canvas> canvas = Canvas::OfDc(hdc);
  if (window && canvas) {
    switch (TypeOf(*window)) {
      case BS_GROUPBOX:
        PaintGroupBox(*canvas, *window);
        break;
      case BS_AUTORADIOBUTTON:
        PaintRadio(*canvas, *window);
        break;
      default:
        PaintPushButton(*canvas, *window);
        break;
    }
  }
  EndPaint(hwnd, &ps);
}

void Redraw(Window& window) {
  InvalidateRect(HwndOf(window.id), nullptr, FALSE);
}

void SetCheck(Window& window, bool checked) {
  if (window.checked == checked)
    return;
  window.checked = checked;
  Redraw(window);
}

// The radio group of `button`: from the nearest sibling at or before it that
// has WS_GROUP (or the first sibling) up to the next sibling with WS_GROUP,
// in creation order. Every other radio button there loses its check mark.
void CheckInGroup(Window& button) {
  Window* parent = LiveWindow(button.parent);
  if (!parent) {
    SetCheck(button, true);
    return;
  }
  const std::vector<WindowId>& siblings = parent->children;
  std::size_t at = 0;
  while (at < siblings.size() && siblings[at] != button.id)
    ++at;
  std::size_t first = at;
  while (first > 0 && !(LiveWindow(siblings[first])->style & WS_GROUP))
    --first;
  std::size_t last = at + 1;
  while (last < siblings.size() && !(LiveWindow(siblings[last])->style & WS_GROUP))
    ++last;
  for (std::size_t i = first; i < last; ++i) {
    Window* sibling = LiveWindow(siblings[i]);
    if (sibling != &button && IsRadio(*sibling))
      SetCheck(*sibling, false);
  }
  SetCheck(button, true);
}

// A click: an auto radio button checks itself first, then the parent hears
// of it through WM_COMMAND with BN_CLICKED, sent at once.
void Click(HWND hwnd) {
  Window* button = LiveWindow(hwnd);
  if (!button)
    return;
  if (TypeOf(*button) == BS_AUTORADIOBUTTON)
    CheckInGroup(*button);
  const WindowId parent = button->parent;
  const WPARAM command = MAKEWPARAM(button->menuId, BN_CLICKED);
  if (parent)
    SendMessageA(HwndOf(parent), WM_COMMAND, command, reinterpret_cast<LPARAM>(hwnd));
}

void Press(Window& button, bool pressed) {
  if (button.pressed == pressed)
    return;
  button.pressed = pressed;
  Redraw(button);
}

}  // namespace

bool IsTransparentToMouse(const Window& window) {
  return Lower(window.className) == kButtonClass && TypeOf(window) == BS_GROUPBOX;
}

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* button = LiveWindow(hwnd);
  if (!button)
    return 0;
  switch (msg) {
    case WM_PAINT:
      Paint(hwnd);
      return 0;
    case WM_LBUTTONDOWN:
      // The button holds the mouse until the release, wherever that happens.
      Core().capture = button->id;
      Press(*button, true);
      return 0;
    case WM_LBUTTONUP: {
      const bool held = Core().capture == button->id;
      if (held)
        Core().capture = 0;
      const bool wasPressed = button->pressed;
      Press(*button, false);
      const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
      const bool inside = x >= 0 && y >= 0 && x < button->clientWidth && y < button->clientHeight;
      if (held && wasPressed && inside)
        Click(hwnd);
      return 0;
    }
    case WM_ENABLE:
      Redraw(*button);
      return 0;
    case BM_GETCHECK:
      return button->checked ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
      SetCheck(*button, wParam == BST_CHECKED);
      return 0;
    case BM_GETSTATE:
      return (button->checked ? BST_CHECKED : BST_UNCHECKED) | (button->pressed ? BST_PUSHED : 0);
    case BM_CLICK:
      Click(hwnd);
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

}  // namespace w32::core
