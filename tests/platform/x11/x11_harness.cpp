#include "x11_harness.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "codec/bmp.h"

namespace x11test {
namespace fs = std::filesystem;

namespace {

std::vector<char*> ArgvOf(const std::vector<std::string>& argv) {
  std::vector<char*> pointers;
  for (const std::string& arg : argv) {
    pointers.push_back(const_cast<char*>(arg.c_str()));
  }
  pointers.push_back(nullptr);
  return pointers;
}

// In the child between fork and exec: the working folder, the environment
// and the output files, then the program. Never returns.
[[noreturn]] void ExecChild(const std::vector<std::string>& argv, const std::string& cwd,
                            const std::map<std::string, std::string>& env, const std::string& out,
                            const std::string& err) {
  if (!cwd.empty() && chdir(cwd.c_str()) != 0) {
    _exit(126);
  }
  for (const auto& [name, value] : env) {
    if (value.empty()) {
      unsetenv(name.c_str());
    } else {
      setenv(name.c_str(), value.c_str(), 1);
    }
  }
  const int in = open("/dev/null", O_RDONLY);
  const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (in < 0 || outFd < 0 || errFd < 0) {
    _exit(126);
  }
  dup2(in, 0);
  dup2(outFd, 1);
  dup2(errFd, 2);
  std::vector<char*> args = ArgvOf(argv);
  execvp(args[0], args.data());
  _exit(127);
}

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Waits for `pid` until `timeout`; the exit code, -2 for a signal, nothing
// while it still runs.
std::optional<int> WaitPid(int pid, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    int status = 0;
    const int done = waitpid(pid, &status, WNOHANG);
    if (done == pid) {
      return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
    }
    if (done < 0 || std::chrono::steady_clock::now() >= end) {
      return std::nullopt;
    }
    Pause(std::chrono::milliseconds(10));
  }
}

// A binary PPM (P6, maxval 255) as import writes it.
std::optional<Image> ParsePpm(const std::string& bytes) {
  std::size_t at = 0;
  const auto token = [&]() -> std::string {
    for (;;) {
      while (at < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[at]))) {
        ++at;
      }
      if (at < bytes.size() && bytes[at] == '#') {
        while (at < bytes.size() && bytes[at] != '\n') {
          ++at;
        }
        continue;
      }
      break;
    }
    const std::size_t start = at;
    while (at < bytes.size() && !std::isspace(static_cast<unsigned char>(bytes[at]))) {
      ++at;
    }
    return bytes.substr(start, at - start);
  };
  if (token() != "P6") {
    return std::nullopt;
  }
  Image image;
  image.width = std::atoi(token().c_str());
  image.height = std::atoi(token().c_str());
  if (token() != "255" || image.width <= 0 || image.height <= 0) {
    return std::nullopt;
  }
  ++at;  // the one whitespace byte after maxval
  const std::size_t count = static_cast<std::size_t>(image.width) * image.height;
  if (bytes.size() < at + count * 3) {
    return std::nullopt;
  }
  image.pixels.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    const auto byte = [&](std::size_t k) {
      return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i * 3 + k]));
    };
    image.pixels[i] = byte(0) << 16 | byte(1) << 8 | byte(2);
  }
  return image;
}

}  // namespace

void Pause(std::chrono::milliseconds time) {
  std::this_thread::sleep_for(time);
}

std::unique_ptr<XvfbServer> XvfbServer::Start(std::string& error) {
  int fds[2];
  if (pipe(fds) != 0) {
    error = "cannot make a pipe for Xvfb";
    return nullptr;
  }
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    const int devNull = open("/dev/null", O_RDWR);
    dup2(devNull, 0);
    dup2(devNull, 1);
    dup2(devNull, 2);
    const std::string fd = std::to_string(fds[1]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten",
           "tcp", "-noreset", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  // Xvfb writes its display number once it accepts connections.
  std::string number;
  pollfd ready{fds[0], POLLIN, 0};
  char c = 0;
  while (poll(&ready, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') {
    number.push_back(c);
  }
  close(fds[0]);
  if (number.empty()) {
    const std::optional<int> code = WaitPid(pid, std::chrono::milliseconds(200));
    if (!code) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    error = code == 127 ? "Xvfb is not installed (Debian package xvfb)" : "Xvfb did not start";
    return nullptr;
  }
  return std::unique_ptr<XvfbServer>(new XvfbServer(pid, ":" + number));
}

XvfbServer::~XvfbServer() {
  kill(pid_, SIGTERM);
  if (!WaitPid(pid_, std::chrono::seconds(5))) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

CommandResult RunCommand(const std::vector<std::string>& argv, const std::string& cwd,
                         const std::map<std::string, std::string>& env,
                         std::chrono::milliseconds timeout) {
  char stem[] = "/tmp/karvo-x11-cmd-XXXXXX";
  const int fd = mkstemp(stem);
  if (fd >= 0) {
    close(fd);
  }
  const std::string out = std::string(stem) + ".out";
  const std::string err = std::string(stem) + ".err";
  CommandResult result;
  const pid_t pid = fork();
  if (pid == 0) {
    ExecChild(argv, cwd, env, out, err);
  }
  const std::optional<int> code = WaitPid(pid, timeout);
  if (!code) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  result.exitCode = code.value_or(-1);
  result.out = ReadWhole(out);
  result.err = ReadWhole(err);
  std::remove(stem);
  std::remove(out.c_str());
  std::remove(err.c_str());
  return result;
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& cwd,
                           const std::map<std::string, std::string>& env,
                           const std::string& outputStem)
    : errPath_(outputStem + ".err") {
  const std::string out = outputStem + ".out";
  pid_ = fork();
  if (pid_ == 0) {
    ExecChild(argv, cwd, env, out, errPath_);
  }
}

ChildProcess::~ChildProcess() {
  if (Running()) {
    kill(pid_, SIGKILL);
    WaitExit(std::chrono::seconds(5));
  }
}

std::optional<int> ChildProcess::WaitExit(std::chrono::milliseconds timeout) {
  if (!exitCode_ && pid_ > 0) {
    exitCode_ = WaitPid(pid_, timeout);
  }
  return exitCode_;
}

bool ChildProcess::Running() {
  return !WaitExit(std::chrono::milliseconds(0));
}

std::string ChildProcess::Stderr() const {
  return ReadWhole(errPath_);
}

std::size_t CountDifferences(const Image& a, const Image& b) {
  if (a.width != b.width || a.height != b.height) {
    return std::max(a.pixels.size(), b.pixels.size());
  }
  std::size_t count = 0;
  for (std::size_t i = 0; i < a.pixels.size(); ++i) {
    count += (a.pixels[i] & 0xFFFFFF) != (b.pixels[i] & 0xFFFFFF) ? 1 : 0;
  }
  return count;
}

Image Crop(const Image& image, int width, int height) {
  Image cropped;
  cropped.width = std::min(width, image.width);
  cropped.height = std::min(height, image.height);
  for (int y = 0; y < cropped.height; ++y) {
    const auto row = image.pixels.begin() + static_cast<std::ptrdiff_t>(y) * image.width;
    cropped.pixels.insert(cropped.pixels.end(), row, row + cropped.width);
  }
  return cropped;
}

std::optional<Image> LoadBmpImage(const std::string& path) {
  std::optional<codec::Bitmap> bitmap = codec::LoadBmpFile(path);
  if (!bitmap) {
    return std::nullopt;
  }
  return Image{bitmap->width, bitmap->height, std::move(bitmap->pixels)};
}

bool SaveBmpImage(const std::string& path, const Image& image) {
  return codec::WriteBmpFile(path, codec::Bitmap{image.width, image.height, image.pixels});
}

// The program's windows come and go while the test looks at them; a request
// about one that has just gone fails, and the caller sees an empty answer.
namespace {
int IgnoreXErrors(Display*, XErrorEvent*) {
  return 0;
}
}  // namespace

XClient::XClient(const std::string& displayName) : display_(XOpenDisplay(displayName.c_str())) {
  XSetErrorHandler(IgnoreXErrors);
}

XClient::~XClient() {
  if (display_ != nullptr) {
    XCloseDisplay(display_);
  }
}

std::vector<Window> XClient::TopLevels() {
  std::vector<Window> mapped;
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count) == 0) {
    return mapped;
  }
  for (unsigned i = 0; i < count; ++i) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display_, children[i], &attributes) != 0 &&
        attributes.map_state == IsViewable) {
      mapped.push_back(children[i]);
    }
  }
  if (children != nullptr) {
    XFree(children);
  }
  return mapped;
}

std::optional<std::string> XClient::Property(Window window, const char* name) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const Atom atom = XInternAtom(display_, name, False);
  if (XGetWindowProperty(display_, window, atom, 0, 4096, False, AnyPropertyType, &type, &format,
                         &count, &after, &data) != Success ||
      type == None) {
    return std::nullopt;
  }
  std::string value;
  if (format == 8 && data != nullptr) {
    value.assign(reinterpret_cast<char*>(data), count);
  }
  XFree(data);
  return value;
}

std::string XClient::Title(Window window) {
  return Property(window, "WM_NAME").value_or("");
}

Window XClient::TransientFor(Window window) {
  Window owner = 0;
  return XGetTransientForHint(display_, window, &owner) != 0 ? owner : 0;
}

XClient::Geometry XClient::GeometryOf(Window window) {
  XWindowAttributes attributes{};
  XGetWindowAttributes(display_, window, &attributes);
  Geometry geometry;
  Window child = 0;
  XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &geometry.x,
                        &geometry.y, &child);
  geometry.width = attributes.width;
  geometry.height = attributes.height;
  return geometry;
}

bool XClient::HasDeleteProtocol(Window window) {
  Atom* protocols = nullptr;
  int count = 0;
  bool found = false;
  if (XGetWMProtocols(display_, window, &protocols, &count) != 0) {
    const Atom wanted = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    for (int i = 0; i < count; ++i) {
      found = found || protocols[i] == wanted;
    }
    XFree(protocols);
  }
  return found;
}

bool XClient::Exists(Window window) {
  for (const Window w : TopLevels()) {
    if (w == window) {
      return true;
    }
  }
  return false;
}

bool XClient::WaitGone(Window window, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (Exists(window)) {
    if (std::chrono::steady_clock::now() >= end) {
      return false;
    }
    Pause(std::chrono::milliseconds(20));
  }
  return true;
}

std::optional<Image> Screenshot(const std::string& displayName, Window window) {
  const CommandResult shot = RunCommand({"import", "-display", displayName, "-window",
                                         std::to_string(window), "-depth", "8", "ppm:-"},
                                        "", {});
  if (shot.exitCode != 0) {
    return std::nullopt;
  }
  return ParsePpm(shot.out);
}

Image WaitForPicture(const std::string& displayName, Window window, const Image& expected,
                     std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  Image last;
  int matches = 0;
  while (matches < 2) {
    last = Screenshot(displayName, window).value_or(Image{});
    matches = CountDifferences(last, expected) == 0 ? matches + 1 : 0;
    if (std::chrono::steady_clock::now() >= end) {
      break;
    }
    Pause(std::chrono::milliseconds(matches > 0 ? 100 : 30));
  }
  return last;
}

std::map<std::string, std::string> Snapshot(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      files[fs::relative(entry.path(), folder).string()] = ReadWhole(entry.path().string());
    }
  }
  return files;
}

std::vector<std::string> DifferingFiles(const std::map<std::string, std::string>& a,
                                        const std::map<std::string, std::string>& b) {
  std::vector<std::string> names;
  for (const auto& [name, bytes] : a) {
    const auto other = b.find(name);
    if (other == b.end() || other->second != bytes) {
      names.push_back(name);
    }
  }
  for (const auto& [name, bytes] : b) {
    if (a.count(name) == 0) {
      names.push_back(name);
    }
  }
  return names;
}

void CopyFolder(const std::string& from, const std::string& to) {
  fs::copy(from, to, fs::copy_options::recursive);
}

}  // namespace x11test
