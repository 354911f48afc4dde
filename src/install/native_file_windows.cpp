#include "native_file.h"

#include <windows.h>

#include <string>

namespace {

// Another program (an antivirus, an indexer) may hold a file for a moment:
// the move is retried this often, this far apart, about a second in all.
constexpr int kMoveAttempts = 10;
constexpr DWORD kMoveRetryMs = 100;

std::string ErrorText(DWORD code) {
  switch (code) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return "disk full";
    case ERROR_ACCESS_DENIED:
      return "permission denied";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return "in use by another program";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return "missing";
    case ERROR_WRITE_PROTECT:
      return "write-protected";
    default:
      break;
  }
  char text[256] = {};
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                code, 0, text, sizeof text, nullptr);
  while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' ||
                        text[length - 1] == '.' || text[length - 1] == ' ')) {
    --length;
  }
  if (length == 0)
    return "system error " + std::to_string(code);
  return std::string(text, length);
}

HANDLE Handle(std::intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

std::intptr_t Stored(HANDLE handle) {
  return reinterpret_cast<std::intptr_t>(handle);
}

std::string FolderPrefix(const std::string& path) {
  std::size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

bool Transient(DWORD code) {
  return code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION ||
         code == ERROR_ACCESS_DENIED;
}

}  // namespace

std::ptrdiff_t NativeFile::Read(char* data, std::size_t size, std::string& error) {
  DWORD got = 0;
  DWORD want = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
  if (!ReadFile(Handle(handle_), data, want, &got, nullptr)) {
    error = ErrorText(GetLastError());
    return -1;
  }
  return static_cast<std::ptrdiff_t>(got);
}

bool NativeFile::WriteAll(const char* data, std::size_t size, std::string& error) {
  while (size > 0) {
    DWORD want = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    DWORD put = 0;
    if (!WriteFile(Handle(handle_), data, want, &put, nullptr)) {
      error = ErrorText(GetLastError());
      return false;
    }
    if (put == 0) {
      error = ErrorText(ERROR_DISK_FULL);
      return false;
    }
    data += put;
    size -= put;
  }
  return true;
}

bool NativeFile::Sync(std::string& error) {
  if (FlushFileBuffers(Handle(handle_)) != 0)
    return true;
  error = ErrorText(GetLastError());
  return false;
}

// Windows has no call that starts write-back without waiting for it; the
// FlushFileBuffers of Sync does all of it.
void NativeFile::StartWriteBack(std::uint64_t, std::uint64_t) {}

bool NativeFile::CloseChecked(std::string& error) {
  if (!IsOpen())
    return true;
  BOOL closed = CloseHandle(Handle(handle_));
  handle_ = kNone;
  if (!closed) {
    error = ErrorText(GetLastError());
    return false;
  }
  return true;
}

void NativeFile::Close() {
  if (IsOpen())
    CloseHandle(Handle(handle_));
  handle_ = kNone;
}

NativeFile OpenForReading(const std::string& path, std::string& error) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    error = "is a folder";
    return NativeFile();
  }
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = ErrorText(GetLastError());
    return NativeFile();
  }
  return NativeFile(Stored(handle));
}

NativeFile OpenForWriting(const std::string& path, std::string& error) {
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = ErrorText(GetLastError());
    return NativeFile();
  }
  return NativeFile(Stored(handle));
}

NativeFile CreateTempBeside(const std::string& target, std::string& tempPath, std::string& error) {
  static unsigned counter = 0;
  const std::string prefix = FolderPrefix(target);
  const std::string name = target.substr(prefix.size());
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = prefix + "~" + name + ".new-" + std::to_string(GetCurrentProcessId()) +
                            "-" + std::to_string(++counter);
    // CREATE_NEW: never reuse a file that is already there.
    HANDLE handle = CreateFileA(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      DWORD code = GetLastError();
      if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS)
        continue;
      error = ErrorText(code);
      return NativeFile();
    }
    tempPath = candidate;
    return NativeFile(Stored(handle));
  }
  error = "no free name for a temporary file";
  return NativeFile();
}

bool MoveOver(const std::string& from, const std::string& to, std::string& error) {
  DWORD code = 0;
  for (int attempt = 0; attempt < kMoveAttempts; ++attempt) {
    if (attempt > 0)
      Sleep(kMoveRetryMs);
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return true;
    }
    code = GetLastError();
    if (!Transient(code))
      break;
  }
  error = ErrorText(code);
  return false;
}

bool RemoveFile(const std::string& path) {
  return DeleteFileA(path.c_str()) != 0;
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsReadOnly(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

ResolvedPath ResolveCarPath(std::string_view catalogPath) {
  // Windows finds names without regard to case by itself.
  ResolvedPath result;
  result.path = std::string(catalogPath);
  result.status =
      FileExists(result.path) ? ResolvedPath::Status::kFound : ResolvedPath::Status::kMissing;
  return result;
}
