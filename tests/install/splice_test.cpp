#include "splice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "peak_memory.h"
#include "temp_folder.h"

namespace {

using Lines = std::vector<std::string>;

std::string Marker(int group) {
  return std::string(GroupByNumber(group).section.marker);
}
int BodyLength(int group) {
  return GroupByNumber(group).section.bodyLength;
}

// A section with the marker of `group` and `body` lines "<tag> <group> <i>".
Lines Section(int group, const std::string& tag, int body) {
  Lines lines{Marker(group)};
  for (int i = 1; i <= body; ++i) {
    lines.push_back(tag + " " + std::to_string(group) + " " + std::to_string(i));
  }
  return lines;
}
Lines Old(int group, int body) {
  return Section(group, "old", body);
}
Lines Old(int group) {
  return Old(group, BodyLength(group));
}
Lines New(int group) {
  return Section(group, "new", BodyLength(group));
}

Lines Join(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts)
    all.insert(all.end(), part.begin(), part.end());
  return all;
}

SnippetSections AllNew() {
  SnippetSections sections;
  for (int group = 1; group <= kGroupCount; ++group)
    sections[group - 1] = New(group);
  return sections;
}

class SpliceTest : public ::testing::Test {
 protected:
  std::string Splice(const std::string& carBackup, const SnippetSections& sections) {
    LineReader reader(folder_.Write("backup", carBackup));
    LineWriter writer(folder_.PathOf("car"));
    SpliceSections(reader, writer, sections);
    EXPECT_TRUE(writer.Close());
    return folder_.Read("car");
  }

  TempFolder folder_;
};

struct SpliceCase {
  const char* name;
  std::string carBackup;
  Lines expected;
};

std::string Lf(const Lines& lines) {
  std::string bytes;
  for (const std::string& line : lines)
    bytes += line + "\n";
  return bytes;
}

TEST_F(SpliceTest, ReplacesEverySectionWhereverItStands) {
  const Lines p{"P"}, q{"Q"}, empty{""};
  const std::string m = Marker(5);
  const SpliceCase cases[] = {
      {"no marker", CrLf({"P", "Q"}), {"P", "Q", ""}},
      {"empty car backup", "", {""}},
      {"last line without line end", "P\r\nQ", {"P", "Q"}},
      {"near-markers are ordinary lines",
       CrLf({m + " ", "------------backcarplate---------------", "-" + m, m.substr(1)}),
       {m + " ", "------------backcarplate---------------", "-" + m, m.substr(1), ""}},
      {"LF line ends", Lf(Join({p, Old(5), q})), Join({p, New(5), q, empty})},
      {"all eight back to back, BumperExtralights first",
       CrLf(Join({Old(3), Old(1), Old(5), Old(8), Old(7), Old(6), Old(4), Old(2), q})),
       Join({New(3), New(1), New(5), New(8), New(7), New(6), New(4), New(2), q, empty})},
      {"all eight back to back, PermanentLights first",
       CrLf(Join({Old(2), Old(4), Old(6), Old(7), Old(8), Old(5), Old(1), Old(3), q})),
       Join({New(2), New(4), New(6), New(7), New(8), New(5), New(1), New(3), q, empty})},
      {"FrontCarplate then BumperExtralights", CrLf(Join({Old(1), Old(3)})),
       Join({New(1), New(3), empty})},
      {"Dashboard then MirrorChange", CrLf(Join({Old(4), Old(8)})), Join({New(4), New(8), empty})},
      {"Wing twice in a row", CrLf(Join({Old(6), Old(6), q})), Join({New(6), New(6), q, empty})},
      {"PermanentLights twice", CrLf(Join({Old(2), p, Old(2)})), Join({New(2), p, New(2), empty})},
      {"a short body ends at the next marker", CrLf(Join({Old(8, 3), Old(5), q})),
       Join({New(8), New(5), q, empty})},
      {"a long body keeps its extra lines", CrLf(Join({Old(6), {"extra 1", "extra 2"}})),
       Join({New(6), {"extra 1", "extra 2"}, empty})},
      {"line end right after a section at the end", CrLf(Join({p, Old(4)})),
       Join({p, New(4), empty})},
      {"line end inside a section at the end", CrLf(Join({p, Old(4, 5)})), Join({p, New(4)})},
      {"no line end inside a section at the end", "P\r\n" + m + "\r\nold 5 1", Join({p, New(5)})},
      {"BackCarplate, Mudflaps, BumperExtralights in a row",
       CrLf(Join({p, Old(5), Old(7), Old(3), q})), Join({p, New(5), New(7), New(3), q, empty})},
  };
  for (const SpliceCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Splice(c.carBackup, AllNew()), CrLf(c.expected));
  }
}

// Lines before a section pass in bulk up to the marker; the marker and the
// section must be found wherever the end of the first buffer falls: before,
// inside or right after the marker line, or inside the body.
TEST_F(SpliceTest, SectionIsFoundWhereverTheBufferEnds) {
  const std::string m = Marker(5);
  const std::string line = "key = 1.5";
  struct LineEndCase {
    const char* name;
    const char* lineEnd;
  } lineEnds[] = {{"CR LF", "\r\n"}, {"LF", "\n"}};
  for (const LineEndCase& lineEnd : lineEnds) {
    // The marker starts between 50 bytes before and 10 after the buffer end.
    for (std::size_t markerAt = kLineFileBuffer - 50; markerAt <= kLineFileBuffer + 10;
         markerAt += 3) {
      SCOPED_TRACE(std::string(lineEnd.name) + " marker at " + std::to_string(markerAt));
      Lines before;
      std::size_t size = 0;
      while (size + line.size() + 2 + 20 < markerAt) {
        before.push_back(line);
        size += line.size() + std::strlen(lineEnd.lineEnd);
      }
      before.push_back(std::string(markerAt - size - std::strlen(lineEnd.lineEnd), 'p'));
      std::string car;
      for (const std::string& l : Join({before, Old(5), {"Q"}}))
        car += l + lineEnd.lineEnd;
      ASSERT_EQ(car.find(m), markerAt);
      EXPECT_EQ(Splice(car, AllNew()), CrLf(Join({before, New(5), {"Q", ""}})));
    }
  }
}

TEST_F(SpliceTest, GroupWithoutSectionKeepsItsOldSection) {
  SnippetSections sections = AllNew();
  sections[6 - 1].clear();
  EXPECT_EQ(Splice(CrLf(Join({Old(6), Old(5)})), sections), CrLf(Join({Old(6), New(5), {""}})));
}

struct SnippetCase {
  const char* name;
  std::string snippet;
  Lines section;  // empty: no marker found
};

TEST_F(SpliceTest, SnippetGivesMarkerAndExactlyNLines) {
  // Back Carplate: seven body lines.
  const std::string m = Marker(5);
  const SnippetCase cases[] = {
      {"lines around the section are left out",
       CrLf(Join({{"; intro", "x"}, Section(5, "body", 7), {"; after"}})), Section(5, "body", 7)},
      {"short, ends with a line end",
       CrLf({"a", m, "b1", "b2"}),
       {m, "b1", "b2", "", "", "", "", ""}},
      {"short, no line end at the end",
       "a\r\n" + m + "\r\nb1\r\nb2",
       {m, "b1", "b2", "b2", "b2", "b2", "b2", "b2"}},
      {"no marker", CrLf({"a", m + " ", "b"}), {}},
      {"empty", "", {}},
  };
  for (const SnippetCase& c : cases) {
    SCOPED_TRACE(c.name);
    LineReader snippet(folder_.Write("snippet", c.snippet));
    EXPECT_EQ(ReadSnippetSection(snippet, GroupByNumber(5).section), c.section);
  }
}

// True when `output` is `input` followed by `tail`, compared piece by piece.
bool IsInputThenTail(const std::string& input, const std::string& output, const std::string& tail) {
  if (std::filesystem::file_size(output) != std::filesystem::file_size(input) + tail.size()) {
    return false;
  }
  std::ifstream in(input, std::ios::binary), out(output, std::ios::binary);
  std::vector<char> x(1 << 20), y(1 << 20);
  while (in.read(x.data(), static_cast<std::streamsize>(x.size())) || in.gcount() > 0) {
    const std::streamsize got = in.gcount();
    out.read(y.data(), got);
    if (!std::equal(x.data(), x.data() + got, y.data()))
      return false;
  }
  std::string rest(tail.size(), '\0');
  out.read(rest.data(), static_cast<std::streamsize>(rest.size()));
  return rest == tail;
}

TEST_F(SpliceTest, HundredMebibyteLineWithoutLineEndPassesThroughInLittleMemory) {
  // Every byte value but LF, CR and 0x1A, NUL included.
  std::string chunk;
  for (int i = 0; chunk.size() < (1u << 20); ++i) {
    const char byte = static_cast<char>(i % 256);
    if (byte != '\n' && byte != '\r' && byte != 0x1a)
      chunk += byte;
  }
  chunk.resize(1u << 20);
  const std::string input = folder_.PathOf("long");
  {
    std::ofstream out(input, std::ios::binary);
    for (int i = 0; i < 100; ++i)
      out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    ASSERT_TRUE(out.good());
  }
  const bool measured = ResetPeakKiB() == 0;
  const long before = PeakKiB();
  {
    LineReader reader(input);
    LineWriter writer(folder_.PathOf("copy"));
    CopyLinesToEnd(reader, writer);
    ASSERT_TRUE(writer.Close());
  }
  {
    LineReader reader(input);
    LineWriter writer(folder_.PathOf("spliced"));
    SpliceSections(reader, writer, AllNew());
    ASSERT_TRUE(writer.Close());
  }
  EXPECT_TRUE(IsInputThenTail(input, folder_.PathOf("copy"), "\r\n"));
  EXPECT_TRUE(IsInputThenTail(input, folder_.PathOf("spliced"), "\r\n"));
  if (measured) {
    EXPECT_LT(PeakKiB() - before, 16 * 1024);
  }
}

}  // namespace
