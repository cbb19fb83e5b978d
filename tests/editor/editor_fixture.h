// What the editor tests share: a console answering from a script, and a
// database composed field by field (tests/support) and loaded by the format
// library, so that an editor works on records whose texts lie in the input
// as they do in a run.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "console/console.h"
#include "editor/editors.h"
#include "format/database.h"
#include "format/fields.h"
#include "format/record_loader.h"
#include "support/db_builder.h"

namespace campdb::testing {

inline const std::string kEndNotice = "End of input, leaving the editor";

// A console answering from a script, keeping its transcript and its
// diagnostics. The end notice is armed as the edit menu arms it.
struct Script {
  explicit Script(std::string input) : in(std::move(input)), console(in, out, &err) {
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
  bool Shows(const std::string& part) const { return out.str().find(part) != std::string::npos; }
  std::string LastLine() const {
    const auto lines = Lines();
    return lines.empty() ? std::string() : lines.back();
  }

  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
  Console console;
};

// A composed database, loaded.
struct Loaded {
  explicit Loaded(const testdb::Database& composed, testdb::Layout layout = testdb::Layout::Base)
      : bytes(testdb::ToBytes(composed, layout)), db(testdb::LoadBytes(bytes, layout)) {}

  EditContext Context(Console& console) { return {console, db->layout, db->facts, db->store}; }
  // The input the database was loaded from, as the database holds it.
  std::string Source() const {
    const auto input = db->source.Bytes();
    return std::string(reinterpret_cast<const char*>(input.data()), input.size());
  }
  template <class Record>
  Record& Object(size_t index) {
    return std::get<Record>(db->EditObject(static_cast<int64_t>(index)));
  }

  testdb::Bytes bytes;
  std::unique_ptr<Database> db;
};

// A ship composed alone in a database, its bytes, and the ship loaded.
struct LoadedShip {
  explicit LoadedShip(const testdb::Ship& composed) : bytes(testdb::ToBytes(composed)), loaded(Alone(composed)) {}
  static testdb::Database Alone(const testdb::Ship& composed) {
    testdb::Database d;
    d.Add(composed);
    return d;
  }
  tShip& ship() { return loaded.Object<tShip>(0); }

  testdb::Bytes bytes;
  Loaded loaded;
};

// The bytes a record's writer produces, size words and tag included.
template <class Record>
std::string Written(const Record& record, Layout layout = Layout::Base) {
  ByteWriter out;
  WriteRecord(out, record, layout);
  return out.TakeBuffer();
}

// Both declared sizes count exactly the bytes the writer puts after them.
template <class Record>
void ExpectSizesTrue(const Record& record, Layout layout = Layout::Base) {
  EXPECT_EQ(record.head.declaredSize, RecordSize(record, layout));
  EXPECT_EQ(record.head.declaredSize2, record.head.declaredSize);
}

}  // namespace campdb::testing
