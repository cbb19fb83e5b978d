// The program driver: file names, the two opening questions, loading the
// whole database, one operation (clean, edit or report) and the release.
#pragma once

#include <istream>
#include <ostream>

namespace campdb {

// Runs the tool with the given command line and console streams (`err`
// takes the diagnostics); returns the process exit status (0, 1 on a failed
// write or an early end of input, 2 when the input database cannot be
// opened).
int RunProgram(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace campdb
