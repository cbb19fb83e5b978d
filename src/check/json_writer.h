// Writes one JSON document to a stream as it goes, indented two spaces a
// level. Texts are written as UTF-8: valid UTF-8 passes unchanged, control
// characters, quotes and backslashes are escaped, and a byte that is not
// part of valid UTF-8 becomes U+FFFD, so the document is always valid JSON.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string_view>
#include <vector>

namespace campdb {

class JsonWriter {
 public:
  explicit JsonWriter(std::ostream& out) : out_(out) {}

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

  // Ends the document with a line feed.
  void Finish() { out_ << '\n'; }

 private:
  void Open(char bracket);
  void Close(char bracket);
  // Before a value: the comma and line break an array element needs.
  void BeforeValue();
  void Indent();
  void Escaped(std::string_view text);

  std::ostream& out_;
  // Per open object or array: whether it has a member yet.
  std::vector<bool> filled_;
  bool afterKey_ = false;
};

}  // namespace campdb
