#pragma once
// A fresh folder under the system's temp folder for one test, removed with
// everything in it afterwards, and small helpers for the bytes of its files.

#include <map>
#include <string>
#include <vector>

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  // `relative` uses slashes; missing folders on the way are created.
  std::string Write(const std::string& relative, const std::string& bytes) const;
  std::string Read(const std::string& relative) const;
  std::string PathOf(const std::string& relative) const { return path_ + "/" + relative; }

 private:
  std::string path_;
};

// Makes a folder the working directory for a scope and goes back afterwards.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::string& path);
  ~WorkingDirectory();
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;

 private:
  std::string previous_;
};

// Every file below `root`: relative path -> permission bits and bytes.
// Folders appear with a trailing slash and their bits.
std::map<std::string, std::string> Snapshot(const std::string& root);

// Lines joined with CR LF after each.
std::string CrLf(const std::vector<std::string>& lines);
