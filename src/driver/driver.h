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
// every diagnostic and at the end. A `scripted` run (standard input is not a
// terminal) says on `err` where an answer was refused, could not be used or
// was taken by a wait for a key, and then ends with 4 when no status of 1 or
// 3 applies.
int RunProgram(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err, bool gathered = false,
               bool scripted = false);

}  // namespace campdb
