// Asks a window to close the way a window manager does: a WM_PROTOCOLS client
// message carrying WM_DELETE_WINDOW, sent to the window on the display that
// DISPLAY names. Usage: send_wm_delete WINDOW (decimal or 0x hex).

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: send_wm_delete WINDOW\n", stderr);
    return 2;
  }
  char* end = nullptr;
  const unsigned long window = std::strtoul(argv[1], &end, 0);
  if (end == argv[1] || *end != '\0' || window == 0) {
    std::fprintf(stderr, "send_wm_delete: not a window id: %s\n", argv[1]);
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fputs("send_wm_delete: cannot open the X display\n", stderr);
    return 1;
  }
  XEvent event;
  std::memset(&event, 0, sizeof event);
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  const Status sent = XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
  XCloseDisplay(display);
  return sent != 0 ? 0 : 1;
}
