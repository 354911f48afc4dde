#include "x11_presenter.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <unistd.h>
#include <vector>

#include "x11_rules.h"

namespace w32::x11 {
namespace {

struct DisplayCloser {
  void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

// An XImage over pixels that the presenter owns: Xlib must not free them.
struct ImageDestroyer {
  void operator()(XImage* image) const {
    image->data = nullptr;
    XDestroyImage(image);
  }
};
using ImagePtr = std::unique_ptr<XImage, ImageDestroyer>;

// The connection is the only source of events: once it is lost the program
// can never get another one, so it ends here.
int OnDisplayLost(Display*) {
  std::fputs("karvo-parts-changer: the connection to the X display was lost\n", stderr);
  std::_Exit(1);
}

// A request on a window that went away meanwhile (a focus change for a box
// that has just closed) fails harmlessly; anything else is reported.
int OnRequestFailed(Display* display, XErrorEvent* error) {
  if (error->request_code == X_SetInputFocus) {
    return 0;
  }
  char text[256] = {};
  XGetErrorText(display, error->error_code, text, sizeof text);
  std::fprintf(stderr, "karvo-parts-changer: X request %d failed: %s\n", error->request_code, text);
  return 0;
}

constexpr long kEventMask =
    ExposureMask | ButtonPressMask | ButtonReleaseMask | KeyPressMask | StructureNotifyMask;

class X11Presenter final : public Presenter {
 public:
  X11Presenter(DisplayPtr display, const PixelPacking& packing)
      : display_(std::move(display)), packing_(packing) {
    Display* d = display_.get();
    screen_ = DefaultScreen(d);
    cursor_ = XCreateFontCursor(d, XC_left_ptr);
    gc_ = XCreateGC(d, RootWindow(d, screen_), 0, nullptr);
    // One round trip for all of them.
    char* names[] = {const_cast<char*>("WM_PROTOCOLS"),
                     const_cast<char*>("WM_DELETE_WINDOW"),
                     const_cast<char*>("_NET_WM_NAME"),
                     const_cast<char*>("_NET_WM_PID"),
                     const_cast<char*>("_NET_WM_WINDOW_TYPE"),
                     const_cast<char*>("_NET_WM_WINDOW_TYPE_DIALOG"),
                     const_cast<char*>("_NET_WM_WINDOW_TYPE_NORMAL"),
                     const_cast<char*>("UTF8_STRING")};
    Atom atoms[8] = {};
    XInternAtoms(d, names, 8, False, atoms);
    wmProtocols_ = atoms[0];
    wmDeleteWindow_ = atoms[1];
    netWmName_ = atoms[2];
    netWmPid_ = atoms[3];
    netWmWindowType_ = atoms[4];
    netWmWindowTypeDialog_ = atoms[5];
    netWmWindowTypeNormal_ = atoms[6];
    utf8String_ = atoms[7];
  }

  ~X11Presenter() override {
    Display* d = display_.get();
    for (auto& [id, window] : windows_) {
      window.image.reset();
      XDestroyWindow(d, window.xwindow);
    }
    XFreeGC(d, gc_);
    XFreeCursor(d, cursor_);
    XSync(d, False);
  }

  void TopLevelCreated(const TopLevelInfo& info) override;
  void TopLevelDestroyed(WindowId id) override;
  void TopLevelEnabled(WindowId id, bool enabled) override;
  void SurfaceUpdated(WindowId id, const Surface& surface, const PixelRect& area) override;
  InputEvent WaitEvent() override;

 private:
  struct TopLevel {
    Window xwindow = 0;
    TopLevelKind kind = TopLevelKind::kApplication;
    bool enabled = true;
    int width = 0, height = 0;  // the client size the server last reported
    // The last shown surface, packed for the server; `image` describes it.
    std::vector<std::uint32_t> pixels;
    int pixelsWidth = 0, pixelsHeight = 0;
    ImagePtr image;
    PixelRect dirty;  // changed since the last XPutImage
  };

  ScreenRect PlaceFor(const TopLevelInfo& info) const;
  void SetProperties(Window xwindow, const TopLevelInfo& info);
  void ResizeImage(TopLevel& window, int width, int height);
  void FlushDirty();
  void Translate(const XEvent& event);
  std::map<WindowId, TopLevel>::iterator FindByXWindow(Window xwindow);

  DisplayPtr display_;
  PixelPacking packing_;
  int screen_ = 0;
  Cursor cursor_ = 0;
  GC gc_ = nullptr;
  Atom wmProtocols_ = 0, wmDeleteWindow_ = 0, netWmName_ = 0, netWmPid_ = 0;
  Atom netWmWindowType_ = 0, netWmWindowTypeDialog_ = 0, netWmWindowTypeNormal_ = 0;
  Atom utf8String_ = 0;
  std::map<WindowId, TopLevel> windows_;
  std::deque<InputEvent> pending_;
};

ScreenRect X11Presenter::PlaceFor(const TopLevelInfo& info) const {
  const int width = std::max(1, info.clientWidth);
  const int height = std::max(1, info.clientHeight);
  const ScreenRect requested{info.x, info.y, width, height};
  if (info.kind != TopLevelKind::kMessageBox) {
    return requested;
  }
  const auto owner = windows_.find(info.owner);
  if (owner == windows_.end()) {
    return requested;
  }
  // Where the owner stands now: a window manager may have moved it.
  Display* d = display_.get();
  int ownerX = 0, ownerY = 0;
  Window child = 0;
  XTranslateCoordinates(d, owner->second.xwindow, RootWindow(d, screen_), 0, 0, &ownerX, &ownerY,
                        &child);
  return CentreOver({ownerX, ownerY, owner->second.width, owner->second.height}, width, height,
                    DisplayWidth(d, screen_), DisplayHeight(d, screen_));
}

void X11Presenter::SetProperties(Window xwindow, const TopLevelInfo& info) {
  Display* d = display_.get();
  const bool isBox = info.kind == TopLevelKind::kMessageBox;

  XStoreName(d, xwindow, info.title.c_str());
  const std::string utf8Title = Latin1ToUtf8(info.title);
  XChangeProperty(d, xwindow, netWmName_, utf8String_, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(utf8Title.data()),
                  static_cast<int>(utf8Title.size()));

  // The position and size the program asked for; a message box keeps its size.
  XSizeHints* hints = XAllocSizeHints();
  XWindowAttributes attributes;
  XGetWindowAttributes(d, xwindow, &attributes);
  hints->flags = PPosition | PSize | PWinGravity;
  hints->x = attributes.x;
  hints->y = attributes.y;
  hints->width = attributes.width;
  hints->height = attributes.height;
  hints->win_gravity = NorthWestGravity;
  if (isBox) {
    hints->flags |= PMinSize | PMaxSize;
    hints->min_width = hints->max_width = attributes.width;
    hints->min_height = hints->max_height = attributes.height;
  }
  XWMHints* wmHints = XAllocWMHints();
  wmHints->flags = InputHint | StateHint;
  wmHints->input = True;
  wmHints->initial_state = NormalState;
  XClassHint* classHint = XAllocClassHint();
  char name[] = "karvo-parts-changer";
  char className[] = "Karvo-parts-changer";
  classHint->res_name = name;
  classHint->res_class = className;
  XSetWMProperties(d, xwindow, nullptr, nullptr, nullptr, 0, hints, wmHints, classHint);
  XFree(classHint);
  XFree(wmHints);
  XFree(hints);

  Atom protocols[] = {wmDeleteWindow_};
  XSetWMProtocols(d, xwindow, protocols, 1);
  const long pid = static_cast<long>(getpid());
  XChangeProperty(d, xwindow, netWmPid_, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&pid), 1);
  const Atom type = isBox ? netWmWindowTypeDialog_ : netWmWindowTypeNormal_;
  XChangeProperty(d, xwindow, netWmWindowType_, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&type), 1);
  const auto owner = windows_.find(info.owner);
  if (isBox && owner != windows_.end()) {
    XSetTransientForHint(d, xwindow, owner->second.xwindow);
  }
}

void X11Presenter::TopLevelCreated(const TopLevelInfo& info) {
  Display* d = display_.get();
  const ScreenRect place = PlaceFor(info);

  // No background: the core's surface is the only picture of the client area,
  // so the server never paints over it. North-west bit gravity keeps what is
  // shown when the window grows; only the new area is exposed.
  XSetWindowAttributes attributes{};
  attributes.background_pixmap = None;
  attributes.bit_gravity = NorthWestGravity;
  attributes.event_mask = kEventMask;
  attributes.cursor = cursor_;
  const Window xwindow = XCreateWindow(
      d, RootWindow(d, screen_), place.x, place.y, static_cast<unsigned>(place.width),
      static_cast<unsigned>(place.height), 0, CopyFromParent, InputOutput, CopyFromParent,
      CWBackPixmap | CWBitGravity | CWEventMask | CWCursor, &attributes);
  SetProperties(xwindow, info);

  TopLevel window;
  window.xwindow = xwindow;
  window.kind = info.kind;
  window.width = place.width;
  window.height = place.height;
  windows_[info.id] = std::move(window);
  XMapWindow(d, xwindow);
}

void X11Presenter::TopLevelDestroyed(WindowId id) {
  const auto it = windows_.find(id);
  if (it == windows_.end()) {
    return;
  }
  it->second.image.reset();
  XDestroyWindow(display_.get(), it->second.xwindow);
  XFlush(display_.get());  // gone from the screen now, whatever the program does next
  windows_.erase(it);
  // Events already queued for the window are of no use any more.
  for (auto event = pending_.begin(); event != pending_.end();) {
    event = event->window == id ? pending_.erase(event) : std::next(event);
  }
}

void X11Presenter::TopLevelEnabled(WindowId id, bool enabled) {
  const auto it = windows_.find(id);
  if (it != windows_.end()) {
    it->second.enabled = enabled;
  }
}

void X11Presenter::ResizeImage(TopLevel& window, int width, int height) {
  window.image.reset();
  window.pixels.assign(static_cast<std::size_t>(width) * height, 0);
  window.pixelsWidth = width;
  window.pixelsHeight = height;
  Display* d = display_.get();
  XImage* image = XCreateImage(d, DefaultVisual(d, screen_), DefaultDepth(d, screen_), ZPixmap, 0,
                               reinterpret_cast<char*>(window.pixels.data()),
                               static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
  if (image == nullptr) {
    return;
  }
  // The pixels are native 32-bit values; Xlib swaps them for a server of the
  // other byte order.
  const std::uint16_t probe = 1;
  const bool littleEndian = *reinterpret_cast<const std::uint8_t*>(&probe) == 1;
  image->byte_order = littleEndian ? LSBFirst : MSBFirst;
  image->bitmap_bit_order = image->byte_order;
  XInitImage(image);
  window.image.reset(image);
}

void X11Presenter::SurfaceUpdated(WindowId id, const Surface& surface, const PixelRect& area) {
  const auto it = windows_.find(id);
  if (it == windows_.end() || surface.width <= 0 || surface.height <= 0) {
    return;
  }
  TopLevel& window = it->second;
  PixelRect changed = ClipRect(area, surface.width, surface.height);
  if (surface.width != window.pixelsWidth || surface.height != window.pixelsHeight) {
    ResizeImage(window, surface.width, surface.height);
    changed = {0, 0, surface.width, surface.height};
    window.dirty = changed;
  }
  if (IsEmpty(changed)) {
    return;
  }
  PackArea(surface, changed, packing_, window.pixels.data());
  window.dirty = UniteRects(window.dirty, changed);
}

// Shows what changed once the program has finished its drawing, so that an
// erase is never seen on its own before the paint that follows it.
void X11Presenter::FlushDirty() {
  Display* d = display_.get();
  for (auto& [id, window] : windows_) {
    const PixelRect area = ClipRect(window.dirty, window.pixelsWidth, window.pixelsHeight);
    window.dirty = {};
    if (IsEmpty(area) || !window.image) {
      continue;
    }
    XPutImage(d, window.xwindow, gc_, window.image.get(), area.left, area.top, area.left, area.top,
              static_cast<unsigned>(area.right - area.left),
              static_cast<unsigned>(area.bottom - area.top));
  }
}

std::map<WindowId, X11Presenter::TopLevel>::iterator X11Presenter::FindByXWindow(Window xwindow) {
  return std::find_if(windows_.begin(), windows_.end(),
                      [xwindow](const auto& entry) { return entry.second.xwindow == xwindow; });
}

void X11Presenter::Translate(const XEvent& event) {
  const auto found = FindByXWindow(event.xany.window);
  if (found == windows_.end()) {
    return;
  }
  TopLevel* window = &found->second;
  InputEvent input;
  input.window = found->first;
  switch (event.type) {
    case Expose:
      input.kind = InputEvent::Kind::kExpose;
      input.area =
          ClipRect({event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
                    event.xexpose.y + event.xexpose.height},
                   window->width, window->height);
      if (!IsEmpty(input.area)) {
        pending_.push_back(input);
      }
      return;
    case ConfigureNotify:
      if (event.xconfigure.width == window->width && event.xconfigure.height == window->height) {
        return;
      }
      window->width = event.xconfigure.width;
      window->height = event.xconfigure.height;
      input.kind = InputEvent::Kind::kResize;
      input.x = window->width;
      input.y = window->height;
      pending_.push_back(input);
      return;
    case MapNotify:
      // A message box takes the keyboard, so Enter, Space and Escape answer it.
      if (window->kind == TopLevelKind::kMessageBox) {
        XSetInputFocus(display_.get(), window->xwindow, RevertToPointerRoot, CurrentTime);
      }
      return;
    default:
      break;
  }

  // Everything below is input, which a disabled window does not take.
  if (!window->enabled) {
    return;
  }
  switch (event.type) {
    case ButtonPress:
    case ButtonRelease:
      if (event.xbutton.button != Button1) {
        return;
      }
      input.kind =
          event.type == ButtonPress ? InputEvent::Kind::kMouseDown : InputEvent::Kind::kMouseUp;
      input.x = event.xbutton.x;
      input.y = event.xbutton.y;
      pending_.push_back(input);
      return;
    case KeyPress: {
      XKeyEvent key = event.xkey;
      const auto vk = VirtualKeyForKeysym(XLookupKeysym(&key, 0));
      if (vk) {
        input.kind = InputEvent::Kind::kKeyDown;
        input.key = *vk;
        pending_.push_back(input);
      }
      return;
    }
    case ClientMessage:
      if (event.xclient.message_type == wmProtocols_ && event.xclient.format == 32 &&
          static_cast<Atom>(event.xclient.data.l[0]) == wmDeleteWindow_) {
        input.kind = InputEvent::Kind::kClose;
        pending_.push_back(input);
      }
      return;
    default:
      return;
  }
}

InputEvent X11Presenter::WaitEvent() {
  while (pending_.empty()) {
    FlushDirty();
    XEvent event;
    XNextEvent(display_.get(), &event);
    Translate(event);
  }
  // Requests made while translating (a box taking the keyboard) go out now,
  // not only when the program next waits.
  XFlush(display_.get());
  const InputEvent next = pending_.front();
  pending_.pop_front();
  return next;
}

// The surface is copied as 32-bit pixels, so the server must keep the default
// visual's pixels in 32 bits (depth 24 or 32, TrueColor).
bool FindPacking(Display* display, PixelPacking& packing, std::string& error) {
  const int screen = DefaultScreen(display);
  const Visual* visual = DefaultVisual(display, screen);
  const int depth = DefaultDepth(display, screen);
  int formatCount = 0;
  XPixmapFormatValues* formats = XListPixmapFormats(display, &formatCount);
  int bitsPerPixel = 0;
  for (int i = 0; i < formatCount; ++i) {
    if (formats[i].depth == depth) {
      bitsPerPixel = formats[i].bits_per_pixel;
    }
  }
  if (formats != nullptr) {
    XFree(formats);
  }
  XVisualInfo wanted{};
  wanted.visualid = XVisualIDFromVisual(const_cast<Visual*>(visual));
  int found = 0;
  XVisualInfo* info = XGetVisualInfo(display, VisualIDMask, &wanted, &found);
  const bool trueColor = info != nullptr && found > 0 && info->c_class == TrueColor;
  if (info != nullptr) {
    packing = {static_cast<std::uint32_t>(info->red_mask),
               static_cast<std::uint32_t>(info->green_mask),
               static_cast<std::uint32_t>(info->blue_mask)};
    XFree(info);
  }
  if (!trueColor || (depth != 24 && depth != 32) || bitsPerPixel != 32) {
    error = "karvo-parts-changer: the X display's default visual is not 24-bit TrueColor";
    return false;
  }
  return true;
}

}  // namespace

std::unique_ptr<Presenter> OpenX11Presenter(std::string& error) {
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || *name == '\0') {
    error = "karvo-parts-changer: no X display to open: DISPLAY is not set";
    return nullptr;
  }
  DisplayPtr display(XOpenDisplay(name));
  if (!display) {
    error = std::string("karvo-parts-changer: cannot open the X display \"") + name + "\"";
    return nullptr;
  }
  PixelPacking packing;
  if (!FindPacking(display.get(), packing, error)) {
    return nullptr;
  }
  XSetIOErrorHandler(OnDisplayLost);
  XSetErrorHandler(OnRequestFailed);
  return std::make_unique<X11Presenter>(std::move(display), packing);
}

}  // namespace w32::x11
