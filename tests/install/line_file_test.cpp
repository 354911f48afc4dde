#include "line_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "temp_folder.h"

namespace {

using namespace std::string_literals;

class LineFileTest : public ::testing::Test {
 protected:
  // Copies `input` with CopyLinesToEnd and returns the bytes written.
  std::string Copy(const std::string& input) {
    LineReader reader(folder_.Write("in", input));
    LineWriter writer(folder_.PathOf("out"));
    CopyLinesToEnd(reader, writer);
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_TRUE(writer.IsOpen());
    EXPECT_TRUE(writer.Close());
    return folder_.Read("out");
  }

  TempFolder folder_;
};

struct CopyCase {
  std::string input;
  std::string output;
};

TEST_F(LineFileTest, CopyLinesToEndWritesTheTabledBytes) {
  const CopyCase cases[] = {
      {"", "\r\n"},
      {"\x1a", "\r\n"},
      {"A\r\nB\r\n", "A\r\nB\r\n\r\n"},
      {"A\nB\n", "A\r\nB\r\n\r\n"},
      {"A\r\nB", "A\r\nB\r\n"},
      {"\r\n", "\r\n\r\n"},
      {"A\r\nB\x1a"
       "C\r\n",
       "A\r\nB\r\n"},
      {"A\rB\n", "A\rB\r\n\r\n"},
      // Mixed line ends; a CR before CR LF stays in its line; a CR that the
      // content's end follows is an ordinary byte.
      {"A\nB\r\nC\r\r\n", "A\r\nB\r\nC\r\r\n\r\n"},
      {"A\r", "A\r\r\n"},
      {"A\r\x1a\n", "A\r\r\n"},
      // NUL and bytes above 0x7F pass unchanged.
      {"\0\xff\x80\n"s, "\0\xff\x80\r\n\r\n"s},
  };
  for (const CopyCase& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.input));
    EXPECT_EQ(Copy(c.input), c.output);
  }
}

TEST_F(LineFileTest, CopyingTheCopyAddsOneEmptyLineEachTime) {
  const std::string once = Copy("A\r\n");
  EXPECT_EQ(Copy(once), "A\r\n\r\n\r\n");
}

// The reads of one content, one row per read: what the line holder and the
// flags hold afterwards.
struct ReadStep {
  std::string line;
  bool end;
  bool fail;
};

struct ReadCase {
  std::string content;
  std::string holderBefore;
  std::vector<ReadStep> steps;
};

TEST_F(LineFileTest, ReadLineGivesTheFourOutcomes) {
  const ReadCase cases[] = {
      {"A\n", "", {{"A", false, false}, {"", true, true}, {"", true, true}}},
      {"A", "", {{"A", true, false}, {"A", true, true}}},
      {"", "kept", {{"", true, true}, {"", true, true}}},
      {"A\r\nB\nC", "", {{"A", false, false}, {"B", false, false}, {"C", true, false}}},
      {"\n\n", "x", {{"", false, false}, {"", false, false}, {"", true, true}}},
      {"AB\x1a\nC\n", "", {{"AB", true, false}, {"AB", true, true}}},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.content));
    LineReader reader(folder_.Write("in", c.content));
    std::string holder = c.holderBefore;
    for (const ReadStep& step : c.steps) {
      ReadLine(reader, holder);
      EXPECT_EQ(holder, step.line);
      EXPECT_EQ(reader.AtEnd(), step.end);
      EXPECT_EQ(reader.Failed(), step.fail);
    }
  }
}

TEST_F(LineFileTest, ReadAfterTheEndKeepsWhateverTheHolderHeld) {
  LineReader reader(folder_.Write("in", "A\n"));
  std::string holder;
  ReadLine(reader, holder);
  ReadLine(reader, holder);
  holder = "left by the caller";
  ReadLine(reader, holder);
  EXPECT_EQ(holder, "left by the caller");
  EXPECT_TRUE(reader.Failed());
}

TEST_F(LineFileTest, MissingFileGivesAReaderThatIsNotOpenAndFails) {
  LineReader reader(folder_.PathOf("nothing-here"));
  EXPECT_FALSE(reader.IsOpen());
  EXPECT_TRUE(reader.Failed());
  EXPECT_EQ(reader.OpenError(), "missing");
  std::string holder = "x";
  ReadLine(reader, holder);
  EXPECT_EQ(holder, "x");
}

TEST_F(LineFileTest, OpeningAWriterEmptiesTheFile) {
  folder_.Write("out", "old content\r\n");
  LineWriter writer(folder_.PathOf("out"));
  EXPECT_EQ(folder_.Read("out"), "");
  EXPECT_TRUE(writer.Close());
  EXPECT_EQ(folder_.Read("out"), "");
}

// The buffer boundary must not change a byte: a CR LF, a lone CR and a 0x1A
// placed at every position around the end of the first buffer.
TEST_F(LineFileTest, BufferBoundariesDoNotChangeTheBytes) {
  for (std::size_t offset = kLineFileBuffer - 3; offset <= kLineFileBuffer + 1; ++offset) {
    SCOPED_TRACE(offset);
    const std::string pad(offset, 'p');
    EXPECT_EQ(Copy(pad + "\r\nq"), pad + "\r\nq\r\n");
    EXPECT_EQ(Copy(pad + "\rq\n"), pad + "\rq\r\n\r\n");
    EXPECT_EQ(Copy(pad + "\r\r\n"), pad + "\r\r\n\r\n");
    EXPECT_EQ(Copy(pad + "\x1a"
                         "after\n"),
              pad + "\r\n");
  }
}

// Runs of short lines pass in bulk; the bytes around the end of the first
// buffer must come out as they would line by line. The content is many short
// lines, then a part line that reaches `offset`, then the tail.
struct BulkCase {
  const char* name;
  const char* lineEnd;  // of the short lines
  std::string tail;
  std::string tailOut;
};

TEST_F(LineFileTest, RunsOfLinesAcrossTheBufferEndKeepEveryByte) {
  const BulkCase cases[] = {
      {"CR LF lines, CR LF across the end", "\r\n", "\r\nq\r\n", "\r\nq\r\n\r\n"},
      {"LF lines, LF across the end", "\n", "\nq\n", "\r\nq\r\n\r\n"},
      {"lone CR at the end", "\r\n", "\rq\n", "\rq\r\n\r\n"},
      {"CR CR LF at the end", "\n", "\r\r\n", "\r\r\n\r\n"},
      {"empty LF lines at the end", "\r\n", "\n\n\r\n", "\r\n\r\n\r\n\r\n"},
      {"0x1A ends the content in the buffer", "\n", "\r\nz\x1a\r\nafter\n", "\r\nz\r\n"},
  };
  const std::string line = "key = 1.5";
  for (const BulkCase& c : cases) {
    for (std::size_t offset = kLineFileBuffer - 3; offset <= kLineFileBuffer + 1; ++offset) {
      SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(offset));
      std::string input;
      std::string output;
      while (input.size() + line.size() + 2 < offset - 4) {
        input += line + c.lineEnd;
        output += line + "\r\n";
      }
      const std::string part(offset - input.size(), 'p');
      EXPECT_EQ(Copy(input + part + c.tail), output + part + c.tailOut);
    }
  }
}

TEST_F(LineFileTest, LongLinePassesThroughInPiecesAndReadsWhole) {
  // Three buffers and a bit, with a CR LF in the middle of a piece.
  std::string first(3 * kLineFileBuffer + 17, 'x');
  first[kLineFileBuffer * 2] = '\r';
  const std::string input = first + "\r\nshort\r\n";
  EXPECT_EQ(Copy(input), input + "\r\n");

  LineReader reader(folder_.Write("in", input));
  std::string line;
  ReadLine(reader, line);
  EXPECT_EQ(line, first);
  EXPECT_FALSE(ReadLineHead(reader, line, 2));
  EXPECT_EQ(line, "sh");
  SkipLineRest(reader);
  ReadLine(reader, line);
  EXPECT_EQ(line, "");
  EXPECT_TRUE(reader.AtEnd());
}

TEST_F(LineFileTest, WriteLineEndsEveryLineWithCrLf) {
  LineWriter writer(folder_.PathOf("out"));
  WriteLine(writer, "A");
  WriteLine(writer, "");
  WriteLine(writer, "B");
  ASSERT_TRUE(writer.Close());
  EXPECT_EQ(folder_.Read("out"), "A\r\n\r\nB\r\n");
}

}  // namespace
