// Report mode: every record appends its section to the report, in file order.
#pragma once

#include "format/database.h"

namespace campdb {

class Console;
class ReportStream;

// Writes the whole report; prints a progress line on the console for every
// misc object.
void ReportDatabase(const Database& db, ReportStream& out, Console& console);

}  // namespace campdb
