// The text form of a database: JSON Lines, one record a line, in file order.
//
//   {"format":"campdb-dump","version":1,"layout":"base"}
//   {"record":"header",...}
//   {"record":"campaign",...}
//   {"record":"map",...}
//   {"record":"hex",...}               one per hex
//   {"record":"political",...}
//   {"record":"ship",...}              one per misc object: news, character,
//                                      ship, bid or unrecognised
//   {"record":"unloaded","bytes":""}   always last
//
// Every field of a record is a member named as in the record's field list.
// Texts are JSON strings with one code point (U+0000 to U+00FF) per byte;
// byte runs, tails and raw bytes are lowercase hex strings. Values the rest
// of the dump implies (a declared size that counts exactly the record's
// bytes, the second size word equal to the first, the canonical class tag,
// the header's object count when it is 3 + hexes + objects, the political
// matrix size when its cells fill a square of it) are left out and
// recomputed by the restore; they are written only where the file
// disagrees with them, so that a damaged file comes back as it was.
// docs/dump-format.md describes the format member by member.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "format/byte_stream.h"
#include "format/database.h"
#include "format/layout.h"
#include "textform/line_reader.h"

namespace campdb {

inline constexpr std::string_view kDumpFormatName = "campdb-dump";
// Goes up with every change to the members of any record: a campdb restores
// only dumps of its own version.
inline constexpr int kDumpFormatVersion = 1;

// Writes the whole database as a dump: every record the writer would write
// for an Edit that changes nothing, then the bytes the load did not take.
// `eachObject`, when given, hears how many objects are written so far.
void WriteDump(const Database& db, ByteWriter& out, const std::function<void(int64_t)>& eachObject = {});

// Why a dump was refused: the line (1 for the first; 0 when the dump could
// not be read at all) and what is wrong there, without the file name.
struct DumpError {
  int64_t line = 0;
  std::string message;
  // The dump could not be read (as opposed to read and found wrong).
  bool unreadable = false;
};

// Reads a whole dump into `db`, which must be fresh: its layout, every
// record (texts kept in db.store) and the unloaded bytes, with every value
// left out of the dump recomputed. Nothing is written anywhere. When
// `layout` is given, a dump in the other layout is refused. On any error
// `db` holds a part of the dump and must not be written.
// `eachLine`, when given, hears how many lines are read so far.
std::optional<DumpError> ReadDump(LineReader& lines, Database& db, std::optional<Layout> layout = std::nullopt,
                                  const std::function<void(int64_t)>& eachLine = {});

}  // namespace campdb
