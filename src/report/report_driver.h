// Report mode: every record appends its section to the report, in file order.
#pragma once

#include "format/database.h"

namespace campdb {

class Console;
class ReportStream;
class ProgressLine;

// Writes the whole report; prints a progress line on the console for every
// misc object.
void ReportDatabase(const Database& db, ReportStream& out, Console& console);
// The same report without a line on the console; `progress`, when given,
// follows the objects.
void ReportDatabase(const Database& db, ReportStream& out, ProgressLine* progress);

}  // namespace campdb
