#include "line_file.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>

namespace {

constexpr std::size_t kNoLimit = std::numeric_limits<std::size_t>::max();
constexpr char kContentEndByte = 0x1A;

}  // namespace

LineReader::LineReader(const std::string& path) {
  file_ = OpenForReading(path, openError_);
  if (!file_.IsOpen()) {
    fail_ = true;
    return;
  }
  buffer_.reset(new char[kLineFileBuffer]);
}

// Moves the unread bytes (at most one CR that waits for the byte after it) to
// the front and reads more behind them. A 0x1A byte or a read error ends the
// content there.
bool LineReader::Refill() {
  const std::size_t left = filled_ - pos_;
  if (left > 0 && pos_ > 0)
    std::memmove(buffer_.get(), buffer_.get() + pos_, left);
  pos_ = 0;
  filled_ = left;
  char* fresh = buffer_.get() + filled_;
  std::ptrdiff_t got = file_.Read(fresh, kLineFileBuffer - filled_, readError_);
  if (got <= 0) {
    contentEnded_ = true;
    return false;
  }
  if (const void* stop = std::memchr(fresh, kContentEndByte, static_cast<std::size_t>(got))) {
    got = static_cast<const char*>(stop) - fresh;
    contentEnded_ = true;
  }
  filled_ += static_cast<std::size_t>(got);
  return true;
}

// Hands the bytes of the current line to `sink` in pieces, up to `limit`
// bytes in all, and takes the line end. `took` becomes true when any byte
// (a line byte or the LF) was taken.
template <class Sink>
LineReader::Stop LineReader::Scan(Sink&& sink, std::size_t limit, bool& took) {
  std::size_t taken = 0;
  for (;;) {
    if (filled_ - pos_ <= 1 && !contentEnded_)
      Refill();
    if (pos_ == filled_)
      return Stop::kContentEnd;
    const char* start = buffer_.get() + pos_;
    const std::size_t available = filled_ - pos_;
    const char* lf = static_cast<const char*>(std::memchr(start, '\n', available));
    const std::size_t length = lf != nullptr ? static_cast<std::size_t>(lf - start) : available;
    std::size_t keep = length;
    // A CR right before the LF goes with the line end. A CR at the end of the
    // bytes read so far stays unread until the byte after it is known.
    if (length > 0 && start[length - 1] == '\r' && (lf != nullptr || !contentEnded_))
      --keep;
    if (keep > limit - taken) {
      const std::size_t part = limit - taken;
      sink(start, part);
      pos_ += part;
      took = true;
      return Stop::kLimit;
    }
    sink(start, keep);
    taken += keep;
    if (lf != nullptr) {
      pos_ += length + 1;
      took = true;
      return Stop::kLineEnd;
    }
    if (keep > 0)
      took = true;
    pos_ += keep;
  }
}

bool LineReader::TakeBufferedLine(std::string_view& line) {
  if (lineOpen_ || end_ || fail_ || pos_ == filled_)
    return false;
  const char* start = buffer_.get() + pos_;
  const char* lf = static_cast<const char*>(std::memchr(start, '\n', filled_ - pos_));
  if (lf == nullptr)
    return false;
  const std::size_t length = static_cast<std::size_t>(lf - start);
  line = std::string_view(start, length > 0 && start[length - 1] == '\r' ? length - 1 : length);
  pos_ += length + 1;
  return true;
}

std::string_view LineReader::BufferedLines() const {
  if (lineOpen_ || end_ || fail_)
    return {};
  // The last LF is near the end unless the buffer holds the middle of a long
  // line, which is scanned once here and then streamed by the caller.
  const char* const start = buffer_.get() + pos_;
  for (std::size_t length = filled_ - pos_; length > 0; --length) {
    if (start[length - 1] == '\n')
      return std::string_view(start, length);
  }
  return {};
}

bool LineReader::BeginRead() {
  if (lineOpen_)
    SkipLineRest(*this);
  if (end_ || fail_) {
    fail_ = true;
    return false;
  }
  return true;
}

void LineReader::EndRead(Stop stop, bool took) {
  lineOpen_ = stop == Stop::kLimit;
  if (stop != Stop::kContentEnd)
    return;
  end_ = true;
  if (!took)
    fail_ = true;
}

void ReadLine(LineReader& reader, std::string& line) {
  if (!reader.BeginRead())
    return;
  line.clear();
  bool took = false;
  auto append = [&line](const char* bytes, std::size_t count) { line.append(bytes, count); };
  const LineReader::Stop stop = reader.Scan(append, kNoLimit, took);
  reader.EndRead(stop, took);
}

bool ReadLineHead(LineReader& reader, std::string& head, std::size_t limit) {
  if (!reader.BeginRead())
    return true;
  head.clear();
  bool took = false;
  auto append = [&head](const char* bytes, std::size_t count) { head.append(bytes, count); };
  const LineReader::Stop stop = reader.Scan(append, limit, took);
  reader.EndRead(stop, took);
  return !reader.lineOpen_;
}

void PassLineRest(LineReader& reader, LineWriter& writer) {
  if (!reader.lineOpen_)
    return;
  bool took = true;
  auto write = [&writer](const char* bytes, std::size_t count) {
    writer.Write(std::string_view(bytes, count));
  };
  const LineReader::Stop stop = reader.Scan(write, kNoLimit, took);
  reader.EndRead(stop, took);
}

void SkipLineRest(LineReader& reader) {
  if (!reader.lineOpen_)
    return;
  bool took = true;
  auto drop = [](const char*, std::size_t) {};
  reader.lineOpen_ = false;
  const LineReader::Stop stop = reader.Scan(drop, kNoLimit, took);
  reader.EndRead(stop, took);
}

void PassLine(LineReader& reader, LineWriter& writer, std::string& scratch) {
  if (!ReadLineHead(reader, scratch, kLineFileBuffer)) {
    writer.Write(scratch);
    PassLineRest(reader, writer);
  } else {
    writer.Write(scratch);
  }
  writer.EndLine();
}

void WriteLine(LineWriter& writer, std::string_view line) {
  writer.Write(line);
  writer.EndLine();
}

void CopyLinesToEnd(LineReader& reader, LineWriter& writer) {
  std::string scratch;
  auto never = [](std::string_view) { return false; };
  while (reader.IsOpen() && !reader.AtEnd()) {
    const std::string_view lines = reader.BufferedLines();
    if (!lines.empty()) {
      reader.Consume(WriteLinesUntil(writer, lines, never));
    } else {
      // A line that runs past the buffer, or the last line.
      PassLine(reader, writer, scratch);
    }
  }
  reader.Close();
}

LineWriter::LineWriter(NativeFile file) : file_(std::move(file)) {
  if (file_.IsOpen())
    buffer_.reset(new char[kLineFileBuffer]);
}

LineWriter::LineWriter(const std::string& path) {
  std::string error;
  file_ = OpenForWriting(path, error);
  if (file_.IsOpen()) {
    buffer_.reset(new char[kLineFileBuffer]);
  } else {
    writeError_ = error;
  }
}

// The slow half of Write: the buffer is full, or the writer not open or failed.
void LineWriter::WriteThrough(std::string_view bytes) {
  if (!file_.IsOpen() || Failed())
    return;
  if (bytes.size() > kLineFileBuffer - used_) {
    if (!Flush())
      return;
    // A piece that would fill much of the empty buffer goes to the file
    // directly, saving the copy.
    if (bytes.size() >= kLineFileBuffer / 2) {
      WriteOut(bytes.data(), bytes.size());
      return;
    }
  }
  std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
  used_ += bytes.size();
}

bool LineWriter::Flush() {
  const std::size_t count = std::exchange(used_, 0);
  return count == 0 || WriteOut(buffer_.get(), count);
}

bool LineWriter::WriteOut(const char* bytes, std::size_t count) {
  if (!file_.WriteAll(bytes, count, writeError_))
    return false;
  written_ += count;
  if (writeBehind_ && written_ - pushedTo_ >= kWriteBehindStep) {
    file_.StartWriteBack(pushedTo_, written_ - pushedTo_);
    pushedTo_ = written_;
  }
  return true;
}

bool LineWriter::Close() {
  if (!file_.IsOpen())
    return false;
  const bool written = !Failed() && Flush();
  std::string closeError;
  const bool closed = file_.CloseChecked(closeError);
  if (written && !closed)
    writeError_ = closeError;
  return written && closed;
}

bool LineWriter::SyncAndClose() {
  if (!file_.IsOpen())
    return false;
  if (Failed() || !Flush()) {
    file_.Close();
    return false;
  }
  return file_.SyncAndClose(writeError_);
}
