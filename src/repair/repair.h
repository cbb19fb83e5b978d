// campdb --repair: salvages the misc objects of a damaged database and fixes
// what can be fixed without a decision of the operator's, losing nothing.
//
// The records before the misc objects (header, campaign, map, hexes,
// political record) are taken as the load reads them; damage there cannot
// be rebuilt and nothing is written. The misc objects are taken one after
// another as the load frames them; where one does not frame (its size
// words differ, the file ends inside it, its fields run past its declared
// size), the bytes from there on are searched for the next object of a
// known class that frames and whose fields end exactly where its declared
// size says, and the objects go on from there. What is skipped is kept for
// the lost-and-found file. Every fix follows the check's table of kinds
// (FixOf).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "check/check.h"
#include "format/byte_stream.h"
#include "format/database.h"

namespace campdb {

// One fix made: the kind of problem, where it was, and what was done.
struct RepairFix {
  ProblemKind kind = ProblemKind::SizeMismatch;
  std::string record;  // "header", "object 11", "objects"
  std::optional<int64_t> index;
  std::optional<int32_t> id;
  std::optional<size_t> offset;  // in the input
  std::string done;              // one line
};

// Input bytes that are not in the repaired database.
struct LostRange {
  size_t offset = 0;
  size_t length = 0;
  ProblemKind kind = ProblemKind::SizeMismatch;
  std::string reason;  // one line
};

struct RepairReport {
  // False when damage before the misc objects leaves nothing to write.
  bool writable = true;
  std::vector<RepairFix> fixes;
  // Problems the repair leaves as they are, in the check's words.
  std::vector<Problem> left;
  std::vector<LostRange> lost;
  int64_t objectsWritten = 0;

  size_t LostBytes() const;
  // The repair's exit status bits: 1 when fixes were made, 4 when
  // problems are left.
  int Status() const;
};

// Loads the bytes `db.source` holds in `layout` and repairs them in memory:
// afterwards `db` is what the repaired database is to be, for the writer
// (nothing it holds is written when the report is not writable).
// `leftOut`, when given, is shown each range of the misc objects' bytes the
// repair leaves out as soon as it knows it, in file order.
RepairReport RepairDatabase(Database& db, Layout layout,
                            const std::function<void(const LostRange&)>& leftOut = {});

// The lost-and-found file: one JSON object a line for each lost range, with
// its offset, length, reason and bytes (lowercase hex, two digits a byte).
void WriteLostAndFound(const RepairReport& report, std::span<const uint8_t> input, ByteWriter& out);

// What became of the repair's files, for its report.
struct RepairOutcome {
  std::string input;
  std::string layout;        // "base" or "ostrel"
  std::string layoutReason;  // "given", or how the bytes told it
  std::string output;
  std::string lostFound;
  bool dryRun = false;
  bool written = false;     // OUT was written
  bool lostWritten = false;  // the lost-and-found file was written
};

// The report: every fix made and every problem left, then a summary line;
// as aligned text, or as one JSON document.
void WriteRepairText(const RepairReport& report, const RepairOutcome& outcome, std::ostream& out);
void WriteRepairJson(const RepairReport& report, const RepairOutcome& outcome, std::ostream& out);

}  // namespace campdb
