// MessageBoxA: a top-level window of its own with an icon, the text and an OK
// button, and the modal loop that runs while it is open.

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "canvas.h"
#include "codec/text.h"
#include "controls.h"
#include "input.h"
#include "state.h"

namespace w32::core {
namespace {

constexpr int kMargin = 20;
constexpr int kIconSize = 32;
constexpr int kIconGap = 12;
constexpr int kMaxTextWidth = 400;
constexpr int kMinClientWidth = 180;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 26;
constexpr int kStripHeight = 44;  // the grey band that holds the button
// Where a box without an owner is centred.
constexpr int kScreenWidth = 1024, kScreenHeight = 768;
// The frame that every captioned top-level window gets (see window.cpp).
constexpr int kFrameWidth = 8, kFrameHeight = 27;

// What MessageBoxA hands to the box window it creates. Only the box that
// MessageBoxA is creating takes it, so a window of this class made some
// other way cannot pass it anything else.
struct MessageBoxParams {
  const char* text = "";
  unsigned flags = 0;
};
const MessageBoxParams* boxBeingCreated = nullptr;

struct BoxLayout {
  std::vector<std::string> lines;
  bool icon = false;
  int iconX = 0, iconY = 0;
  int textX = 0, textY = 0;
  int clientWidth = 0, clientHeight = 0;
  int stripTop = 0;
  int buttonX = 0, buttonY = 0;
};

// Splits at line ends ("\n", "\r\n") and breaks lines that are too wide at
// spaces, or anywhere when a word alone is too wide.
std::vector<std::string> BreakLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string paragraph;
  auto flush = [&lines](const std::string& para) {
    std::string line;
    std::size_t i = 0;
    while (i < para.size()) {
      std::size_t end = para.find(' ', i);
      const std::string word =
          para.substr(i, end == std::string::npos ? std::string::npos : end - i);
      const std::string candidate = line.empty() ? word : line + " " + word;
      if (!line.empty() && codec::TextWidth(candidate) > kMaxTextWidth) {
        lines.push_back(line);
        line = word;
      } else {
        line = candidate;
      }
      while (line.size() > 1 && codec::TextWidth(line) > kMaxTextWidth) {
        std::size_t fit = line.size() - 1;
        while (fit > 1 && codec::TextWidth(line.substr(0, fit)) > kMaxTextWidth)
          --fit;
        lines.push_back(line.substr(0, fit));
        line = line.substr(fit);
      }
      if (end == std::string::npos)
        break;
      i = end + 1;
    }
    lines.push_back(line);
  };
  for (char c : text) {
    if (c == '\r')
      continue;
    if (c == '\n') {
      flush(paragraph);
      paragraph.clear();
    } else {
      paragraph += c;
    }
  }
  flush(paragraph);
  return lines;
}

BoxLayout LayOut(const std::string& text, unsigned flags) {
  BoxLayout layout;
  layout.lines = BreakLines(text);
  layout.icon = (flags & MB_ICONMASK) != 0;
  int textWidth = 0;
  for (const std::string& line : layout.lines)
    textWidth = std::max(textWidth, codec::TextWidth(line));
  const int lineHeight = std::max(1, codec::TextHeight());
  const int textHeight = lineHeight * static_cast<int>(layout.lines.size());
  const int contentHeight = std::max(layout.icon ? kIconSize : 0, textHeight);
  layout.iconX = kMargin;
  layout.iconY = kMargin + (contentHeight - kIconSize) / 2;
  layout.textX = layout.icon ? kMargin + kIconSize + kIconGap : kMargin;
  layout.textY = kMargin + (contentHeight - textHeight) / 2;
  layout.clientWidth = std::max(kMinClientWidth, layout.textX + textWidth + kMargin);
  layout.stripTop = kMargin + contentHeight + kMargin;
  layout.clientHeight = layout.stripTop + kStripHeight;
  layout.buttonX = layout.clientWidth - 12 - kButtonWidth;
  layout.buttonY = layout.stripTop + (kStripHeight - kButtonHeight) / 2;
  return layout;
}

bool InCircle(int i, int j, double radius) {
  const double c = (kIconSize - 1) / 2.0;
  return std::hypot(i - c, j - c) <= radius;
}

// The four icons, drawn into a 32 by 32 square: a red disc with a white
// cross (error), a yellow triangle with a black "!" (warning), a blue disc
// with a white "i" (information) or "?" (question).
void PaintIcon(Canvas& canvas, int x, int y, unsigned icon) {
  for (int j = 0; j < kIconSize; ++j) {
    for (int i = 0; i < kIconSize; ++i) {
      std::optional<std::uint32_t> color;
      if (icon == MB_ICONEXCLAMATION) {
        const int halfWidth = (j - 2) * 15 / 28;
        if (j >= 2 && j <= 30 && std::abs(2 * i - 31) <= 2 * halfWidth + 1) {
          color = 0xF5C211;
          const bool bar = i >= 15 && i <= 16 && j >= 10 && j <= 21;
          const bool dot = i >= 15 && i <= 16 && j >= 24 && j <= 26;
          if (bar || dot)
            color = 0x000000;
        }
      } else if (InCircle(i, j, 15.5)) {
        const bool error = icon == MB_ICONHAND;
        color = error ? 0xD32F2F : 0x1E63C8;
        bool mark = false;
        if (error) {
          const int dx = i - 15, dy = j - 15;
          mark = InCircle(i, j, 9) && (std::abs(dx - dy) <= 1 || std::abs(dx + dy + 1) <= 1);
        } else if (icon == MB_ICONASTERISK) {
          mark = (i >= 14 && i <= 17 && j >= 7 && j <= 10) ||
                 (i >= 14 && i <= 17 && j >= 13 && j <= 25);
        }
        if (mark)
          color = 0xFFFFFF;
      }
      if (color)
        canvas.Put(x + i, y + j, *color);
    }
  }
  if (icon == MB_ICONQUESTION) {
    const int w = codec::TextWidth("?");
    canvas.Text(x + (kIconSize - w) / 2, y + (kIconSize - codec::TextHeight()) / 2, "?", 0xFFFFFF,
                {x, y, x + kIconSize, y + kIconSize});
  }
}

void PaintBox(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC hdc = BeginPaint(hwnd, &ps);
  Window* box = LiveWindow(hwnd);
  std::optional<Canvas> canvas = Canvas::OfDc(hdc);
  if (box && canvas) {
    const BoxLayout layout = LayOut(box->boxText, box->boxFlags);
    const PixelRect client{0, 0, box->clientWidth, box->clientHeight};
    canvas->Fill({0, 0, client.right, layout.stripTop}, SysColor(COLOR_WINDOW));
    canvas->Fill({0, layout.stripTop, client.right, client.bottom}, SysColor(COLOR_BTNFACE));
    if (layout.icon)
      PaintIcon(*canvas, layout.iconX, layout.iconY, box->boxFlags & MB_ICONMASK);
    int y = layout.textY;
    for (const std::string& line : layout.lines) {
      canvas->Text(layout.textX, y, line, SysColor(COLOR_WINDOWTEXT), client);
      y += codec::TextHeight();
    }
  }
  EndPaint(hwnd, &ps);
}

void Answer(HWND hwnd) {
  if (Window* box = LiveWindow(hwnd)) {
    if (!box->boxResult)
      box->boxResult = IDOK;
  }
}

}  // namespace

LRESULT CALLBACK MessageBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: {
      Window* box = LiveWindow(hwnd);
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      if (!boxBeingCreated || create->lpCreateParams != boxBeingCreated)
        return -1;
      box->kind = TopLevelKind::kMessageBox;
      box->boxText = boxBeingCreated->text;
      box->boxFlags = boxBeingCreated->flags;
      const BoxLayout layout = LayOut(box->boxText, box->boxFlags);
      CreateWindowExA(0, kButtonClass, "OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                      layout.buttonX, layout.buttonY, kButtonWidth, kButtonHeight, hwnd,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)),
                      GetModuleHandleA(nullptr), nullptr);
      return 0;
    }
    case WM_PAINT:
      PaintBox(hwnd);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
        Answer(hwnd);
      return 0;
    case WM_KEYDOWN:
      // Enter takes the default button, Space the focused one (also OK), and
      // Escape cancels, which a box with only OK answers with OK.
      if (wParam == VK_RETURN || wParam == VK_SPACE || wParam == VK_ESCAPE)
        Answer(hwnd);
      return 0;
    case WM_CLOSE:
      Answer(hwnd);
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

}  // namespace w32::core

using namespace w32;
using namespace w32::core;

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  WindowId owner = 0;
  if (hWnd) {
    Window* window = LiveWindow(hWnd);
    if (!window)
      return 0;
    owner = TopLevelOf(*window).id;
  }
  const std::string text = lpText ? lpText : "";
  const BoxLayout layout = LayOut(text, uType);
  const int outerWidth = layout.clientWidth + kFrameWidth;
  const int outerHeight = layout.clientHeight + kFrameHeight;
  int centreX = kScreenWidth / 2, centreY = kScreenHeight / 2;
  if (Window* ownerWindow = LiveWindow(owner)) {
    centreX = ownerWindow->x + ownerWindow->width / 2;
    centreY = ownerWindow->y + ownerWindow->height / 2;
  }

  // The owner takes no input while the box is open.
  bool disabledOwner = false;
  if (Window* ownerWindow = LiveWindow(owner)) {
    if (ownerWindow->Enabled()) {
      EnableWindow(HwndOf(owner), FALSE);
      disabledOwner = true;
    }
  }
  MessageBoxParams params{text.c_str(), uType};
  boxBeingCreated = &params;
  HWND box =
      CreateWindowExA(0, kMessageBoxClass, lpCaption ? lpCaption : "Error",
                      WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, centreX - outerWidth / 2,
                      centreY - outerHeight / 2, outerWidth, outerHeight,
                      owner ? HwndOf(owner) : nullptr, nullptr, GetModuleHandleA(nullptr), &params);

  // Every message of the thread is still dispatched, the owner's paints
  // among them, until the box is answered or goes away with its owner.
  int result = 0;
  while (box) {
    Window* open = LiveWindow(box);
    if (!open)
      break;
    if (open->boxResult) {
      result = open->boxResult;
      break;
    }
    MSG msg;
    const int got = WaitMessage(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop outside
      break;
    }
    if (got < 0)
      break;
    DispatchMessageA(&msg);
  }
  if (disabledOwner && LiveWindow(owner))
    EnableWindow(HwndOf(owner), TRUE);
  if (box && LiveWindow(box))
    DestroyWindow(box);
  return result;
}
