// Measures one start of a program on an X display: the time from starting the
// process to the first complete paint of its main window, and the process's
// peak resident memory. Usage:
//   first_paint_probe FOLDER TITLE PROGRAM [ARG...]
// runs PROGRAM in FOLDER on the display that DISPLAY names and prints
//   first_paint_ms=12.3 mapped_ms=10.1 peak_rss_kib=5120 exit=0
//
// The screen is watched through the DAMAGE extension: after each change the
// window titled TITLE is read back. Once nothing has changed for a while the
// picture is settled; the first complete paint is the first moment the window
// showed that settled picture. The program is then closed the way a window
// manager closes it (WM_DELETE_WINDOW) and its peak resident set is read from
// wait4.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kSettleTime = std::chrono::milliseconds(1500);
constexpr auto kGiveUpTime = std::chrono::seconds(90);

double MillisecondsSince(Clock::time_point start, Clock::time_point t) {
  return std::chrono::duration<double, std::milli>(t - start).count();
}

// Reading back a window that has just gone away fails; that is no error here.
int IgnoreErrors(Display*, XErrorEvent*) {
  return 0;
}

std::string TitleOf(Display* display, Window window) {
  const Atom names[] = {XInternAtom(display, "_NET_WM_NAME", False), XA_WM_NAME};
  for (const Atom name : names) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, name, 0, 1024, False, AnyPropertyType, &type, &format,
                           &count, &after, &data) == Success &&
        data != nullptr) {
      std::string title(reinterpret_cast<char*>(data), format == 8 ? count : 0);
      XFree(data);
      if (!title.empty()) {
        return title;
      }
    }
  }
  return "";
}

// FNV-1a over the window's pixels; nothing when it cannot be read.
std::optional<std::uint64_t> PictureHash(Display* display, Window window) {
  XWindowAttributes attributes;
  if (XGetWindowAttributes(display, window, &attributes) == 0 ||
      attributes.map_state != IsViewable) {
    return std::nullopt;
  }
  XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                            static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  if (image == nullptr) {
    return std::nullopt;
  }
  std::uint64_t hash = 1469598103934665603ull;
  const std::size_t bytes = static_cast<std::size_t>(image->bytes_per_line) * image->height;
  for (std::size_t i = 0; i < bytes; ++i) {
    hash = (hash ^ static_cast<unsigned char>(image->data[i])) * 1099511628211ull;
  }
  hash ^= static_cast<std::uint64_t>(attributes.width) << 32 | attributes.height;
  XDestroyImage(image);
  return hash;
}

void SendDelete(Display* display, Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  XSendEvent(display, window, False, NoEventMask, &event);
  XFlush(display);
}

pid_t Launch(const char* folder, char** argv) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(folder) != 0) {
      _exit(126);
    }
    execvp(argv[0], argv);
    _exit(127);
  }
  return pid;
}

// Waits up to `timeout` for the child; its exit code (-1 for a signal) and its
// peak resident set in KiB.
std::optional<std::pair<int, long>> Reap(pid_t pid, std::chrono::milliseconds timeout) {
  const auto end = Clock::now() + timeout;
  for (;;) {
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, WNOHANG, &usage) == pid) {
      return std::make_pair(WIFEXITED(status) ? WEXITSTATUS(status) : -1, usage.ru_maxrss);
    }
    if (Clock::now() >= end) {
      return std::nullopt;
    }
    usleep(10000);
  }
}

struct Sample {
  Clock::time_point when;
  std::uint64_t hash;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fputs("usage: first_paint_probe FOLDER TITLE PROGRAM [ARG...]\n", stderr);
    return 2;
  }
  const char* folder = argv[1];
  const std::string title = argv[2];
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fputs("first_paint_probe: cannot open the X display\n", stderr);
    return 1;
  }
  int damageEvent = 0, damageError = 0;
  if (!XDamageQueryExtension(display, &damageEvent, &damageError)) {
    std::fputs("first_paint_probe: the X server has no DAMAGE extension\n", stderr);
    return 1;
  }
  XSetErrorHandler(IgnoreErrors);
  const Window root = DefaultRootWindow(display);
  XSelectInput(display, root, SubstructureNotifyMask);
  const Damage damage = XDamageCreate(display, root, XDamageReportNonEmpty);
  XSync(display, False);

  const Clock::time_point start = Clock::now();
  const pid_t pid = Launch(folder, argv + 3);

  Window target = 0;
  std::optional<Clock::time_point> mapped;
  std::vector<Sample> samples;
  Clock::time_point lastChange = start;
  const auto sample = [&](Clock::time_point when) {
    if (target != 0) {
      if (const auto hash = PictureHash(display, target)) {
        samples.push_back({when, *hash});
      }
    }
  };
  while (Clock::now() - start < kGiveUpTime) {
    if (target != 0 && !samples.empty() && Clock::now() - lastChange > kSettleTime) {
      break;
    }
    pollfd ready{ConnectionNumber(display), POLLIN, 0};
    if (XPending(display) == 0) {
      poll(&ready, 1, 50);
    }
    // A burst of changes is read back once, after its last event.
    std::optional<Clock::time_point> changed;
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      const Clock::time_point now = Clock::now();
      if (event.type == MapNotify && target == 0 && TitleOf(display, event.xmap.window) == title) {
        target = event.xmap.window;
        mapped = now;
        changed = now;
      } else if (event.type == damageEvent + XDamageNotify) {
        XDamageSubtract(display, damage, None, None);
        changed = now;
      }
    }
    if (changed) {
      lastChange = *changed;
      sample(*changed);
    }
  }
  if (target == 0 || samples.empty()) {
    std::fprintf(stderr, "first_paint_probe: no window titled \"%s\" appeared\n", title.c_str());
    kill(pid, SIGKILL);
    Reap(pid, std::chrono::seconds(5));
    return 1;
  }

  const std::uint64_t settled = samples.back().hash;
  Clock::time_point firstPaint = samples.back().when;
  for (const Sample& s : samples) {
    if (s.hash == settled) {
      firstPaint = s.when;
      break;
    }
  }

  SendDelete(display, target);
  std::optional<std::pair<int, long>> ended = Reap(pid, std::chrono::seconds(10));
  if (!ended) {
    kill(pid, SIGKILL);
    ended = Reap(pid, std::chrono::seconds(5));
  }
  XDamageDestroy(display, damage);
  XCloseDisplay(display);
  std::printf("first_paint_ms=%.1f mapped_ms=%.1f peak_rss_kib=%ld exit=%d\n",
              MillisecondsSince(start, firstPaint), MillisecondsSince(start, *mapped),
              ended ? ended->second : -1L, ended ? ended->first : -1);
  return 0;
}
