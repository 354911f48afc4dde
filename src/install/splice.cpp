#include "splice.h"

namespace {

// Car lines up to this long are read whole; longer ones (never a marker) pass
// through in pieces.
constexpr std::size_t kHeadLimit = 4096;

// Bounds of the marker lengths, for a cheap first test of every car line.
constexpr std::size_t kShortestMarker = 32;
constexpr std::size_t kLongestMarker = 44;

}  // namespace

bool FindMarker(LineReader& snippet, std::string& held, std::string_view marker) {
  while (snippet.IsOpen() && !snippet.AtEnd()) {
    ReadLine(snippet, held);
    if (held == marker)
      return true;
  }
  return false;
}

SectionLines LoadSection(LineReader& snippet, std::string& held, int bodyLength) {
  SectionLines lines;
  lines.reserve(static_cast<std::size_t>(bodyLength) + 1);
  for (int i = 0; i <= bodyLength; ++i) {
    lines.push_back(held);
    ReadLine(snippet, held);
  }
  return lines;
}

SectionLines ReadSnippetSection(LineReader& snippet, const SectionSpec& section) {
  std::string held;
  if (!FindMarker(snippet, held, section.marker))
    return {};
  return LoadSection(snippet, held, section.bodyLength);
}

int MarkerGroup(std::string_view line) {
  if (line.size() < kShortestMarker || line.size() > kLongestMarker || line[0] != '-')
    return 0;
  for (const PartGroup& group : PartGroups()) {
    if (line == group.section.marker)
      return group.number;
  }
  return 0;
}

void WriteSection(LineWriter& carFile, const SectionLines& section) {
  for (const std::string& line : section)
    WriteLine(carFile, line);
}

int SkipSection(LineReader& carBackup, int count, std::string& line) {
  for (int i = 0; i < count && !carBackup.AtEnd(); ++i) {
    if (!ReadLineHead(carBackup, line, kHeadLimit)) {
      SkipLineRest(carBackup);
      continue;
    }
    if (int group = MarkerGroup(line))
      return group;
  }
  return 0;
}

void SpliceSections(LineReader& carBackup, LineWriter& carFile, const SnippetSections& sections) {
  auto opensReplacedSection = [&sections](std::string_view line) {
    const int group = MarkerGroup(line);
    return group != 0 && !sections[group - 1].empty();
  };
  std::string held;
  while (carBackup.IsOpen() && !carBackup.AtEnd()) {
    // Runs of lines up to the next section to replace pass in bulk.
    const std::string_view lines = carBackup.BufferedLines();
    if (!lines.empty()) {
      const std::size_t passed = WriteLinesUntil(carFile, lines, opensReplacedSection);
      carBackup.Consume(passed);
      if (passed == lines.size())
        continue;
    }
    // One line at a time: the marker of a section to replace, or a line that
    // runs past the buffer.
    std::string_view line;
    bool whole = true;
    if (!carBackup.TakeBufferedLine(line)) {
      whole = ReadLineHead(carBackup, held, kHeadLimit);
      line = held;
    }
    int group = whole ? MarkerGroup(line) : 0;
    bool replaced = false;
    while (group != 0 && !sections[group - 1].empty()) {
      WriteSection(carFile, sections[group - 1]);
      group = SkipSection(carBackup, GroupByNumber(group).section.bodyLength, held);
      line = held;
      replaced = true;
    }
    // The line after a replaced body is read at the top of the loop.
    if (replaced && group == 0)
      continue;
    // An ordinary line, or the marker of a group whose section stays as it is.
    carFile.Write(line);
    if (!whole)
      PassLineRest(carBackup, carFile);
    carFile.EndLine();
  }
}
