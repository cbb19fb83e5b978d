// Loads a whole campaign database into memory, in file order, narrating each
// step on the console as an interactive run does.
#pragma once

#include <string>

#include "format/database.h"

namespace campdb {

class Console;

// Loads `db.source` in `db.layout`, printing a line after each record, the
// number of objects announced, and the failure that stopped the object list
// (after a size mismatch the operator is asked for a key first).
LoadOutcome LoadWithNarration(Database& db, Console& console);

// For an incomplete load, what was incomplete, in one line: where loading
// stopped and how many bytes were not loaded, or where the file ended.
std::string DescribeIncompleteLoad(const LoadOutcome& outcome);

}  // namespace campdb
