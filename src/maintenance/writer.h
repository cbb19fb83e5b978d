// Writes the in-memory database back out in the order and encoding it was
// read, leaving out the misc objects marked in deleteFlags.
#pragma once

#include <cstdint>

#include "format/byte_stream.h"
#include "format/database.h"

namespace campdb {

class Console;
class OutputFile;

// Writes the records: header, campaign (then the campaign info files), map,
// hexes, political record, then the misc objects whose flag is 0, walking
// the slots from the first until the loaded count of them has been written
// or the slots run out. Returns the number of objects written, header not
// counted.
int64_t WriteRecords(Database& db, ByteWriter& out, Console& console);

// Writes the whole output database into `file` and completes it. Only once
// the file is safely in place does it print "Wrote N objects"; on any failure
// it prints the error line instead and returns false.
bool WriteDatabase(Database& db, OutputFile& file, Console& console);

}  // namespace campdb
