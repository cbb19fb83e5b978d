// Feeds arbitrary bytes to the writer of campdb --sqlite: the first byte
// says the layout (lowest bit set: Ostrel, clear: base), the rest is the
// file. The tables go to an SQLite database in memory. The fuzzer stops on
// a writer that fails, a file that does not check as intact, or foreign
// keys that name other dangling references than the check finds (when no
// id is held twice, which leaves a reference more than one parent).
#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "check/check.h"
#include "sqlite/sqlite_writer.h"

#include "fuzz_support.h"

namespace {

using campdb_fuzz::Expect;
using campdb_fuzz::SetSource;

int64_t Count(sqlite3* connection, const char* sql) {
  sqlite3_stmt* statement = nullptr;
  Expect(sqlite3_prepare_v2(connection, sql, -1, &statement, nullptr) == SQLITE_OK);
  int64_t rows = 0;
  while (sqlite3_step(statement) == SQLITE_ROW) {
    const unsigned char* text = sqlite3_column_text(statement, 0);
    if (std::strcmp(sql, "PRAGMA integrity_check") == 0) Expect(text != nullptr && std::strcmp(reinterpret_cast<const char*>(text), "ok") == 0);
    ++rows;
  }
  sqlite3_finalize(statement);
  return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const campdb::Layout layout = (data[0] & 1) != 0 ? campdb::Layout::Ostrel : campdb::Layout::Base;
  campdb::Database db;
  SetSource(db, data + 1, size - 1);
  const campdb::CheckReport report = campdb::CheckDatabase(db, layout);

  sqlite3* connection = nullptr;
  Expect(sqlite3_open(":memory:", &connection) == SQLITE_OK);
  campdb::SqliteSource source;
  source.file = "fuzz.db";
  source.complete = report.complete;
  Expect(campdb::WriteSqliteTables(db, connection, source).empty());
  Count(connection, "PRAGMA integrity_check");

  int64_t captains = 0;
  int64_t entries = 0;
  bool duplicates = false;
  for (const campdb::Problem& problem : report.problems) {
    captains += problem.kind == campdb::ProblemKind::CaptainMissing ||
                problem.kind == campdb::ProblemKind::CaptainNotCharacter;
    entries += problem.kind == campdb::ProblemKind::ShipEntryMissing;
    duplicates |= problem.kind == campdb::ProblemKind::DuplicateId;
  }
  if (!duplicates) {
    Expect(Count(connection, "SELECT 1 FROM pragma_foreign_key_check WHERE \"table\" = 'ships'") == captains);
    Expect(Count(connection, "SELECT 1 FROM pragma_foreign_key_check WHERE \"table\" = 'character_ships'") ==
           entries);
    Expect(Count(connection, "SELECT 1 FROM pragma_foreign_key_check") == captains + entries);
  }
  sqlite3_close(connection);
  return 0;
}
