// The program driver: file names, the two opening questions, loading the
// whole database, one operation (clean, edit or report) and the release.
#pragma once

#include <istream>
#include <ostream>

namespace campdb {

// Runs the tool with the given command line and console streams (`err`
// takes the diagnostics); returns the process exit status: 0 done; 1 the
// report or output database could not be opened or written, or standard
// input ended before the run could start; 2 the input database cannot be
// opened; 3 the input was damaged or incomplete, though the run did its job.
// Console lines are flushed one by one unless `gathered`, when `out`
// collects them (it is not a terminal) and is flushed before every read,
// every diagnostic and at the end.
int RunProgram(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err, bool gathered = false);

}  // namespace campdb
