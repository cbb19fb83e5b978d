// Loads a whole campaign database into memory, in file order, narrating each
// step on the console.
#pragma once

#include <cstddef>
#include <functional>

#include "format/byte_stream.h"
#include "format/database.h"

namespace campdb {

class Console;

// Told, about every megabyte while the misc objects are read, how many bytes
// of the input have been read: the load never looks at those again.
using ReadProgress = std::function<void(size_t bytesRead)>;

// Reads the header, the campaign record, the map record and its hexes, the
// political record, then the misc objects the header announces. Hexes stop
// once the input has run out; misc objects stop at the first one that fails
// to frame. Every slot gets a deleteFlags byte of 0.
void LoadDatabase(ByteReader& in, Database& db, Console& console, const ReadProgress& progress = {});

}  // namespace campdb
