#pragma once
// What a presenter or a test may read about the windows of the core, beyond
// what the Win32 calls give: used to print a window's controls and to find a
// top-level window's surface.

#include <optional>
#include <string>
#include <vector>

#include "presenter.h"

namespace w32 {

struct WindowDescription {
  std::string className;
  std::string text;
  unsigned long style = 0;
  unsigned long exStyle = 0;
  int x = 0, y = 0, width = 0,
      height = 0;  // outer rect; a child's is in its parent's client coordinates
  int clientWidth = 0, clientHeight = 0;
  long id = 0;           // the hMenu argument of a child window
  bool checked = false;  // a button's check state
  bool enabled = true;
  WindowId parent = 0;
  WindowId owner = 0;
};

// Nothing for a handle that names no live window.
std::optional<WindowDescription> DescribeWindow(WindowId id);
// The live child windows of `id` in creation order.
std::vector<WindowId> ChildWindows(WindowId id);
// The client pixels of a top-level window; nullptr for any other handle.
// Valid until the next call into the core.
const Surface* SurfaceOf(WindowId id);

}  // namespace w32
