#include "native_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace {

std::string ErrorText(int code) {
  switch (code) {
    case ENOSPC:
      return "disk full";
    case EDQUOT:
      return "disk quota exceeded";
    case EFBIG:
      return "file too large";
    case EACCES:
    case EPERM:
      return "permission denied";
    case EROFS:
      return "read-only file system";
    case ENOENT:
      return "missing";
    case EISDIR:
      return "is a folder";
    default:
      break;
  }
  std::string text = std::strerror(code);
  if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z')
    text[0] = static_cast<char>(text[0] + 32);
  return text;
}

int Descriptor(std::intptr_t handle) {
  return static_cast<int>(handle);
}

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos)
    return ".";
  if (slash == 0)
    return "/";
  return path.substr(0, slash);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder == ".")
    return name;
  return folder + "/" + name;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i]))
      return false;
  }
  return true;
}

// The entries of `folder` whose names match `name` without regard to case.
std::vector<std::string> CaseMatches(const std::string& folder, const std::string& name) {
  std::vector<std::string> found;
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr)
    return found;
  while (const dirent* entry = readdir(dir)) {
    if (SameIgnoringCase(entry->d_name, name))
      found.emplace_back(entry->d_name);
  }
  closedir(dir);
  std::sort(found.begin(), found.end());
  return found;
}

#if defined(SYNC_FILE_RANGE_WRITE)
// Linux queues the range for write-back and returns; the result is ignored,
// as the fsync that follows reports any error of the same pages.
void StartWriteBackOf(int fd, off_t offset, off_t length) {
  ::sync_file_range(fd, offset, length, SYNC_FILE_RANGE_WRITE);
}
#else
// Other POSIX systems have no call that starts write-back without waiting.
void StartWriteBackOf(int, off_t, off_t) {}
#endif

bool Exists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

}  // namespace

std::ptrdiff_t NativeFile::Read(char* data, std::size_t size, std::string& error) {
  for (;;) {
    ssize_t got = ::read(Descriptor(handle_), data, size);
    if (got >= 0)
      return got;
    if (errno == EINTR)
      continue;
    error = ErrorText(errno);
    return -1;
  }
}

bool NativeFile::WriteAll(const char* data, std::size_t size, std::string& error) {
  while (size > 0) {
    ssize_t put = ::write(Descriptor(handle_), data, size);
    if (put < 0) {
      if (errno == EINTR)
        continue;
      error = ErrorText(errno);
      return false;
    }
    data += put;
    size -= static_cast<std::size_t>(put);
  }
  return true;
}

bool NativeFile::Sync(std::string& error) {
  if (::fsync(Descriptor(handle_)) == 0)
    return true;
  error = ErrorText(errno);
  return false;
}

void NativeFile::StartWriteBack(std::uint64_t offset, std::uint64_t length) {
  StartWriteBackOf(Descriptor(handle_), static_cast<off_t>(offset), static_cast<off_t>(length));
}

bool NativeFile::CloseChecked(std::string& error) {
  if (!IsOpen())
    return true;
  int result = ::close(Descriptor(handle_));
  handle_ = kNone;
  // After EINTR the descriptor is released on Linux; the data question is
  // settled by the fsync before it.
  if (result != 0 && errno != EINTR) {
    error = ErrorText(errno);
    return false;
  }
  return true;
}

void NativeFile::Close() {
  if (IsOpen())
    ::close(Descriptor(handle_));
  handle_ = kNone;
}

NativeFile OpenForReading(const std::string& path, std::string& error) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = ErrorText(errno);
    return NativeFile();
  }
  NativeFile file(fd);
  struct stat info;
  if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    error = ErrorText(EISDIR);
    return NativeFile();
  }
  return file;
}

NativeFile OpenForWriting(const std::string& path, std::string& error) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    error = ErrorText(errno);
    return NativeFile();
  }
  return NativeFile(fd);
}

NativeFile CreateTempBeside(const std::string& target, std::string& tempPath, std::string& error) {
  static unsigned counter = 0;
  const std::string folder = FolderOf(target);
  const std::size_t slash = target.rfind('/');
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = JoinPath(
        folder, "." + name + ".new-" + std::to_string(getpid()) + "-" + std::to_string(++counter));
    // O_EXCL: never reuse or follow a file that is already there. Mode 0666
    // lets the umask decide, as for any new file.
    int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST)
        continue;
      error = ErrorText(errno);
      return NativeFile();
    }
    NativeFile file(fd);
    struct stat info;
    if (stat(target.c_str(), &info) == 0 && fchmod(fd, info.st_mode & 07777) != 0) {
      error = ErrorText(errno);
      file.Close();
      ::unlink(candidate.c_str());
      return NativeFile();
    }
    tempPath = candidate;
    return file;
  }
  error = "no free name for a temporary file";
  return NativeFile();
}

bool MoveOver(const std::string& from, const std::string& to, std::string& error) {
  if (::rename(from.c_str(), to.c_str()) != 0) {
    error = ErrorText(errno);
    return false;
  }
  // The rename is done; a folder that cannot be synced (some file systems
  // refuse it) does not undo it, so its result is not reported.
  int dir = ::open(FolderOf(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

bool RemoveFile(const std::string& path) {
  return ::unlink(path.c_str()) == 0;
}

bool FileExists(const std::string& path) {
  return Exists(path);
}

bool IsReadOnly(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0)
    return false;
  const uid_t user = geteuid();
  if (user == 0 || user == info.st_uid)
    return (info.st_mode & S_IWUSR) == 0;
  if (getegid() == info.st_gid)
    return (info.st_mode & S_IWGRP) == 0;
  return (info.st_mode & S_IWOTH) == 0;
}

ResolvedPath ResolveCarPath(std::string_view catalogPath) {
  ResolvedPath result;
  result.status = ResolvedPath::Status::kFound;
  std::string folder;
  std::size_t start = 0;
  for (;;) {
    std::size_t cut = catalogPath.find('\\', start);
    std::string part(catalogPath.substr(start, cut == std::string_view::npos ? cut : cut - start));
    if (result.status == ResolvedPath::Status::kFound) {
      std::string exact = JoinPath(folder, part);
      if (!Exists(exact)) {
        std::vector<std::string> matches = CaseMatches(folder, part);
        if (matches.size() == 1) {
          part = matches[0];
        } else if (matches.empty()) {
          result.status = ResolvedPath::Status::kMissing;
        } else {
          result.status = ResolvedPath::Status::kAmbiguous;
          for (const std::string& match : matches) {
            if (!result.candidates.empty())
              result.candidates += ", ";
            result.candidates += JoinPath(folder, match);
          }
        }
      }
    }
    folder = JoinPath(folder, part);
    if (cut == std::string_view::npos)
      break;
    start = cut + 1;
  }
  result.path = folder;
  return result;
}
