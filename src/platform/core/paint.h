#pragma once
// Update areas and paint messages.

#include "state.h"

namespace w32::core {

// Adds `area` (the window's client coordinates) to the window's update area,
// and, since no window of ours clips its children out, the part of it that
// lies over each visible child to that child's; `erase` asks for
// WM_ERASEBKGND before the paint.
void Invalidate(Window& window, const PixelRect& area, bool erase);
void InvalidateAll(Window& window, bool erase);
// The first visible window, parents before their children and top-level
// windows in creation order, that waits to be painted; 0 if none.
WindowId NextWindowToPaint();

}  // namespace w32::core
