// Carrying a change set into a database: reading it (refused, like a bad
// dump, with the line and the member at fault), checking every change
// against the database (every failed condition a conflict) and, only when
// none fails, making the changes in memory for the writer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "diff/diff.h"
#include "textform/dump.h"
#include "textform/line_reader.h"

namespace campdb {

// One change as a change set holds it. `before` and `after` are JSON
// objects (members of the record as the dump writes them); empty where the
// change has no such side.
struct ChangeEntry {
  ChangeKind kind = ChangeKind::Changed;
  RecordKind record = RecordKind::Header;
  int64_t key = 0;
  int64_t occurrence = 0;
  int64_t line = 0;
  std::string before;
  std::string after;
};

struct ChangeSet {
  Layout layout = Layout::Base;
  std::vector<ChangeEntry> changes;
};

// Reads the format line; then ReadChanges reads the rest.
std::optional<DumpError> ReadChangeSetStart(LineReader& lines, ChangeSet& set);
std::optional<DumpError> ReadChanges(LineReader& lines, ChangeSet& set);

// A condition of a change that the database does not meet.
struct Conflict {
  RecordKind record = RecordKind::Header;
  int64_t key = 0;
  int64_t occurrence = 0;
  std::string member;    // empty: the record as a whole
  std::string before;    // the change set's value before ("" none)
  std::string database;  // the database's value ("" none)
  std::string after;     // the change set's value after ("" none)
  std::string why;       // for the record as a whole
};

struct ApplyOutcome {
  std::optional<DumpError> refused;
  std::vector<Conflict> conflicts;
  std::array<int64_t, 3> applied{};  // added, removed, changed
  int64_t alreadyThere = 0;          // added records the database holds as they are
};

// Checks every change against `db`; when none conflicts and none is
// refused, makes them all (unless `dryRun`): declared sizes, the political
// matrix size and the header's object count recomputed where the records
// leave them out, added objects placed before the first object with a
// greater id.
ApplyOutcome ApplyChangeSet(const ChangeSet& set, Database& db, bool dryRun);

}  // namespace campdb
