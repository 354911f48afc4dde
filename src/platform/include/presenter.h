#pragma once
// The presenter: where a user's input comes from and where the surfaces of
// top-level windows are shown. The core owns every window, message and pixel;
// a presenter only shows top-level surfaces and turns what the user does into
// InputEvents. The headless presenter answers from a test script; the X11
// presenter shows real windows on a display.

#include <cstdint>
#include <string>
#include <vector>

namespace w32 {

using WindowId = std::uintptr_t;  // the HWND's value

struct PixelRect {
  int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
};

// A top-level window's client pixels, 0x00RRGGBB, rows top to bottom.
struct Surface {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // width * height
};

enum class TopLevelKind { kApplication, kMessageBox };

struct TopLevelInfo {
  WindowId id = 0;
  TopLevelKind kind = TopLevelKind::kApplication;
  WindowId owner = 0;  // 0 when none
  std::string title;   // the caption; a message box's caption argument
  std::string text;    // a message box's text
  unsigned flags = 0;  // a message box's MB_ flags
  int x = 0, y = 0;    // outer position on the screen
  int outerWidth = 0, outerHeight = 0;
  int clientWidth = 0, clientHeight = 0;  // the surface size
};

struct InputEvent {
  enum class Kind {
    kMouseDown,  // left button pressed at (x, y), client coordinates of `window`
    kMouseUp,    // left button released at (x, y)
    kKeyDown,    // `key` is a virtual-key code (VK_RETURN, VK_SPACE, VK_ESCAPE, ...)
    kClose,      // the user asks to close `window` (close box, WM_DELETE_WINDOW)
    kExpose,     // `area` of `window` must be drawn again: erased, then painted
    kResize,     // the client area of `window` is now x by y
    kWake,       // no input: the presenter posted messages itself (PostMessageA)
                 // and the core looks at its queue again
  };
  Kind kind = Kind::kMouseDown;
  WindowId window = 0;
  int x = 0, y = 0;
  int key = 0;
  PixelRect area;
};

class Presenter {
 public:
  virtual ~Presenter() = default;
  // A top-level window is shown: when it is created visible, after its
  // WM_CREATE (a message box: when it opens, with its text and flags).
  virtual void TopLevelCreated(const TopLevelInfo& info) = 0;
  // Its handle names nothing from now on.
  virtual void TopLevelDestroyed(WindowId id) = 0;
  // Input to `id` is now enabled or disabled (a modal message box is open).
  virtual void TopLevelEnabled(WindowId id, bool enabled) = 0;
  // The pixels of `area` in this window's surface changed; show them. Told
  // once for all the drawing since the last time, just before each wait.
  virtual void SurfaceUpdated(WindowId id, const Surface& surface, const PixelRect& area) = 0;
  // Called whenever the program waits with nothing queued (no posted
  // message, no quit, nothing to paint); blocks until the next event. Mouse
  // input and closes for a window that is gone or disabled are dropped, as
  // the platform drops them; keys go to the active window (an open message
  // box) when their own window cannot take them. A presenter that will never
  // have another event (its script ended, the display went away) ends the
  // process itself.
  virtual InputEvent WaitEvent() = 0;
};

// The core uses this presenter from now on; it does not take ownership.
// nullptr detaches the current one. A presenter that is set learns of the
// top-level windows created after that, and of nothing earlier.
void SetPresenter(Presenter* presenter);

}  // namespace w32
