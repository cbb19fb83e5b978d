// Reads a text file one line at a time through a buffer of its own, never
// through a mapping and never whole. Each line is handed out with at least
// kLinePadding readable bytes after its end, which the JSON parser reads
// ahead into.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace campdb {

class LineReader {
 public:
  static constexpr size_t kLinePadding = 64;

  // Lines of the file open as `fd` (not closed here). A regular file's
  // lines can be as long as the file; other files' lines are held to
  // `streamLimit` bytes, so that an endless stream without line feeds is
  // refused rather than read until memory runs out.
  explicit LineReader(int fd, bool regular = true);
  // Lines of bytes in memory, which must outlive the reader.
  explicit LineReader(std::span<const uint8_t> bytes);
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  enum class Result { Line, End, Error, TooLong };
  // The next line, without its line feed (a last line without one counts
  // too). Error: the file could not be read (Reason() says why); TooLong:
  // the next line is longer than may be held.
  Result Next(std::string_view& line);
  // The number of the line last handed out, 1 for the first.
  int64_t LineNumber() const { return lineNumber_; }
  const std::string& Reason() const { return reason_; }

  static constexpr size_t kLongestStreamedLine = size_t{256} << 20;
  // No line can be longer than the JSON parser takes.
  static constexpr size_t kLongestLine = (size_t{1} << 32) - 1 - kLinePadding;

 private:
  // Adds more of the input after what the buffer holds; 0 at the end,
  // -1 on an error.
  int64_t Fill();

  int fd_ = -1;
  std::span<const uint8_t> memory_;
  size_t memoryUsed_ = 0;
  size_t longest_ = kLongestLine;

  std::unique_ptr<char[]> buffer_;
  size_t capacity_ = 0;  // usable bytes, padding not counted
  size_t begin_ = 0;     // where the next line starts
  size_t end_ = 0;       // end of the bytes read
  bool ended_ = false;
  int64_t lineNumber_ = 0;
  std::string reason_;
};

}  // namespace campdb
