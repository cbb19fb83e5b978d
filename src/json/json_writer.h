// The one JSON writer of every output: the dump and the change sets (one
// compact object a line) and the check's document (indented two spaces a
// level), appended to a ByteWriter as they are made.
//
// Two kinds of text go into strings:
//   String(text)  text meant to be read as UTF-8: valid UTF-8 passes
//                 unchanged, a byte that is not part of it becomes U+FFFD, so
//                 the output is always valid JSON;
//   Bytes(bytes)  bytes of the database, one code point per byte: byte b is
//                 U+00bb (printable ASCII stands for itself, the bytes 0x80
//                 to 0xFF become the two UTF-8 bytes of U+0080 to U+00FF), so
//                 that any byte string, zero bytes included, comes back
//                 exactly.
// Both escape the quote, the backslash and the control characters.
//
// Structure is written either through BeginObject/Key/value/EndObject, which
// place the commas (and, indented, the line breaks) themselves, or, where
// speed matters and the caller places its own commas (the dump's walker),
// through the raw pieces: Put, RawKey, Int, Bytes, Hex.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string_view>
#include <vector>

#include "format/byte_stream.h"

namespace campdb {

class JsonWriter {
 public:
  enum class Style { Compact, Indented };

  explicit JsonWriter(ByteWriter& out, Style style = Style::Compact) : out_(out), style_(style) {}

  // --- structure -------------------------------------------------------------
  void BeginObject() { Open('{'); }
  void EndObject() { Close('}'); }
  void BeginArray() { Open('['); }
  void EndArray() { Close(']'); }
  // The key of the next member of the object being written.
  void Key(std::string_view key);

  void String(std::string_view text);
  void Number(int64_t number);
  void Bool(bool value);
  void Null();
  template <class T>
  void Optional(const std::optional<T>& value) {
    if (value) {
      Number(static_cast<int64_t>(*value));
    } else {
      Null();
    }
  }
  // A value of the database's bytes, one code point per byte.
  void ByteString(Text bytes) {
    BeforeValue();
    Bytes(bytes);
  }
  void HexString(Text bytes) {
    BeforeValue();
    Hex(bytes);
  }
  // A value that is already JSON text.
  void Raw(std::string_view json) {
    BeforeValue();
    Put(json);
  }
  // Ends a line (or the document) with a line feed.
  void Finish() { Put('\n'); }

  // --- raw pieces --------------------------------------------------------------
  void Put(char c) { out_.WriteByte(static_cast<uint8_t>(c)); }
  void Put(std::string_view text) { out_.WriteRun(text); }

  // "name": (names are plain identifiers and need no escapes)
  void RawKey(std::string_view name) {
    Put('"');
    Put(name);
    Put("\":");
  }

  void Int(int64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out_.WriteRun(std::string_view(digits, static_cast<size_t>(end - digits)));
  }

  // A JSON string holding `bytes`, one code point per byte.
  void Bytes(Text bytes);

  // A JSON string of lowercase hex digits, two per byte.
  void Hex(const uint8_t* data, size_t size);
  void Hex(Text bytes) { Hex(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()); }

  ByteWriter& Out() { return out_; }

 private:
  void Open(char bracket);
  void Close(char bracket);
  // Before a value: the comma (and line break) an array element needs.
  void BeforeValue();
  void Indent();
  void Utf8(std::string_view text);

  ByteWriter& out_;
  Style style_;
  // Per open object or array: whether it has a member yet.
  std::vector<bool> filled_;
  bool afterKey_ = false;
};

// Hands what a ByteWriter gathers to a stream, in the writer's blocks.
class StreamSink final : public ByteSink {
 public:
  explicit StreamSink(std::ostream& out) : out_(out) {}
  bool Put(const char* data, size_t size) override {
    out_.write(data, static_cast<std::streamsize>(size));
    return static_cast<bool>(out_);
  }

 private:
  std::ostream& out_;
};

}  // namespace campdb
