#include "svgmap/svg_text.h"

#include <charconv>

namespace campdb {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::string_view kEllipsis = "\xE2\x80\xA6";     // U+2026

bool IsContinuation(uint8_t byte) { return (byte & 0xC0) == 0x80; }

// The length of the well-formed UTF-8 sequence of an allowed character that
// begins at `at`, or 0 when the byte there begins none.
size_t AllowedSequence(Text bytes, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(bytes[at + i]); };
  const size_t left = bytes.size() - at;
  const uint8_t lead = byte(0);
  if (lead < 0x80) return lead >= 0x20 || lead == '\t' || lead == '\n' || lead == '\r' ? 1 : 0;
  // Each lead byte allows a narrower range for the byte after it: that
  // excludes overlong forms, the surrogates and code points past U+10FFFF.
  size_t length = 0;
  uint8_t low = 0x80;
  uint8_t high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (left < length || byte(1) < low || byte(1) > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (!IsContinuation(byte(i))) return 0;
  }
  // U+FFFE and U+FFFF are no characters of XML.
  if (length == 3 && lead == 0xEF && byte(1) == 0xBF && byte(2) >= 0xBE) return 0;
  return length;
}

// Printable ASCII other than the markup characters, which most texts are
// made of alone and which are copied in runs.
bool IsPlain(char c) { return c >= 0x20 && c < 0x7F && c != '&' && c != '<' && c != '>' && c != '"'; }

}  // namespace

void WriteXmlText(ByteWriter& out, Text bytes, size_t limit) {
  size_t at = 0;
  size_t written = 0;
  while (at < bytes.size()) {
    if (written == limit) {
      out.WriteRun(kEllipsis);
      return;
    }
    size_t plain = at;
    while (plain < bytes.size() && written < limit && IsPlain(bytes[plain])) {
      ++plain;
      ++written;
    }
    if (plain > at) {
      out.WriteRun(bytes.substr(at, plain - at));
      at = plain;
      continue;
    }
    const size_t length = AllowedSequence(bytes, at);
    ++written;
    if (length == 0) {
      out.WriteRun(kReplacement);
      ++at;
      continue;
    }
    switch (bytes[at]) {
      case '&': out.WriteRun("&amp;"); break;
      case '<': out.WriteRun("&lt;"); break;
      case '>': out.WriteRun("&gt;"); break;
      case '"': out.WriteRun("&quot;"); break;
      default: out.WriteRun(bytes.substr(at, length)); break;
    }
    at += length;
  }
}

SvgOut& SvgOut::operator<<(Hundredths number) {
  int64_t value = number.value;
  if (value < 0) {
    out_.WriteRun("-");
    value = -value;
  }
  WriteNumber(value / 100);
  const int64_t fraction = value % 100;
  if (fraction != 0) {
    const char digits[3] = {'.', static_cast<char>('0' + fraction / 10), static_cast<char>('0' + fraction % 10)};
    out_.WriteRun(std::string_view(digits, fraction % 10 == 0 ? 2 : 3));
  }
  return *this;
}

void SvgOut::WriteNumber(int64_t value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  out_.WriteRun(std::string_view(digits, static_cast<size_t>(result.ptr - digits)));
}

}  // namespace campdb
