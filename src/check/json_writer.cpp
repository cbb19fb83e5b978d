#include "check/json_writer.h"

#include <charconv>

namespace campdb {

namespace {

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

void JsonWriter::Open(char bracket) {
  BeforeValue();
  out_ << bracket;
  filled_.push_back(false);
}

void JsonWriter::Close(char bracket) {
  const bool filled = filled_.back();
  filled_.pop_back();
  if (filled) {
    out_ << '\n';
    Indent();
  }
  out_ << bracket;
}

void JsonWriter::Key(std::string_view key) {
  if (filled_.back()) out_ << ',';
  filled_.back() = true;
  out_ << '\n';
  Indent();
  Escaped(key);
  out_ << ": ";
  afterKey_ = true;
}

void JsonWriter::BeforeValue() {
  if (afterKey_ || filled_.empty()) {
    afterKey_ = false;
    return;
  }
  if (filled_.back()) out_ << ',';
  filled_.back() = true;
  out_ << '\n';
  Indent();
}

void JsonWriter::Indent() {
  for (size_t i = 0; i < filled_.size(); ++i) out_ << "  ";
}

void JsonWriter::String(std::string_view text) {
  BeforeValue();
  Escaped(text);
}

void JsonWriter::Number(int64_t number) {
  BeforeValue();
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
  out_.write(digits, end - digits);
}

void JsonWriter::Bool(bool value) {
  BeforeValue();
  out_ << (value ? "true" : "false");
}

void JsonWriter::Null() {
  BeforeValue();
  out_ << "null";
}

void JsonWriter::Escaped(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out_ << '"';
  size_t plain = 0;  // start of the run of bytes that need no escape
  const auto flush = [&](size_t upTo) { out_.write(text.data() + plain, static_cast<std::streamsize>(upTo - plain)); };
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
      out_ << '\\' << static_cast<char>(c);
    } else if (c == '\n') {
      out_ << "\\n";
    } else if (c == '\t') {
      out_ << "\\t";
    } else if (c < 0x20) {
      out_ << "\\u00" << kHex[c >> 4] << kHex[c & 0xF];
    } else {
      out_ << "\\ufffd";
    }
    plain = ++i;
  }
  flush(text.size());
  out_ << '"';
}

}  // namespace campdb
