// Loads a whole campaign database into memory, in file order, narrating each
// step on the console.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "format/byte_stream.h"
#include "format/database.h"

namespace campdb {

class Console;

// Told, about every megabyte while the misc objects are read, how many bytes
// of the input have been read: the load never looks at those again.
using ReadProgress = std::function<void(size_t bytesRead)>;

// What a load took of the input, and where and why it stopped short.
struct LoadOutcome {
  // Objects the header announces after the hexes (may be 0 or less).
  int64_t announced = 0;
  // How the misc-object list ended: Read when it was not cut short, else
  // the framing failure at object `stopIndex` (0-based) that ended it.
  FrameResult stop = FrameResult::Read;
  int64_t stopIndex = 0;
  // The first byte the load did not take: where the object whose framing
  // failed began, or else the byte after the last record read. The bytes
  // from here to the end of the input were not loaded.
  size_t unloadedFrom = 0;
  // Some read, or some list, wanted more bytes than the file had left.
  bool wantedPastEnd = false;

  // Where the end of the input was first met, when it was: the record being
  // read, and for the hexes and the misc objects which one (0-based; for
  // the hexes, the one the list would have taken next when it stopped).
  enum class Part { None, Header, Campaign, Map, Hexes, Political, Objects };
  Part endMetIn = Part::None;
  int64_t endMetAt = 0;
  int64_t hexesAnnounced = 0;
  int64_t loaded = 0;      // misc objects loaded
  size_t inputSize = 0;    // bytes in the whole input

  // A complete load took every record whole; bytes after the last
  // announced object do not make it incomplete.
  bool Complete() const { return stop == FrameResult::Read && !wantedPastEnd; }
};

// For an incomplete load, what was incomplete, in one line: where loading
// stopped and how many bytes were not loaded, or where the file ended.
std::string DescribeIncompleteLoad(const LoadOutcome& outcome);

// Reads the header, the campaign record, the map record and its hexes, the
// political record, then the misc objects the header announces. Hexes stop
// once the input has run out; misc objects stop at the first one that fails
// to frame. Every slot gets a deleteFlags byte of 0.
LoadOutcome LoadDatabase(ByteReader& in, Database& db, Console& console, const ReadProgress& progress = {});

}  // namespace campdb
