#pragma once
// What the tests of the program on a real display need: an Xvfb server of
// their own, the program as a child process, a connection of the test's own
// to look at windows, real input through xdotool, screenshots through import,
// and the headless program's surface dumps to compare them with.

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <X11/Xlib.h>

namespace x11test {

// An Xvfb server on a display number it picks itself; stopped on destruction.
class XvfbServer {
 public:
  // Null, with `error` set, when Xvfb is not installed or does not start.
  static std::unique_ptr<XvfbServer> Start(std::string& error);
  ~XvfbServer();
  const std::string& Name() const { return name_; }  // e.g. ":3"

 private:
  XvfbServer(int pid, std::string name) : pid_(pid), name_(std::move(name)) {}
  int pid_;
  std::string name_;
};

struct CommandResult {
  int exitCode = -1;  // -1 when it did not end by itself in time
  std::string out, err;
};

// Runs argv in `cwd` with `env` added to (or, for an empty value, removed
// from) this process's environment, and waits for it.
CommandResult RunCommand(const std::vector<std::string>& argv, const std::string& cwd,
                         const std::map<std::string, std::string>& env,
                         std::chrono::milliseconds timeout = std::chrono::seconds(20));

// A program running in the background, its output kept in files; killed on
// destruction if it is still running.
class ChildProcess {
 public:
  ChildProcess(const std::vector<std::string>& argv, const std::string& cwd,
               const std::map<std::string, std::string>& env, const std::string& outputStem);
  ~ChildProcess();
  // The exit code once the process has ended within `timeout`; -2 when it was
  // killed by a signal.
  std::optional<int> WaitExit(std::chrono::milliseconds timeout);
  bool Running();
  std::string Stderr() const;

 private:
  int pid_ = -1;
  std::optional<int> exitCode_;
  std::string errPath_;
};

struct Image {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top-down
};

// The number of differing pixels; the whole area when the sizes differ.
std::size_t CountDifferences(const Image& a, const Image& b);
// `image` cut to its top-left width by height.
Image Crop(const Image& image, int width, int height);
std::optional<Image> LoadBmpImage(const std::string& path);
bool SaveBmpImage(const std::string& path, const Image& image);

// The test's own connection to the display.
class XClient {
 public:
  explicit XClient(const std::string& displayName);
  ~XClient();
  Display* Get() const { return display_; }

  // Mapped children of the root window.
  std::vector<Window> TopLevels();
  std::optional<std::string> Property(Window window, const char* name);  // 8-bit properties
  std::string Title(Window window);                                      // WM_NAME
  Window TransientFor(Window window);
  struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;  // on the screen, inside the border
  };
  Geometry GeometryOf(Window window);
  bool HasDeleteProtocol(Window window);
  bool Exists(Window window);

  // Polls until `find` gives a window or the time is up.
  template <typename Find>
  std::optional<Window> WaitFor(Find find,
                                std::chrono::milliseconds timeout = std::chrono::seconds(10));
  bool WaitGone(Window window, std::chrono::milliseconds timeout = std::chrono::seconds(10));

 private:
  Display* display_ = nullptr;
};

// Sleeps a little between polls.
void Pause(std::chrono::milliseconds time);

template <typename Find>
std::optional<Window> XClient::WaitFor(Find find, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  do {
    if (const std::optional<Window> window = find(*this)) {
      return window;
    }
    Pause(std::chrono::milliseconds(20));
  } while (std::chrono::steady_clock::now() < end);
  return std::nullopt;
}

// The window's pixels as the server shows them, taken with `import -window`.
std::optional<Image> Screenshot(const std::string& displayName, Window window);

// Polls screenshots of `window` until one equals `expected` twice in a row
// (the program draws after the events that the test sent) or the time is up;
// returns the last one.
Image WaitForPicture(const std::string& displayName, Window window, const Image& expected,
                     std::chrono::milliseconds timeout = std::chrono::seconds(5));

// Every file below `folder`, by relative path, with its bytes.
std::map<std::string, std::string> Snapshot(const std::string& folder);
// The relative paths whose bytes differ, or that only one side has.
std::vector<std::string> DifferingFiles(const std::map<std::string, std::string>& a,
                                        const std::map<std::string, std::string>& b);
void CopyFolder(const std::string& from, const std::string& to);

}  // namespace x11test
