#include "canvas.h"

#include <algorithm>
#include <string>

#include "codec/text.h"

namespace w32::core {

PixelRect Intersect(const PixelRect& a, const PixelRect& b) {
  PixelRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
  if (IsEmpty(r))
    return {};
  return r;
}

PixelRect Union(const PixelRect& a, const PixelRect& b) {
  if (IsEmpty(a))
    return b;
  if (IsEmpty(b))
    return a;
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

bool IsEmpty(const PixelRect& r) {
  return r.right <= r.left || r.bottom <= r.top;
}

PixelRect Offset(const PixelRect& r, int dx, int dy) {
  return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

std::optional<Canvas> Canvas::OfDc(HDC hdc) {
  State& state = Core();
  auto dcIt = state.dcs.find(reinterpret_cast<std::uintptr_t>(hdc));
  if (dcIt == state.dcs.end())
    return std::nullopt;
  const DeviceContext& dc = dcIt->second;
  Canvas canvas;
  if (dc.memory) {
    GdiObject& bitmap = state.objects.at(dc.bitmap);
    canvas.pixels_ = bitmap.bitmap.pixels.data();
    canvas.bufferWidth_ = bitmap.bitmap.width;
    canvas.bufferHeight_ = bitmap.bitmap.height;
    canvas.clip_ = {0, 0, canvas.bufferWidth_, canvas.bufferHeight_};
    canvas.excluded_ = &dc.excluded;
    return canvas;
  }
  Window* window = LiveWindow(dc.window);
  if (!window)
    return std::nullopt;
  Window& top = TopLevelOf(*window);
  canvas.pixels_ = top.surface->pixels.data();
  canvas.bufferWidth_ = top.surface->width;
  canvas.bufferHeight_ = top.surface->height;
  ClientOriginOnSurface(*window, &canvas.originX_, &canvas.originY_);
  canvas.clip_ =
      Intersect(VisibleClientOnSurface(*window), {0, 0, canvas.bufferWidth_, canvas.bufferHeight_});
  canvas.paintArea_ = &dc.paintArea;
  canvas.topLevel_ = &top;
  return canvas;
}

Canvas::Canvas(Canvas&& other) noexcept
    : pixels_(other.pixels_),
      bufferWidth_(other.bufferWidth_),
      bufferHeight_(other.bufferHeight_),
      originX_(other.originX_),
      originY_(other.originY_),
      clip_(other.clip_),
      paintArea_(other.paintArea_),
      excluded_(other.excluded_),
      topLevel_(other.topLevel_),
      changed_(other.changed_) {
  other.topLevel_ = nullptr;
}

Canvas::~Canvas() {
  if (topLevel_ && !IsEmpty(changed_))
    MarkDirty(*topLevel_, changed_);
}

bool Canvas::Holds(int x, int y) const {
  const int bx = x + originX_, by = y + originY_;
  return bx >= 0 && by >= 0 && bx < bufferWidth_ && by < bufferHeight_;
}

bool Canvas::Allows(int x, int y) const {
  const int bx = x + originX_, by = y + originY_;
  if (bx < clip_.left || by < clip_.top || bx >= clip_.right || by >= clip_.bottom)
    return false;
  if (paintArea_ && !paintArea_->Contains(x, y))
    return false;
  if (excluded_) {
    for (const PixelRect& r : *excluded_) {
      if (bx >= r.left && bx < r.right && by >= r.top && by < r.bottom)
        return false;
    }
  }
  return true;
}

template <typename Fn>
bool Canvas::EmitUnexcluded(int by, int left, int right, std::size_t from, Fn& fn) const {
  if (excluded_) {
    for (std::size_t i = from; i < excluded_->size(); ++i) {
      const PixelRect& r = (*excluded_)[i];
      if (IsEmpty(r) || by < r.top || by >= r.bottom || r.right <= left || r.left >= right)
        continue;
      if (r.left > left && !EmitUnexcluded(by, left, r.left, i + 1, fn))
        return false;
      return r.right < right ? EmitUnexcluded(by, r.right, right, i + 1, fn) : true;
    }
  }
  return fn(by, left, right);
}

template <typename Fn>
bool Canvas::ForEachRun(const PixelRect& area, Fn&& fn) const {
  for (int by = area.top; by < area.bottom; ++by) {
    if (!paintArea_) {
      if (!EmitUnexcluded(by, area.left, area.right, 0, fn))
        return false;
      continue;
    }
    // The paint area's flags are in client coordinates.
    const int y = by - originY_;
    if (y < 0 || y >= paintArea_->height)
      continue;
    const int limit = std::min(area.right - originX_, paintArea_->width);
    int x = std::max(area.left - originX_, 0);
    while (x < limit) {
      x = paintArea_->RunEnd(y, x, limit, false);
      if (x == limit)
        break;
      const int end = paintArea_->RunEnd(y, x, limit, true);
      if (!EmitUnexcluded(by, x + originX_, end + originX_, 0, fn))
        return false;
      x = end;
    }
  }
  return true;
}

bool Canvas::AnyAllowed() const {
  return !ForEachRun(clip_, [](int, int, int) { return false; });
}

std::uint32_t Canvas::Get(int x, int y) const {
  return pixels_[static_cast<std::size_t>(y + originY_) * bufferWidth_ + (x + originX_)];
}

void Canvas::Put(int x, int y, std::uint32_t color) {
  if (!Allows(x, y))
    return;
  const int bx = x + originX_, by = y + originY_;
  pixels_[static_cast<std::size_t>(by) * bufferWidth_ + bx] = color;
  changed_ = Union(changed_, {bx, by, bx + 1, by + 1});
}

void Canvas::Fill(const PixelRect& area, std::uint32_t color) {
  const PixelRect inBuffer = Intersect(Offset(area, originX_, originY_), clip_);
  if (IsEmpty(inBuffer))
    return;
  PixelRect changed;
  ForEachRun(inBuffer, [&](int by, int left, int right) {
    std::fill(Row(by) + left, Row(by) + right, color);
    changed = Union(changed, {left, by, right, by + 1});
    return true;
  });
  changed_ = Union(changed_, changed);
}

void Canvas::CopyFrom(const Canvas& source, int x, int y, int width, int height, int sx, int sy) {
  // The part of the request that the source holds, as offsets into it.
  const int sbx = sx + source.originX_, sby = sy + source.originY_;
  const int left = std::max(0, -sbx), top = std::max(0, -sby);
  const int right = std::min(width, source.bufferWidth_ - sbx);
  const int bottom = std::min(height, source.bufferHeight_ - sby);
  if (right <= left || bottom <= top)
    return;
  const PixelRect target =
      Intersect(Offset({x + left, y + top, x + right, y + bottom}, originX_, originY_), clip_);
  if (IsEmpty(target))
    return;
  // Where the pixel for buffer point (bx, by) comes from: row by + rowShift
  // and column bx + columnShift of `from`, whose rows are `stride` apart.
  const std::uint32_t* from = source.pixels_;
  int stride = source.bufferWidth_;
  int columnShift = sbx - x - originX_, rowShift = sby - y - originY_;
  std::vector<std::uint32_t> block;
  if (source.pixels_ == pixels_) {
    // A copy within one buffer may overlap itself: read the block first.
    const int w = right - left, h = bottom - top;
    block.resize(static_cast<std::size_t>(w) * h);
    for (int j = 0; j < h; ++j) {
      const std::uint32_t* row = source.Row(sby + top + j) + sbx + left;
      std::copy(row, row + w, block.begin() + static_cast<std::ptrdiff_t>(j) * w);
    }
    from = block.data();
    stride = w;
    columnShift = -(x + left + originX_);
    rowShift = -(y + top + originY_);
  }
  PixelRect changed;
  ForEachRun(target, [&](int by, int runLeft, int runRight) {
    const std::uint32_t* src =
        from + static_cast<std::ptrdiff_t>(by + rowShift) * stride + runLeft + columnShift;
    std::copy(src, src + (runRight - runLeft), Row(by) + runLeft);
    changed = Union(changed, {runLeft, by, runRight, by + 1});
    return true;
  });
  changed_ = Union(changed_, changed);
}

void Canvas::Text(int x, int y, std::string_view text, std::uint32_t color, const PixelRect& clip) {
  // The font draws into a copy of the pixels under the text; only the pixels
  // this DC may change are taken back.
  // Some glyphs reach below the line ('_' lies just under it), so the copy
  // is a few rows taller than the line; `clip` still has the last word.
  constexpr int kBelowLine = 3;
  const int width = codec::TextWidth(text) + 2;
  const int height = codec::TextHeight() + kBelowLine;
  const PixelRect box = Intersect({x, y, x + width, y + height}, clip);
  if (IsEmpty(box) || text.empty())
    return;
  const int w = box.right - box.left, h = box.bottom - box.top;
  // Pixels of the box that the buffer lacks stay 0 in the copy.
  std::vector<std::uint32_t> scratch(static_cast<std::size_t>(w) * h, 0);
  const PixelRect inBuffer = Offset(box, originX_, originY_);
  const PixelRect held = Intersect(inBuffer, {0, 0, bufferWidth_, bufferHeight_});
  for (int by = held.top; by < held.bottom; ++by) {
    const std::uint32_t* row = Row(by);
    std::copy(row + held.left, row + held.right,
              scratch.begin() + static_cast<std::ptrdiff_t>(by - inBuffer.top) * w +
                  (held.left - inBuffer.left));
  }
  codec::PixelTarget target{scratch.data(), w, h};
  codec::DrawText(target, x - box.left, y - box.top, text, color, {0, 0, w, h});
  const PixelRect allowed = Intersect(inBuffer, clip_);
  if (IsEmpty(allowed))
    return;
  PixelRect changed;
  ForEachRun(allowed, [&](int by, int runLeft, int runRight) {
    const std::uint32_t* src = scratch.data() + static_cast<std::ptrdiff_t>(by - inBuffer.top) * w +
                               (runLeft - inBuffer.left);
    std::copy(src, src + (runRight - runLeft), Row(by) + runLeft);
    changed = Union(changed, {runLeft, by, runRight, by + 1});
    return true;
  });
  changed_ = Union(changed_, changed);
}

}  // namespace w32::core
