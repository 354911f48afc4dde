#pragma once
// Drawing into a device context: a view of the pixels it reaches (a window's
// place on its top-level surface, or a memory DC's bitmap) together with the
// clip the DC imposes. Coordinates given to a Canvas are the DC's own
// (a window's client coordinates, or the bitmap's).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "state.h"

namespace w32::core {

class Canvas {
 public:
  // Nothing for a handle that names no device context, or a window DC whose
  // window is gone.
  static std::optional<Canvas> OfDc(HDC hdc);
  // Tells the surface's window what changed. A Canvas lives within one call
  // that draws, during which no window goes away.
  ~Canvas();
  Canvas(Canvas&& other) noexcept;
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  Canvas& operator=(Canvas&&) = delete;

  bool Allows(int x, int y) const;        // may (x, y) be drawn?
  bool Holds(int x, int y) const;         // does (x, y) exist, clip or not?
  bool AnyAllowed() const;                // is any pixel left to draw?
  std::uint32_t Get(int x, int y) const;  // Holds(x, y) required
  void Put(int x, int y, std::uint32_t color);
  void Fill(const PixelRect& area, std::uint32_t color);
  // Copies `width` by `height` pixels from (sx, sy) of `source` to (x, y).
  // Only pixels that exist in the source are copied; the others keep what
  // they show.
  void CopyFrom(const Canvas& source, int x, int y, int width, int height, int sx, int sy);
  // One line of text with its top-left corner at (x, y), cut to `clip` too.
  void Text(int x, int y, std::string_view text, std::uint32_t color, const PixelRect& clip);

 private:
  Canvas() = default;
  // Calls fn(by, left, right) for every run [left, right) of row `by` that
  // lies in `area` and may be drawn; rows top to bottom, runs left to right.
  // `area` is in buffer coordinates and already within clip_. Stops early
  // when fn returns false.
  template <typename Fn>
  bool ForEachRun(const PixelRect& area, Fn&& fn) const;
  template <typename Fn>
  bool EmitUnexcluded(int by, int left, int right, std::size_t from, Fn& fn) const;
  std::uint32_t* Row(int by) { return pixels_ + static_cast<std::size_t>(by) * bufferWidth_; }
  const std::uint32_t* Row(int by) const {
    return pixels_ + static_cast<std::size_t>(by) * bufferWidth_;
  }
  std::uint32_t* pixels_ = nullptr;
  int bufferWidth_ = 0, bufferHeight_ = 0;
  int originX_ = 0, originY_ = 0;  // where (0, 0) lies in the buffer
  PixelRect clip_;                 // buffer coordinates
  const UpdateArea* paintArea_ = nullptr;
  const std::vector<PixelRect>* excluded_ = nullptr;  // buffer coordinates
  Window* topLevel_ = nullptr;                        // the surface's window, null for a bitmap
  PixelRect changed_;                                 // buffer coordinates
};

PixelRect Intersect(const PixelRect& a, const PixelRect& b);
PixelRect Union(const PixelRect& a, const PixelRect& b);
bool IsEmpty(const PixelRect& r);
PixelRect Offset(const PixelRect& r, int dx, int dy);
inline PixelRect RectOf(const RECT& r) {
  return {static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right),
          static_cast<int>(r.bottom)};
}

}  // namespace w32::core
