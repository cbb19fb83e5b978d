#include "json/json_writer.h"

#include <array>

namespace campdb {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

// Bytes that stand for themselves inside a JSON string: printable ASCII
// other than the quote and the backslash.
constexpr std::array<bool, 256> MakePlainTable() {
  std::array<bool, 256> plain{};
  for (int b = 0x20; b < 0x7F; ++b) plain[static_cast<size_t>(b)] = b != '"' && b != '\\';
  return plain;
}
constexpr std::array<bool, 256> kPlain = MakePlainTable();

// Two hex digits per byte, looked up at once.
constexpr std::array<std::array<char, 2>, 256> MakeHexTable() {
  std::array<std::array<char, 2>, 256> table{};
  for (size_t b = 0; b < 256; ++b) table[b] = {kHexDigits[b >> 4], kHexDigits[b & 15]};
  return table;
}
constexpr std::array<std::array<char, 2>, 256> kHexPairs = MakeHexTable();

// The length of the valid UTF-8 sequence that starts text[at], or 0.
size_t Utf8Length(std::string_view text, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  size_t length = 0;
  uint32_t low = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    low = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    low = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    low = 0x10000;
  } else {
    return 0;
  }
  if (text.size() - at < length) return 0;
  uint32_t code = lead & (0x3F >> (length - 1));
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    code = code << 6 | (byte(at + i) & 0x3F);
  }
  // No overlong forms, no surrogates, nothing past U+10FFFF.
  if (code < low || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return 0;
  return length;
}

}  // namespace

void JsonWriter::Bytes(Text bytes) {
  Put('"');
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  const auto* end = p + bytes.size();
  while (p < end) {
    // The longest stretch that needs no escape goes out in one piece.
    const auto* plain = p;
    while (p < end && kPlain[*p]) ++p;
    if (p > plain) out_.WriteBytes(plain, static_cast<size_t>(p - plain));
    if (p == end) break;
    const uint8_t b = *p++;
    switch (b) {
      case '"': Put("\\\""); break;
      case '\\': Put("\\\\"); break;
      case '\b': Put("\\b"); break;
      case '\f': Put("\\f"); break;
      case '\n': Put("\\n"); break;
      case '\r': Put("\\r"); break;
      case '\t': Put("\\t"); break;
      default:
        if (b >= 0x80) {
          // U+0080 .. U+00FF in UTF-8.
          const uint8_t pair[2] = {static_cast<uint8_t>(0xC0 | (b >> 6)), static_cast<uint8_t>(0x80 | (b & 0x3F))};
          out_.WriteBytes(pair, 2);
        } else {
          // The other control characters, and DEL.
          const char escape[6] = {'\\', 'u', '0', '0', kHexDigits[b >> 4], kHexDigits[b & 15]};
          Put(std::string_view(escape, 6));
        }
    }
  }
  Put('"');
}

void JsonWriter::Hex(const uint8_t* data, size_t size) {
  Put('"');
  // In pieces through a small buffer, so that a long run (a large tail, the
  // bytes a load could not take) is never held twice over in memory.
  char buffer[4096];
  size_t fill = 0;
  for (size_t i = 0; i < size; ++i) {
    buffer[fill] = kHexPairs[data[i]][0];
    buffer[fill + 1] = kHexPairs[data[i]][1];
    fill += 2;
    if (fill == sizeof buffer) {
      Put(std::string_view(buffer, fill));
      fill = 0;
    }
  }
  Put(std::string_view(buffer, fill));
  Put('"');
}

void JsonWriter::Open(char bracket) {
  BeforeValue();
  Put(bracket);
  filled_.push_back(false);
}

void JsonWriter::Close(char bracket) {
  const bool filled = filled_.back();
  filled_.pop_back();
  if (filled && style_ == Style::Indented) {
    Put('\n');
    Indent();
  }
  Put(bracket);
}

void JsonWriter::Key(std::string_view key) {
  if (filled_.back()) Put(',');
  filled_.back() = true;
  if (style_ == Style::Indented) {
    Put('\n');
    Indent();
  }
  Utf8(key);
  Put(style_ == Style::Indented ? std::string_view(": ") : std::string_view(":"));
  afterKey_ = true;
}

void JsonWriter::BeforeValue() {
  if (afterKey_ || filled_.empty()) {
    afterKey_ = false;
    return;
  }
  if (filled_.back()) Put(',');
  filled_.back() = true;
  if (style_ == Style::Indented) {
    Put('\n');
    Indent();
  }
}

void JsonWriter::Indent() {
  for (size_t i = 0; i < filled_.size(); ++i) Put("  ");
}

void JsonWriter::String(std::string_view text) {
  BeforeValue();
  Utf8(text);
}

void JsonWriter::Number(int64_t number) {
  BeforeValue();
  Int(number);
}

void JsonWriter::Bool(bool value) {
  BeforeValue();
  Put(value ? std::string_view("true") : std::string_view("false"));
}

void JsonWriter::Null() {
  BeforeValue();
  Put("null");
}

void JsonWriter::Utf8(std::string_view text) {
  Put('"');
  size_t plain = 0;  // start of the run of bytes that need no escape
  const auto flush = [&](size_t upTo) { Put(text.substr(plain, upTo - plain)); };
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c != '"' && c != '\\' && c < 0x80) {
      ++i;
      continue;
    }
    if (c >= 0x80) {
      if (const size_t length = Utf8Length(text, i)) {
        i += length;
        continue;
      }
    }
    flush(i);
    if (c == '"' || c == '\\') {
      Put('\\');
      Put(static_cast<char>(c));
    } else if (c == '\n') {
      Put("\\n");
    } else if (c == '\t') {
      Put("\\t");
    } else if (c < 0x20) {
      const char escape[6] = {'\\', 'u', '0', '0', kHexDigits[c >> 4], kHexDigits[c & 15]};
      Put(std::string_view(escape, 6));
    } else {
      Put("\\ufffd");
    }
    plain = ++i;
  }
  flush(text.size());
  Put('"');
}

}  // namespace campdb
