// The database as an SQLite file: one table per kind of record, lookup
// tables for the coded values, foreign keys on every column that holds an
// id or a code, and a few views that read well. The file is a read-only
// view of the campaign: nothing reads it back into a database.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "format/database.h"

struct sqlite3;

namespace campdb {

// What the campdb_source table says about where the rows came from.
struct SqliteSource {
  std::string file;  // the database's name as given
  int64_t size = 0;  // its size in bytes
  std::string toolVersion;
  bool complete = true;  // the load took every record whole
  std::string reason;    // why it did not, when it did not
};

// Writes the tables of `db` into `connection`, which holds no tables yet, in
// one transaction. Empty on success; otherwise what SQLite said.
// `eachObject` is told how many misc objects are through, after each.
std::string WriteSqliteTables(const Database& db, sqlite3* connection, const SqliteSource& source,
                              const std::function<void(int64_t)>& eachObject = {});

// The same into a new SQLite database at `path` (a new or empty file),
// closed when it returns. Nothing is synced: the caller syncs and renames.
std::string WriteSqliteFile(const Database& db, const std::string& path, const SqliteSource& source,
                            const std::function<void(int64_t)>& eachObject = {});

}  // namespace campdb
