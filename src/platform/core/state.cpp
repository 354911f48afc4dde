#include "state.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "canvas.h"
#include "controls.h"

namespace w32::core {

void UpdateArea::Resize(int w, int h) {
  UpdateArea resized;
  resized.width = w;
  resized.height = h;
  resized.pixels.assign(static_cast<std::size_t>(w) * h, 0);
  const int keptWidth = std::min(w, width);
  for (int y = 0; y < std::min(h, height); ++y) {
    const auto from = pixels.begin() + static_cast<std::ptrdiff_t>(y) * width;
    std::copy(from, from + keptWidth, resized.pixels.begin() + static_cast<std::ptrdiff_t>(y) * w);
  }
  resized.any = any && !resized.pixels.empty() &&
                std::memchr(resized.pixels.data(), 1, resized.pixels.size()) != nullptr;
  *this = std::move(resized);
}

void UpdateArea::Add(const PixelRect& area) {
  const PixelRect r = Intersect(area, {0, 0, width, height});
  for (int y = r.top; y < r.bottom; ++y) {
    std::fill_n(pixels.begin() + static_cast<std::ptrdiff_t>(y) * width + r.left, r.right - r.left,
                std::uint8_t{1});
    any = true;
  }
}

void UpdateArea::Remove(const PixelRect& area) {
  const PixelRect r = Intersect(area, {0, 0, width, height});
  for (int y = r.top; y < r.bottom; ++y) {
    std::fill_n(pixels.begin() + static_cast<std::ptrdiff_t>(y) * width + r.left, r.right - r.left,
                std::uint8_t{0});
  }
}

PixelRect UpdateArea::Bounds() const {
  PixelRect bounds;
  if (!any)
    return bounds;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = pixels.data() + static_cast<std::size_t>(y) * width;
    const void* first = std::memchr(row, 1, static_cast<std::size_t>(width));
    if (!first)
      continue;
    int right = width;
    while (row[right - 1] == 0)
      --right;
    const int left = static_cast<int>(static_cast<const std::uint8_t*>(first) - row);
    bounds = Union(bounds, {left, y, right, y + 1});
  }
  return bounds;
}

int UpdateArea::RunEnd(int y, int x, int limit, bool value) const {
  // Flags are 0 or 1: the first flag that is not `value` is the first that
  // equals the other one.
  if (x >= limit)
    return limit;
  const std::uint8_t* row = pixels.data() + static_cast<std::size_t>(y) * width;
  const void* found = std::memchr(row + x, value ? 0 : 1, static_cast<std::size_t>(limit - x));
  return found ? static_cast<int>(static_cast<const std::uint8_t*>(found) - row) : limit;
}

namespace {

void RegisterSystemClass(State& state, const char* name, WNDPROC proc, HBRUSH background) {
  WindowClass cls;
  cls.name = name;
  cls.proc = proc;
  cls.background = background;
  state.classes[Lower(name)] = cls;
}

}  // namespace

State::State() {
  // A memory DC starts with a 1 by 1 black bitmap, as on the platform, so a
  // copy from a DC without a picture of its own copies one black pixel.
  stockBitmap = nextGdi++;
  GdiObject stock;
  stock.kind = GdiObject::Kind::kBitmap;
  stock.bitmap.width = 1;
  stock.bitmap.height = 1;
  stock.bitmap.pixels = {0};
  stock.stock = true;
  objects[stockBitmap] = std::move(stock);
  RegisterSystemClass(*this, kButtonClass, ButtonProc, nullptr);
  RegisterSystemClass(*this, kMessageBoxClass, MessageBoxProc, nullptr);
}

State& Core() {
  static State* const state = new State();
  return *state;
}

Window* LiveWindow(WindowId id) {
  State& state = Core();
  auto it = state.windows.find(id);
  return it == state.windows.end() ? nullptr : &it->second;
}

Window* LiveWindow(HWND hwnd) {
  return LiveWindow(IdOf(hwnd));
}

Window& TopLevelOf(Window& window) {
  Window* w = &window;
  while (w->IsChild()) {
    Window* parent = LiveWindow(w->parent);
    if (!parent)
      break;
    w = parent;
  }
  return *w;
}

void ClientOriginOnSurface(const Window& window, int* x, int* y) {
  *x = 0;
  *y = 0;
  const Window* w = &window;
  while (w->IsChild()) {
    *x += w->x + w->clientLeft;
    *y += w->y + w->clientTop;
    w = LiveWindow(w->parent);
    if (!w)
      break;
  }
}

PixelRect VisibleClientOnSurface(const Window& window) {
  int x = 0, y = 0;
  ClientOriginOnSurface(window, &x, &y);
  PixelRect visible{x, y, x + window.clientWidth, y + window.clientHeight};
  if (window.IsChild()) {
    if (const Window* parent = LiveWindow(window.parent))
      visible = Intersect(visible, VisibleClientOnSurface(*parent));
  }
  return visible;
}

void MarkDirty(Window& topLevel, const PixelRect& area) {
  topLevel.dirty = topLevel.dirty ? Union(*topLevel.dirty, area) : area;
}

void FlushSurfaces() {
  State& state = Core();
  for (WindowId id : state.topLevels) {
    Window* top = LiveWindow(id);
    if (!top || !top->dirty || !top->surface)
      continue;
    const PixelRect area = *top->dirty;
    top->dirty.reset();
    if (state.presenter && top->Visible())
      state.presenter->SurfaceUpdated(id, *top->surface, area);
  }
}

LRESULT CallWindowProc(Window& window, UINT msg, WPARAM wParam, LPARAM lParam) {
  WNDPROC proc = window.proc;
  return proc(HwndOf(window.id), msg, wParam, lParam);
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::uint32_t SysColor(int index) {
  switch (index) {
    case COLOR_WINDOW:
    case COLOR_BTNHIGHLIGHT:
      return 0xFFFFFF;
    case COLOR_BTNFACE:
      return 0xF0F0F0;
    case COLOR_BTNSHADOW:
      return 0xA0A0A0;
    case COLOR_GRAYTEXT:
      return 0x6D6D6D;
    case COLOR_3DDKSHADOW:
      return 0x696969;
    case COLOR_3DLIGHT:
      return 0xE3E3E3;
    default:  // COLOR_WINDOWTEXT, COLOR_BTNTEXT
      return 0x000000;
  }
}

}  // namespace w32::core
