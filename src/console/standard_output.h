// The program's standard output. On a terminal every console line goes out
// as it is written; anywhere else (a pipe, a file, a log) lines are gathered
// and written in large pieces, which is what makes a report of 300,000
// objects, one progress line each, cheap. Gathered lines are always written
// before the tool reads standard input, before it writes to standard error,
// and before it exits, an interrupted exit included, so that every dialogue
// and every log reads the same either way.
#pragma once

namespace campdb {

// Puts standard output in the program's own buffer when it is not a
// terminal; true when it does, so that console lines need not be flushed
// one by one.
bool GatherStandardOutput();

// Writes what is gathered and not yet written. Safe in a signal handler: it
// only calls write().
void WriteGatheredStandardOutput();

}  // namespace campdb
