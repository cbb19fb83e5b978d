// Loads a whole campaign database into memory, in file order, narrating each
// step on the console as an interactive run does.
#pragma once

#include <string>

#include "format/database.h"
#include "maintenance/cleaner.h"

namespace campdb {

class Console;

// Loads `db.source` in `db.layout`, printing a line after each record, the
// number of objects announced, and the failure that stopped the object list
// (after a size mismatch the operator is asked for a key first). Clean's
// decisions go to `decisions` when given.
LoadOutcome LoadWithNarration(Database& db, Console& console, LoadedDecisions* decisions = nullptr);

// For an incomplete load, what was incomplete, in one line: where loading
// stopped and how many bytes were not loaded, or where the file ended.
std::string DescribeIncompleteLoad(const LoadOutcome& outcome);

}  // namespace campdb
