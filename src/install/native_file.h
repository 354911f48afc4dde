#pragma once
// The few file operations that differ between POSIX and Windows. One source
// file per platform implements them (native_file_posix.cpp,
// native_file_windows.cpp); CMake picks the one that is built.
//
// Paths handed in here are real paths of the platform. ResolveCarPath turns
// the catalogue's spelling (backslashes, Windows letter case) into one.
//
// Failure texts are short lower-case English for the player, e.g. "disk full",
// "permission denied", "file too large".

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// An open file: a descriptor on POSIX, a HANDLE on Windows. Move-only; the
// destructor closes without a result, so the write path calls SyncAndClose.
class NativeFile {
 public:
  NativeFile() = default;
  explicit NativeFile(std::intptr_t handle) : handle_(handle) {}
  NativeFile(NativeFile&& other) noexcept : handle_(other.handle_) { other.handle_ = kNone; }
  NativeFile& operator=(NativeFile&& other) noexcept;
  NativeFile(const NativeFile&) = delete;
  NativeFile& operator=(const NativeFile&) = delete;
  ~NativeFile() { Close(); }

  bool IsOpen() const { return handle_ != kNone; }

  // Bytes read (at most size), 0 at the physical end of the file, -1 on an
  // error with its text in `error`.
  std::ptrdiff_t Read(char* data, std::size_t size, std::string& error);
  // Writes every byte, going on after short writes; false with `error` set on
  // the first failing write.
  bool WriteAll(const char* data, std::size_t size, std::string& error);
  // Moves the file's data to the device, then closes it. False with `error`
  // when either failed; the file is closed in any case.
  bool SyncAndClose(std::string& error);
  // Moves the file's data to the device; false with `error` set if not.
  bool Sync(std::string& error);
  // Starts moving `length` bytes from `offset` to the device without waiting
  // for them, so that a later Sync finds most of the work done and the
  // device works while the writer goes on. A hint only: no result; where the
  // platform has no such call it does nothing.
  void StartWriteBack(std::uint64_t offset, std::uint64_t length);
  // Closes and reports whether the close succeeded, with `error` set if not.
  bool CloseChecked(std::string& error);
  void Close();

 private:
  static constexpr std::intptr_t kNone = -1;  // also INVALID_HANDLE_VALUE's value
  std::intptr_t handle_ = kNone;
};

// Opens an existing file for reading. A folder is refused ("is a folder").
NativeFile OpenForReading(const std::string& path, std::string& error);
// Opens a file for writing, created when missing and emptied when present.
NativeFile OpenForWriting(const std::string& path, std::string& error);

// Creates a new, empty file with a name no other file has, in the folder of
// `target`, and puts that name in `tempPath`. When `target` exists the new
// file takes its permission bits, so moving it over `target` keeps them.
NativeFile CreateTempBeside(const std::string& target, std::string& tempPath, std::string& error);
// Moves `from` over `to` (replacing it) so that the move survives a crash:
// on POSIX rename then fsync of the folder; on Windows MoveFileExA with
// write-through, retried for about a second while another program holds
// either file.
bool MoveOver(const std::string& from, const std::string& to, std::string& error);
// Removes a file; false when it could not be removed.
bool RemoveFile(const std::string& path);

// True when the file exists and its permission bits (POSIX: the write bit of
// the class that applies to this process, the owner's for root) or its
// read-only attribute (Windows) forbid writing. Whether a privileged user could
// write anyway does not matter.
bool IsReadOnly(const std::string& path);
bool FileExists(const std::string& path);

// How a path spelled as the catalogue spells it was found on disk.
struct ResolvedPath {
  enum class Status { kFound, kMissing, kAmbiguous };
  Status status = Status::kMissing;
  // The real path: the existing spelling when found, otherwise the found
  // folders followed by the rest as spelled (where the file would be created).
  std::string path;
  // For kAmbiguous: the entries that match without regard to letter case.
  std::string candidates;
};

// On POSIX each backslash becomes a slash, and a component whose exact
// spelling does not exist is taken as the one entry of its folder that
// matches without regard to ASCII letter case; two or more such entries make
// the path ambiguous. On Windows the path is used as it is.
ResolvedPath ResolveCarPath(std::string_view catalogPath);
