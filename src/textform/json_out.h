// The pieces of JSON the dump is made of, appended to a ByteWriter: member
// names, integers, byte strings and hex strings.
//
// A byte string is written so that every byte b is the code point U+00bb:
// printable ASCII stands for itself, the quote, the backslash and the
// control characters are escaped, and the bytes 0x80 to 0xFF become the two
// UTF-8 bytes of U+0080 to U+00FF. Any byte string, zero bytes included, is
// a JSON string that way and comes back exactly.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "format/byte_stream.h"

namespace campdb::textform {

class JsonOut {
 public:
  explicit JsonOut(ByteWriter& out) : out_(out) {}

  void Put(char c) { out_.WriteByte(static_cast<uint8_t>(c)); }
  void Put(std::string_view text) { out_.WriteRun(text); }

  // "name": (names are plain identifiers and need no escapes)
  void Key(std::string_view name) {
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

 private:
  ByteWriter& out_;
};

}  // namespace campdb::textform
