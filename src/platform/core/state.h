#pragma once
// The core's one set of state: windows, classes, GDI objects, device contexts
// and the thread's message queue. Everything runs on the program's one
// thread, so nothing here is locked.
//
// Handles are keys of these tables and are never reused while the process
// lives: a handle kept after its object went away names nothing, and every
// call given it fails harmlessly.

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "codec/bmp.h"
#include "presenter.h"
#include "win32_subset.h"

namespace w32::core {

struct WindowClass {
  std::string name;
  UINT style = 0;
  WNDPROC proc = nullptr;
  HINSTANCE instance = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
};

// The area of a window that waits to be painted, one flag per client pixel.
struct UpdateArea {
  int width = 0, height = 0;
  std::vector<std::uint8_t> pixels;
  bool any = false;

  void Resize(int w, int h);
  void Add(const PixelRect& area);     // client coordinates, clipped to the window
  void Remove(const PixelRect& area);  // likewise
  bool Contains(int x, int y) const {
    return x >= 0 && y >= 0 && x < width && y < height &&
           pixels[static_cast<std::size_t>(y) * width + x] != 0;
  }
  PixelRect Bounds() const;
  // The first x in [x, limit) of row y whose flag is not `value`, or limit
  // if there is none; 0 <= x <= limit <= width, 0 <= y < height.
  int RunEnd(int y, int x, int limit, bool value) const;
};

struct Window {
  WindowId id = 0;
  std::string className;
  WNDPROC proc = nullptr;
  HBRUSH background = nullptr;
  std::string text;
  DWORD style = 0;
  DWORD exStyle = 0;
  // Outer rectangle: screen coordinates for a top-level window, the parent's
  // client coordinates for a child.
  int x = 0, y = 0, width = 0, height = 0;
  // Where the client area starts inside the outer rectangle, and its size.
  int clientLeft = 0, clientTop = 0, clientWidth = 0, clientHeight = 0;
  WindowId parent = 0;  // children only
  WindowId owner = 0;   // top-level windows only
  long menuId = 0;
  HINSTANCE instance = nullptr;
  std::vector<WindowId> children;  // creation order
  bool destroying = false;

  UpdateArea update;
  bool erasePending = false;

  // The "button" class.
  bool checked = false;
  bool pressed = false;

  // Top-level windows: their client pixels, and what changed since the
  // presenter was last told.
  std::unique_ptr<Surface> surface;
  std::optional<PixelRect> dirty;
  TopLevelKind kind = TopLevelKind::kApplication;
  std::string boxText;
  unsigned boxFlags = 0;
  int boxResult = 0;  // a message box: 0 until answered

  bool IsChild() const { return (style & WS_CHILD) != 0; }
  bool Visible() const { return (style & WS_VISIBLE) != 0; }
  bool Enabled() const { return (style & WS_DISABLED) == 0; }
};

struct GdiObject {
  enum class Kind { kBitmap, kBrush };
  Kind kind = Kind::kBitmap;
  codec::Bitmap bitmap;
  std::uintptr_t selectedInto = 0;  // the HDC holding this bitmap, 0 if none
  std::uint32_t color = 0;          // a brush: 0x00RRGGBB
  bool stock = false;               // shared system object, never deleted
};

struct DeviceContext {
  bool memory = false;
  WindowId window = 0;        // a window's paint DC
  std::uintptr_t bitmap = 0;  // a memory DC's selected bitmap
  std::uintptr_t brush = 0;
  // A paint DC: the window's update area as BeginPaint found it, less what
  // ExcludeClipRect took out (client coordinates).
  UpdateArea paintArea;
  // A memory DC: the rectangles taken out with ExcludeClipRect.
  std::vector<PixelRect> excluded;
};

struct State {
  State();

  std::map<std::string, WindowClass> classes;  // key: lower-case name
  std::map<WindowId, Window> windows;
  std::vector<WindowId> topLevels;  // creation order
  std::map<std::uintptr_t, GdiObject> objects;
  std::map<std::uintptr_t, DeviceContext> dcs;
  std::uintptr_t nextWindow = 0x10000;
  std::uintptr_t nextGdi = 0x20000;
  std::uintptr_t stockBitmap = 0;
  std::map<int, std::uintptr_t> sysBrushes;

  std::deque<MSG> queue;
  bool quitPosted = false;
  int quitCode = 0;
  WindowId capture = 0;
  Presenter* presenter = nullptr;
};

// The one state of the process. Created on first use, which may come before
// main() (pictures loaded by static initialisation), and never destroyed, so
// that no destructor order at exit can reach a dead table.
State& Core();

// Live window for a handle, or nullptr (null, stale or never issued).
Window* LiveWindow(HWND hwnd);
Window* LiveWindow(WindowId id);
inline WindowId IdOf(HWND hwnd) {
  return reinterpret_cast<WindowId>(hwnd);
}
inline HWND HwndOf(WindowId id) {
  return reinterpret_cast<HWND>(id);
}

// The top-level window that holds `window`'s pixels.
Window& TopLevelOf(Window& window);
// Where `window`'s client origin lies on its top-level surface.
void ClientOriginOnSurface(const Window& window, int* x, int* y);
// The part of the surface that `window`'s client area may draw into: its own
// client rectangle cut by every ancestor's.
PixelRect VisibleClientOnSurface(const Window& window);

// Records that `area` (surface coordinates) of a top-level surface changed.
void MarkDirty(Window& topLevel, const PixelRect& area);
// Tells the presenter of every surface change since the last call.
void FlushSurfaces();

LRESULT CallWindowProc(Window& window, UINT msg, WPARAM wParam, LPARAM lParam);

std::string Lower(std::string text);
std::uint32_t SysColor(int index);  // 0x00RRGGBB; black for unknown indexes

}  // namespace w32::core
