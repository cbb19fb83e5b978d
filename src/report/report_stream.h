// The report file as the report sections see it: text pieces, database
// strings copied as raw bytes, and numbers in plain decimal. Nothing is
// added or translated.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "format/byte_stream.h"

namespace campdb {

class ReportStream {
 public:
  ReportStream() = default;
  explicit ReportStream(ByteSink* sink) : out_(sink) {}

  ReportStream& operator<<(std::string_view text) {
    out_.WriteRun(text);
    return *this;
  }
  ReportStream& operator<<(const char* text) { return *this << std::string_view(text); }
  ReportStream& operator<<(const std::string& text) { return *this << std::string_view(text); }
  ReportStream& operator<<(int32_t value) { return *this << static_cast<int64_t>(value); }
  ReportStream& operator<<(int64_t value);
  // A character or a flag is not a number: print a text, or say which number.
  ReportStream& operator<<(char) = delete;
  ReportStream& operator<<(signed char) = delete;
  ReportStream& operator<<(unsigned char) = delete;
  ReportStream& operator<<(bool) = delete;
  // One raw byte, written as it is.
  void Byte(uint8_t b) { out_.WriteByte(b); }
  // A line end.
  void EndLine() { out_.WriteByte('\n'); }

  bool Flush() { return out_.Flush(); }
  bool Failed() const { return out_.Failed(); }
  // Everything written so far, when the stream has no sink.
  const std::string& Text() const { return out_.Buffer(); }

 private:
  ByteWriter out_;
};

}  // namespace campdb
