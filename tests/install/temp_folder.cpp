#include "temp_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

TempFolder::TempFolder() {
  std::string pattern = (fs::temp_directory_path() / "karvo-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr)
    throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  // Tests may leave files read-only; make them removable first.
  for (auto it = fs::recursive_directory_iterator(path_, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  }
  fs::remove_all(path_, ignored);
}

std::string TempFolder::Write(const std::string& relative, const std::string& bytes) const {
  fs::path full = PathOf(relative);
  fs::create_directories(full.parent_path());
  std::ofstream out(full, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out)
    throw std::runtime_error("cannot write " + full.string());
  return full.string();
}

std::string TempFolder::Read(const std::string& relative) const {
  std::ifstream in(PathOf(relative), std::ios::binary);
  if (!in)
    throw std::runtime_error("cannot read " + relative);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

WorkingDirectory::WorkingDirectory(const std::string& path)
    : previous_(fs::current_path().string()) {
  fs::current_path(path);
}

WorkingDirectory::~WorkingDirectory() {
  fs::current_path(previous_);
}

std::map<std::string, std::string> Snapshot(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    struct stat info;
    lstat(entry.path().c_str(), &info);
    std::string key = fs::relative(entry.path(), root).string();
    std::string value = std::to_string(info.st_mode & 07777) + ":";
    if (entry.is_directory()) {
      key += "/";
    } else {
      std::ifstream in(entry.path(), std::ios::binary);
      value.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    files[key] = value;
  }
  return files;
}

std::string CrLf(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines)
    bytes += line + "\r\n";
  return bytes;
}
