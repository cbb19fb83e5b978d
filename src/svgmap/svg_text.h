// Writing SVG markup into a ByteWriter: markup as it stands, decimal
// numbers, and texts from the database, which are arbitrary bytes and are
// made into character data that every XML parser accepts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

#include "format/byte_stream.h"

namespace campdb {

// Appends `bytes` as XML character data. The markup characters & < > and "
// become entities; well-formed UTF-8 of a character that XML allows (tab,
// line feed and carriage return among the controls) is kept as it is; every
// other byte (a control, a byte that is no part of a well-formed UTF-8
// sequence, an encoded surrogate, U+FFFE or U+FFFF) becomes U+FFFD, the
// replacement character. At most `limit` characters are written; a longer
// text is cut there and ends in an ellipsis.
void WriteXmlText(ByteWriter& out, Text bytes, size_t limit);

// A number of hundredths, written as a decimal fraction: 231 is "2.31".
struct Hundredths {
  int64_t value;
};

class SvgOut {
 public:
  explicit SvgOut(ByteWriter& out) : out_(out) {}

  SvgOut& operator<<(std::string_view markup) {
    out_.WriteRun(markup);
    return *this;
  }
  SvgOut& operator<<(const char* markup) { return *this << std::string_view(markup); }
  template <typename T>
    requires(std::is_integral_v<T> && !std::is_same_v<T, char> && !std::is_same_v<T, bool>)
  SvgOut& operator<<(T value) {
    WriteNumber(static_cast<int64_t>(value));
    return *this;
  }
  SvgOut& operator<<(Hundredths number);

  // Text from the file, escaped, at most `limit` characters.
  SvgOut& Escaped(Text text, size_t limit) {
    WriteXmlText(out_, text, limit);
    return *this;
  }

 private:
  void WriteNumber(int64_t value);

  ByteWriter& out_;
};

}  // namespace campdb
