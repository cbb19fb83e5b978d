// What the text-form tests share: a database loaded from bytes, its dump,
// a dump read back, and the bytes the writer makes of a database.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "console/console.h"
#include "driver/scratch.h"
#include "format/record_loader.h"
#include "maintenance/info_files.h"
#include "maintenance/writer.h"
#include "textform/dump.h"

namespace campdb::textform_test {

inline std::string SamplePath(const std::string& name) { return std::string(CAMPDB_SOURCE_DIR) + "/examples/" + name; }

inline std::unique_ptr<Database> LoadSample(const std::string& name, Layout layout) {
  const auto bytes = testing::ReadFile(SamplePath(name));
  EXPECT_TRUE(bytes.has_value()) << name;
  return testdb::LoadBytes(bytes.value_or(""), layout == Layout::Ostrel ? testdb::Layout::Ostrel : testdb::Layout::Base);
}

inline std::string DumpOf(const Database& db) {
  ByteWriter out;
  WriteDump(db, out);
  return out.TakeBuffer();
}

// The dump read into `db`; the error, if it was refused, as "line: message".
inline std::optional<std::string> Restore(const std::string& text, Database& db,
                                          std::optional<Layout> layout = std::nullopt) {
  LineReader lines(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  const auto error = ReadDump(lines, db, layout);
  if (!error) return std::nullopt;
  return std::to_string(error->line) + ": " + error->message;
}

// What the writer makes of the database: every record, then the bytes the
// load did not take, as an Edit writes them.
inline std::string WrittenBytes(const Database& db) {
  ByteWriter out;
  InfoFiles info;
  std::istringstream nothing;
  std::ostringstream transcript;
  Console console(nothing, transcript);
  WriteRecords(db, out, info, console, db.unloaded);
  return out.TakeBuffer();
}

}  // namespace campdb::textform_test
