// Throughput and peak memory of the install engine on large car files, side
// by side with cp of the same file in the same run.
//
//   install_bench [MiB ...]      (default: 16 256 1024)
//
// For each size it makes a car folder in a fresh folder under /tmp (the car
// file of that size, with the eight sections spread through it), then runs
// each measurement in a child process of its own: cp of the car file,
// CopyLinesToEnd of it (the backup pass alone, no fsync), SpliceSections of
// it into a new file, and the whole InstallParts (two passes over the data
// plus the fsyncs). Each child reports its wall time and its peak resident
// memory (VmHWM). Every measurement runs kRounds times, rounds interleaved so
// that all see the same machine, after a sync so that no one pays for the
// dirty pages of the one before; the best time and the highest peak count.
// The file stays in the page cache throughout, for cp as for the engine. The
// folder is removed afterwards.

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "install.h"
#include "line_file.h"
#include "peak_memory.h"
#include "splice.h"

namespace {

namespace fs = std::filesystem;
constexpr double kMiB = 1024.0 * 1024.0;
constexpr int kRounds = 3;

struct Measurement {
  double seconds = -1;  // -1: failed
  long peakKiB = -1;
  int rounds = 0;
};

void WriteText(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

std::string SectionText(const PartGroup& group, const std::string& tag) {
  std::string text = std::string(group.section.marker) + "\r\n";
  for (int i = 1; i <= group.section.bodyLength; ++i) {
    text += tag + "_" + std::to_string(i) + " = " + std::string(group.label) + "\r\n";
  }
  return text;
}

// The car file: ordinary "key = value" lines of about 40 bytes, with the
// eight sections at even distances.
void MakeCarFolder(const fs::path& folder, std::uint64_t bytes) {
  std::ofstream car(folder / kCarFile, std::ios::binary);
  std::vector<char> block;
  block.reserve(1 << 20);
  std::uint64_t written = 0;
  std::uint64_t line = 0;
  int nextGroup = 0;
  while (written < bytes) {
    block.clear();
    while (block.size() < (1u << 20) - 128) {
      char text[64];
      int length = std::snprintf(text, sizeof text, "param_%08llu = %llu.%03llu, 1.25\r\n",
                                 static_cast<unsigned long long>(line),
                                 static_cast<unsigned long long>(line % 977),
                                 static_cast<unsigned long long>(line % 1000));
      block.insert(block.end(), text, text + length);
      ++line;
    }
    if (nextGroup < kGroupCount && written >= bytes / (kGroupCount + 1) * (nextGroup + 1)) {
      std::string section = SectionText(PartGroups()[nextGroup++], "old");
      block.insert(block.end(), section.begin(), section.end());
    }
    car.write(block.data(), static_cast<std::streamsize>(block.size()));
    written += block.size();
  }
  WriteText(folder / kSettingsFile, "[lights]\r\nheadlights_default_on = 1\r\n");
  for (const PartGroup& group : PartGroups()) {
    for (const PartOption& option : group) {
      WriteText(folder / WithForwardSlashes(option.snippetFile),
                "; " + std::string(option.label) + "\r\n" +
                    SectionText(group, "new_" + std::string(option.label)));
    }
  }
  for (const SettingsVariant& variant : SettingsVariants()) {
    WriteText(folder / WithForwardSlashes(variant.file), "[lights]\r\nvariant = 1\r\n");
  }
}

// Runs `work` in a child process; the child reports its time and peak memory.
template <class Work>
Measurement InChild(Work work) {
  sync();
  int ends[2];
  if (pipe(ends) != 0)
    return {};
  pid_t child = fork();
  if (child == 0) {
    close(ends[0]);
    auto start = std::chrono::steady_clock::now();
    bool ok = work();
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    Measurement result{ok ? took.count() : -1, PeakKiB()};
    ssize_t ignored = write(ends[1], &result, sizeof result);
    (void)ignored;
    _exit(0);
  }
  close(ends[1]);
  Measurement result;
  if (read(ends[0], &result, sizeof result) != sizeof result)
    result = {};
  close(ends[0]);
  waitpid(child, nullptr, 0);
  return result;
}

// Keeps the best time; a failed round fails the measurement.
void Keep(Measurement& best, const Measurement& round) {
  const bool first = best.rounds++ == 0;
  if (round.seconds < 0 || (!first && best.seconds < 0)) {
    best.seconds = -1;
  } else if (first || round.seconds < best.seconds) {
    best.seconds = round.seconds;
  }
  best.peakKiB = std::max(best.peakKiB, round.peakKiB);
}

bool RunCp(const fs::path& from, const fs::path& to) {
  pid_t cp = fork();
  if (cp == 0) {
    execlp("cp", "cp", from.c_str(), to.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  waitpid(cp, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool RunCopy(const fs::path& folder) {
  LineReader car((folder / kCarFile).string());
  LineWriter out((folder / "copied.ini").string());
  CopyLinesToEnd(car, out);
  return out.Close() && car.ReadError().empty();
}

bool RunSplice(const fs::path& folder) {
  SnippetSections sections;
  for (const PartGroup& group : PartGroups()) {
    LineReader snippet((folder / WithForwardSlashes(group.options[0].snippetFile)).string());
    sections[group.number - 1] = ReadSnippetSection(snippet, group.section);
  }
  LineReader backup((folder / kCarFile).string());
  LineWriter out((folder / "spliced.ini").string());
  SpliceSections(backup, out, sections);
  return out.Close() && backup.ReadError().empty();
}

bool RunInstall(const fs::path& folder) {
  fs::current_path(folder);
  return InstallParts(Choices{1, 1, 1, 1, 1, 1, 1, 1}).Succeeded();
}

void Report(const char* what, std::uint64_t bytes, const Measurement& m, double cpSeconds) {
  if (m.seconds < 0) {
    std::printf("  %-14s FAILED\n", what);
    return;
  }
  std::printf("  %-14s %8.3f s %9.1f MiB/s %6.2fx cp   peak %6.1f MiB\n", what, m.seconds,
              static_cast<double>(bytes) / kMiB / m.seconds, m.seconds / cpSeconds,
              static_cast<double>(m.peakKiB) / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::uint64_t> sizesMiB;
  for (int i = 1; i < argc; ++i)
    sizesMiB.push_back(std::strtoull(argv[i], nullptr, 10));
  if (sizesMiB.empty())
    sizesMiB = {16, 256, 1024};

  for (std::uint64_t mib : sizesMiB) {
    std::string pattern = "/tmp/karvo-bench-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
      return 1;
    const fs::path folder = pattern;
    MakeCarFolder(folder, mib << 20);
    const std::uint64_t bytes = fs::file_size(folder / kCarFile);

    // Warms the page cache with the car file, as every later round finds it.
    RunCp(folder / kCarFile, folder / "copy.ini");
    fs::remove(folder / "copy.ini");

    Measurement cp, copy, splice, install;
    for (int round = 0; round < kRounds; ++round) {
      Keep(cp, InChild([&] { return RunCp(folder / kCarFile, folder / "copy.ini"); }));
      fs::remove(folder / "copy.ini");
      Keep(copy, InChild([&] { return RunCopy(folder); }));
      fs::remove(folder / "copied.ini");
      Keep(splice, InChild([&] { return RunSplice(folder); }));
      fs::remove(folder / "spliced.ini");
      // From the second round on the car file is the first install's, of
      // the same size.
      Keep(install, InChild([&] { return RunInstall(folder); }));
    }

    std::printf("car file %llu MiB (%llu bytes), best of %d\n",
                static_cast<unsigned long long>(mib), static_cast<unsigned long long>(bytes),
                kRounds);
    Report("cp", bytes, cp, cp.seconds);
    Report("CopyLinesToEnd", bytes, copy, cp.seconds);
    Report("SpliceSections", bytes, splice, cp.seconds);
    Report("InstallParts", bytes, install, cp.seconds);
    std::fflush(stdout);
    fs::remove_all(folder);
  }
  return 0;
}
