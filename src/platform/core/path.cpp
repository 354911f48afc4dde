#include "path.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "state.h"

namespace w32::core {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Components(const std::string& path) {
  std::vector<std::string> parts;
  std::string current;
  for (char c : path) {
    if (c == '\\' || c == '/') {
      if (!current.empty())
        parts.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty())
    parts.push_back(current);
  return parts;
}

std::optional<fs::path> MatchEntry(const fs::path& folder, const std::string& name) {
  std::error_code error;
  const fs::path exact = folder / name;
  if (name == "." || name == ".." || fs::exists(exact, error))
    return exact;
  const std::string wanted = Lower(name);
  for (fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, error), end;
       !error && it != end; it.increment(error)) {
    const std::string entry = it->path().filename().string();
    if (Lower(entry) == wanted)
      return folder / entry;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> ResolveWindowsPath(const std::string& path) {
  const std::vector<std::string> parts = Components(path);
  if (parts.empty())
    return std::nullopt;
  const bool absolute = path[0] == '/' || path[0] == '\\';
  fs::path resolved = absolute ? fs::path("/") : fs::path();
  for (const std::string& part : parts) {
    std::optional<fs::path> next = MatchEntry(resolved, part);
    if (!next)
      return std::nullopt;
    resolved = *next;
  }
  return resolved.string();
}

}  // namespace w32::core
