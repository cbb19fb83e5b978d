// A scripted console for editor tests: the operator's answers come from a
// string, everything the editor prints is collected for checking.
#pragma once

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "console/console.h"
#include "format/byte_stream.h"

namespace campdb::testing {

inline constexpr const char* kEndNotice = "End of input, leaving the editor";

struct EditorSession {
  explicit EditorSession(std::string input) : in(std::move(input)), console(in, out) {
    console.SetEndNotice(kEndNotice);
  }

  std::string Transcript() const { return out.str(); }

  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    std::istringstream text(out.str());
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
  }

  size_t Count(const std::string& line) const {
    const auto lines = Lines();
    return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
  }

  bool Has(const std::string& line) const { return Count(line) > 0; }

  std::istringstream in;
  std::ostringstream out;
  Console console;
};

// The bytes a record's Write produces.
template <typename Record>
std::string WrittenBytes(const Record& record) {
  ByteWriter out;
  record.Write(out);
  return out.TakeBuffer();
}

// The reader refers to the string's bytes, which must outlive it.
inline ByteReader ReaderOver(const std::string& bytes) {
  return ByteReader({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
}

// Both size words of a written record equal the bytes that follow them.
template <typename Record>
void ExpectSizesTrue(const Record& record) {
  const std::string bytes = WrittenBytes(record);
  ByteReader in = ReaderOver(bytes);
  const int64_t first = ReadInt32(in);
  const int64_t second = ReadInt32(in);
  EXPECT_EQ(first, static_cast<int64_t>(bytes.size()) - 8);
  EXPECT_EQ(second, first);
  EXPECT_EQ(record.ContentSize(), first);
}

}  // namespace campdb::testing
