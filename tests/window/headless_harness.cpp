#include "headless_harness.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "install.h"

namespace window_test {

namespace {

constexpr auto kTimeLimit = std::chrono::seconds(120);

void WriteAll(const fs::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary);
  out << bytes;
  out.close();
  if (!out)
    throw std::runtime_error("cannot write " + file.string());
}

// The child's side of RunProgram: never returns.
[[noreturn]] void ExecIn(const fs::path& program, const std::vector<std::string>& args,
                         const fs::path& workingDir, const fs::path& out, const fs::path& err) {
  const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (outFd < 0 || errFd < 0 || dup2(outFd, 1) < 0 || dup2(errFd, 2) < 0 ||
      chdir(workingDir.c_str()) != 0) {
    _exit(127);
  }
  std::vector<char*> argv;
  std::string name = program.filename().string();
  argv.push_back(name.data());
  std::vector<std::string> copies = args;
  for (std::string& arg : copies)
    argv.push_back(arg.data());
  argv.push_back(nullptr);
  execv(program.c_str(), argv.data());
  _exit(127);
}

int WaitWithTimeLimit(pid_t child) {
  const auto deadline = std::chrono::steady_clock::now() + kTimeLimit;
  int status = 0;
  while (waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (WIFEXITED(status))
    return WEXITSTATUS(status);
  if (WIFSIGNALED(status))
    return 128 + WTERMSIG(status);
  return -1;
}

}  // namespace

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void CopySampleCar(const fs::path& to) {
  fs::copy(KARVO_EXAMPLE_DIR, to, fs::copy_options::recursive);
}

std::vector<std::string> RunResult::Lines() const {
  std::vector<std::string> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

std::vector<std::string> RunResult::LinesStartingWith(const std::string& prefix) const {
  std::vector<std::string> found;
  for (const std::string& line : Lines()) {
    if (line.compare(0, prefix.size(), prefix) == 0)
      found.push_back(line);
  }
  return found;
}

RunResult RunProgram(const fs::path& program, const std::vector<std::string>& args,
                     const fs::path& workingDir, const fs::path& scratch) {
  const fs::path out = scratch / "stdout.txt";
  const fs::path err = scratch / "stderr.txt";
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child < 0)
    throw std::runtime_error("fork failed");
  if (child == 0)
    ExecIn(program, args, workingDir, out, err);
  RunResult result;
  result.exitCode = WaitWithTimeLimit(child);
  result.out = ReadAll(out);
  result.err = ReadAll(err);
  return result;
}

RunResult RunHeadless(const fs::path& carFolder, const std::string& script) {
  const fs::path scratch = carFolder.parent_path();
  const fs::path scriptFile = scratch / "script.txt";
  WriteAll(scriptFile, script);
  return RunProgram(KARVO_HEADLESS, {scriptFile.string()}, carFolder, scratch);
}

FolderSnapshot Snapshot(const fs::path& folder) {
  FolderSnapshot files;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file())
      continue;
    files[fs::relative(entry.path(), folder).string()] = {ReadAll(entry.path()),
                                                          entry.last_write_time()};
  }
  return files;
}

std::map<std::string, std::string> Contents(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& [name, state] : Snapshot(folder))
    files[name] = state.bytes;
  return files;
}

fs::path InFolder(const fs::path& carFolder, std::string_view catalogPath) {
  return carFolder / WithForwardSlashes(catalogPath);
}

EngineRun RunEngineIn(const fs::path& carFolder, const Choices& choices) {
  const InstallOutcome outcome = [&] {
    WorkingDirectory inCar(carFolder.string());
    return InstallParts(choices);
  }();
  EngineRun run;
  run.succeeded = outcome.Succeeded();
  for (const InstallProblem& problem : outcome.problems) {
    run.problemLines.push_back(DescribeProblem(problem));
  }
  return run;
}

std::string EscapeForPresenter(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    if (c == '\n') {
      escaped += "\\n";
    } else if (c == '\r') {
      escaped += "\\r";
    } else if (c == '"') {
      escaped += "\\\"";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

codec::Bitmap LoadBitmap(const fs::path& file) {
  std::optional<codec::Bitmap> bitmap = codec::LoadBmpFile(file.string());
  if (!bitmap)
    throw std::runtime_error("cannot read the bitmap " + file.string());
  return *bitmap;
}

codec::Bitmap SolidBitmap(int width, int height, std::uint32_t color) {
  codec::Bitmap bitmap;
  bitmap.width = width;
  bitmap.height = height;
  bitmap.pixels.assign(static_cast<std::size_t>(width) * height, color);
  return bitmap;
}

namespace {

std::uint32_t PixelAt(const codec::Bitmap& bitmap, int x, int y) {
  return bitmap.pixels[static_cast<std::size_t>(y) * bitmap.width + x];
}

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(value));
  return text;
}

std::string Where(int x, int y) {
  return "(" + std::to_string(x) + "," + std::to_string(y) + ")";
}

std::string CheckInside(const codec::Bitmap& dump, const Area& area) {
  if (area.left < 0 || area.top < 0 || area.right > dump.width || area.bottom > dump.height) {
    return "area outside the " + std::to_string(dump.width) + "x" + std::to_string(dump.height) +
           " dump";
  }
  return "";
}

}  // namespace

std::string CompareWithPicture(const codec::Bitmap& dump, const Area& area,
                               const codec::Bitmap& picture, int pictureLeft, int pictureTop) {
  if (std::string problem = CheckInside(dump, area); !problem.empty())
    return problem;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      const int px = x - pictureLeft;
      const int py = y - pictureTop;
      if (px < 0 || py < 0 || px >= picture.width || py >= picture.height) {
        return "area reaches beyond the picture at " + Where(x, y);
      }
      if (PixelAt(dump, x, y) != PixelAt(picture, px, py)) {
        return "pixel " + Where(x, y) + " is " + Hex(PixelAt(dump, x, y)) + ", picture has " +
               Hex(PixelAt(picture, px, py));
      }
    }
  }
  return "";
}

std::string CompareWithColor(const codec::Bitmap& dump, const Area& area, std::uint32_t color) {
  if (std::string problem = CheckInside(dump, area); !problem.empty())
    return problem;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if (PixelAt(dump, x, y) != color) {
        return "pixel " + Where(x, y) + " is " + Hex(PixelAt(dump, x, y)) + ", expected " +
               Hex(color);
      }
    }
  }
  return "";
}

int CountColor(const codec::Bitmap& dump, const Area& area, std::uint32_t color) {
  int count = 0;
  for (int y = std::max(area.top, 0); y < std::min(area.bottom, dump.height); ++y) {
    for (int x = std::max(area.left, 0); x < std::min(area.right, dump.width); ++x) {
      if (PixelAt(dump, x, y) == color)
        ++count;
    }
  }
  return count;
}

}  // namespace window_test
