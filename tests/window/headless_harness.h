#pragma once
// Runs the scripted program `karvo_headless` in a copy of the sample car
// folder and reads back what it printed, the files it left and the surfaces
// it dumped.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "catalogue.h"
#include "codec/bmp.h"
#include "temp_folder.h"  // TempFolder, WorkingDirectory

namespace window_test {

namespace fs = std::filesystem;

// The whole file; empty when it cannot be read.
std::string ReadAll(const fs::path& file);

// Copies the sample car folder (example/) to `to`.
void CopySampleCar(const fs::path& to);

struct RunResult {
  int exitCode = -1;  // 128 + signal when killed
  std::string out;
  std::string err;
  std::vector<std::string> Lines() const;
  // The lines that start with `prefix`, in order.
  std::vector<std::string> LinesStartingWith(const std::string& prefix) const;
};

// Runs `program args...` with `workingDir` as its working directory; kills it
// after a generous time limit.
RunResult RunProgram(const fs::path& program, const std::vector<std::string>& args,
                     const fs::path& workingDir, const fs::path& scratch);

// Writes `script` beside the car folder and runs karvo_headless on it in the
// car folder.
RunResult RunHeadless(const fs::path& carFolder, const std::string& script);

// Every file under a folder: relative path -> bytes and modification time.
struct FileState {
  std::string bytes;
  fs::file_time_type written;
  bool operator==(const FileState& other) const {
    return bytes == other.bytes && written == other.written;
  }
};
using FolderSnapshot = std::map<std::string, FileState>;
FolderSnapshot Snapshot(const fs::path& folder);
// Relative path -> bytes only, to compare two folders' contents.
std::map<std::string, std::string> Contents(const fs::path& folder);

// A catalogue path ("ini\\Lights\\on.bmp") inside a car folder.
fs::path InFolder(const fs::path& carFolder, std::string_view catalogPath);

// Runs the engine in-process on `carFolder`, as the program would for these
// choices, and returns to the current working directory afterwards.
struct EngineRun {
  bool succeeded = false;
  std::vector<std::string> problemLines;  // DescribeProblem of each problem
};
EngineRun RunEngineIn(const fs::path& carFolder, const Choices& choices);

// How the headless presenter writes a message box's text: CR and LF as \r and
// \n, quotes as \", everything else (backslashes too) as it is.
std::string EscapeForPresenter(const std::string& text);

codec::Bitmap LoadBitmap(const fs::path& file);
codec::Bitmap SolidBitmap(int width, int height, std::uint32_t color);

// A rectangle of client pixels; right and bottom exclusive.
struct Area {
  int left, top, right, bottom;
};

// Empty when every pixel of `area` in `dump` equals the pixel of `picture` at
// the same offset from (pictureLeft, pictureTop) to (area.left, area.top);
// otherwise a description of the first difference.
std::string CompareWithPicture(const codec::Bitmap& dump, const Area& area,
                               const codec::Bitmap& picture, int pictureLeft, int pictureTop);
// Empty when every pixel of `area` is `color`.
std::string CompareWithColor(const codec::Bitmap& dump, const Area& area, std::uint32_t color);
// Number of pixels of `area` that are `color`.
int CountColor(const codec::Bitmap& dump, const Area& area, std::uint32_t color);

}  // namespace window_test
