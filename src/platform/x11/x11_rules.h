#pragma once
// The display-independent rules of the X11 presenter: which keys reach the
// program, where a message box stands, how a surface pixel is written in the
// server's pixel format and how a window text becomes a UTF-8 title. Kept free
// of Xlib so that they can be checked without a display.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "presenter.h"

namespace w32::x11 {

// The virtual-key code for an X keysym, or nothing for a key the program never
// sees. Only the keys that answer a message box are passed on: Return and
// KP_Enter give VK_RETURN (0x0D), space VK_SPACE (0x20), Escape VK_ESCAPE
// (0x1B).
std::optional<int> VirtualKeyForKeysym(unsigned long keysym);

struct ScreenRect {
  int x = 0, y = 0, width = 0, height = 0;
};

// The top-left corner that centres a width by height window over `owner`,
// moved so that it stays on a screen of screenWidth by screenHeight where it
// fits (a box larger than the screen keeps its top-left corner at 0, 0).
ScreenRect CentreOver(const ScreenRect& owner, int width, int height, int screenWidth,
                      int screenHeight);

// How a 0x00RRGGBB surface pixel is laid out in one 32-bit pixel of the
// server's TrueColor visual, from the visual's channel masks.
struct PixelPacking {
  std::uint32_t redMask = 0xFF0000, greenMask = 0x00FF00, blueMask = 0x0000FF;

  // True when the masks are the surface's own layout, so rows copy unchanged.
  bool IsIdentity() const;
  std::uint32_t Pack(std::uint32_t rgb) const;
};

// Copies `area` (already clipped to both) from a surface into an image of the
// same size whose pixels are packed for the server.
void PackArea(const Surface& surface, const PixelRect& area, const PixelPacking& packing,
              std::uint32_t* image);

// The smallest rectangle that holds both; an empty rectangle adds nothing.
PixelRect UniteRects(const PixelRect& a, const PixelRect& b);
// `r` cut to 0, 0, width, height; empty (all zero) when nothing is left.
PixelRect ClipRect(const PixelRect& r, int width, int height);
inline bool IsEmpty(const PixelRect& r) {
  return r.right <= r.left || r.bottom <= r.top;
}

// Window texts are single-byte (Latin-1) strings; _NET_WM_NAME wants UTF-8.
std::string Latin1ToUtf8(std::string_view text);

}  // namespace w32::x11
