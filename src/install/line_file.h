#pragma once
// Line files: every file the install engine reads or writes goes through a
// LineReader or a LineWriter, with the same text rules on every platform.
//
// Reading:
//  - The content ends at the first 0x1A byte or at the physical end.
//    "41 1A 42" reads as the one line "A".
//  - An LF ends a line and is not part of it; a CR directly before that LF is
//    dropped with it. "41 0D 0A 42 0A" and "41 0A 42 0A" both read as A, B.
//  - Any other CR, NUL or other byte is an ordinary byte of its line:
//    "41 0D 42 0A" reads as the line "A\rB", "41 0D 0D 0A" as "A\r".
// Writing: every line end is written as CR LF.
//
// Files are read and written through fixed buffers of kLineFileBuffer bytes;
// no file is held whole in memory. The streaming calls (ReadLineHead,
// PassLine, ...) also keep a long line from being held whole.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "native_file.h"

// Large enough that a read or write call moves a good share of a megabyte and
// that whole runs of lines pass in one piece; small enough that the install
// (a few readers and writers open at once) stays within a few MiB.
constexpr std::size_t kLineFileBuffer = 1024 * 1024;
constexpr std::uint64_t kWriteBehindStep = 8 * 1024 * 1024;

class LineWriter;

// An input line file. Flags follow the read rules of ReadLine; a reader that
// failed to open has its fail flag set.
class LineReader {
 public:
  LineReader() = default;
  // Opens `path` (a real path). On failure the reader is not open, its fail
  // flag is set and OpenError() says why.
  explicit LineReader(const std::string& path);

  bool IsOpen() const { return file_.IsOpen(); }
  // True once a read ran into the end of the content. Also set when a read
  // error ended the content early, so every read loop ends; ReadError() then
  // tells it apart.
  bool AtEnd() const { return end_; }
  bool Failed() const { return fail_; }
  const std::string& OpenError() const { return openError_; }
  const std::string& ReadError() const { return readError_; }
  void Close() { file_.Close(); }

  // The fast way through a large file: when the next line and its LF already
  // sit in the buffer, takes that line, sets `line` to a view of it (valid
  // until the next read) and returns true; flags stay as they are. Otherwise
  // takes nothing and returns false, and ReadLine or ReadLineHead reads on.
  bool TakeBufferedLine(std::string_view& line);
  // The fastest way: every complete line that already sits in the buffer,
  // each with its line end as read (LF or CR LF), for the caller to pass on
  // in bulk; empty when the buffer holds no complete line (or when the end,
  // a failure or an open line stops reading). Valid until the next read; the
  // caller takes the lines it used with Consume.
  std::string_view BufferedLines() const;
  // Takes the first `count` bytes of what BufferedLines gave.
  void Consume(std::size_t count) { pos_ += count; }

 private:
  enum class Stop { kLineEnd, kContentEnd, kLimit };
  template <class Sink>
  Stop Scan(Sink&& sink, std::size_t limit, bool& took);
  bool Refill();
  bool BeginRead();
  void EndRead(Stop stop, bool took);

  friend void ReadLine(LineReader& reader, std::string& line);
  friend bool ReadLineHead(LineReader& reader, std::string& head, std::size_t limit);
  friend void PassLineRest(LineReader& reader, LineWriter& writer);
  friend void SkipLineRest(LineReader& reader);

  NativeFile file_;
  std::unique_ptr<char[]> buffer_;
  std::size_t pos_ = 0;        // next unread byte of buffer_
  std::size_t filled_ = 0;     // end of the bytes in buffer_
  bool contentEnded_ = false;  // nothing more comes from the file
  bool lineOpen_ = false;      // ReadLineHead left the rest of a line unread
  bool end_ = false;
  bool fail_ = false;
  std::string openError_;
  std::string readError_;
};

// An output line file. Buffered: the file holds every line once Close or
// SyncAndClose returned true. After a failed write the writer drops every
// further line and WriteError() says why. A writer destroyed without a close
// drops what it still buffers: an abandoned output is never completed.
class LineWriter {
 public:
  LineWriter() = default;
  // Writes into a file that is already open (e.g. a temporary file).
  explicit LineWriter(NativeFile file);
  // Opens `path` (a real path), created when missing, emptied when present.
  explicit LineWriter(const std::string& path);

  bool IsOpen() const { return file_.IsOpen(); }
  bool Failed() const { return !writeError_.empty(); }
  const std::string& WriteError() const { return writeError_; }

  // Bytes of a line; no line end.
  void Write(std::string_view bytes) {
    if (buffer_ && bytes.size() <= kLineFileBuffer - used_ && writeError_.empty()) {
      std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
      used_ += bytes.size();
    } else {
      WriteThrough(bytes);
    }
  }
  // The end of a line: CR LF.
  void EndLine() { Write("\r\n"); }

  // For a file that will be synced: from now on, every kWriteBehindStep bytes
  // written start moving to the device while writing goes on, so that
  // SyncAndClose waits only for the last few.
  void WriteBehind() { writeBehind_ = true; }

  // Writes out the buffer and closes. True when every write and the close
  // succeeded; false on a writer that never opened.
  bool Close();
  // Like Close, with the data moved to the device before the close.
  bool SyncAndClose();

 private:
  bool Flush();
  bool WriteOut(const char* bytes, std::size_t count);
  void WriteThrough(std::string_view bytes);

  NativeFile file_;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
  bool writeBehind_ = false;
  std::uint64_t written_ = 0;   // bytes handed to the file
  std::uint64_t pushedTo_ = 0;  // end of the bytes whose write-back started
  std::string writeError_;
};

// Reads the next line into `line`:
//  - a line ended by a line end follows: its text; flags unchanged;
//  - a last line without a line end follows: its text; end flag set;
//  - nothing follows: `line` empty; end and fail flags set;
//  - the end or fail flag is already set: `line` unchanged; fail flag set.
void ReadLine(LineReader& reader, std::string& line);
// Writes the line's bytes and then CR LF.
void WriteLine(LineWriter& writer, std::string_view line);
// Writes complete lines as BufferedLines gives them, each with CR LF, up to
// the first line for which `stop(line)` is true (`line` without its line
// end). Returns the bytes of `lines` written: the offset of that line, or
// lines.size(). A run of lines that already end in CR LF is written in one
// piece; only a bare LF needs a CR added: "A\r\nB\nC\r\n" is written as the
// run "A\r\nB", CR LF, then the run "C\r\n".
template <class Stop>
std::size_t WriteLinesUntil(LineWriter& writer, std::string_view lines, Stop&& stop);
// Copies every line of `reader` to `writer`, then closes the reader (the
// writer stays open). The end test comes before each read, so a content that
// ends with a line end gains one empty line and an empty content becomes one
// empty line: "41 0D 0A" becomes "41 0D 0A 0D 0A", "" becomes "0D 0A".
// Long lines are passed through in pieces.
void CopyLinesToEnd(LineReader& reader, LineWriter& writer);

// The streaming form of ReadLine, for lines that may be long: reads the next
// line like ReadLine but keeps at most `limit` (> 0) bytes of it in `head`.
// Returns true when `head` holds the whole line; otherwise the rest of the
// line waits for PassLineRest or SkipLineRest. Flags change as ReadLine would
// change them, once the whole line has been read.
bool ReadLineHead(LineReader& reader, std::string& head, std::size_t limit);
// Writes the unread rest of the current line (no line end).
void PassLineRest(LineReader& reader, LineWriter& writer);
// Drops the unread rest of the current line.
void SkipLineRest(LineReader& reader);
// Reads the next line and writes it with its CR LF, never holding it whole.
// `scratch` is a caller-owned holder reused between calls.
void PassLine(LineReader& reader, LineWriter& writer, std::string& scratch);

template <class Stop>
std::size_t WriteLinesUntil(LineWriter& writer, std::string_view lines, Stop&& stop) {
  const char* const bytes = lines.data();
  std::size_t runStart = 0;
  std::size_t lineStart = 0;
  while (lineStart < lines.size()) {
    const void* found = std::memchr(bytes + lineStart, '\n', lines.size() - lineStart);
    const std::size_t lf = static_cast<std::size_t>(static_cast<const char*>(found) - bytes);
    const bool crLf = lf > lineStart && bytes[lf - 1] == '\r';
    if (stop(std::string_view(bytes + lineStart, lf - lineStart - (crLf ? 1 : 0)))) {
      writer.Write(lines.substr(runStart, lineStart - runStart));
      return lineStart;
    }
    if (!crLf) {
      writer.Write(lines.substr(runStart, lf - runStart));
      writer.EndLine();
      runStart = lf + 1;
    }
    lineStart = lf + 1;
  }
  writer.Write(lines.substr(runStart));
  return lines.size();
}
