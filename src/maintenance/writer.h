// Writes the in-memory database back out in the order and encoding it was
// read, leaving out the misc objects marked in deleteFlags.
#pragma once

#include <cstdint>
#include <span>

#include "format/byte_stream.h"
#include "format/database.h"

namespace campdb {

class Console;
class InfoFiles;
class OutputFile;

// Writes the records: header, campaign (then the campaign info files, whose
// lines are printed there and whose bytes `infoFiles` keeps until the
// database is in place), map, hexes, political record, then the misc objects
// whose flag is 0, walking the slots from the first until the loaded count
// of them has been written or the slots run out. Then come the `unloaded`
// bytes, verbatim: the part of the input the load did not take, from the
// object where it stopped (or from the byte after the last object read) to
// the end. Returns the number of objects written, header not counted; the
// unloaded bytes count for nothing.
int64_t WriteRecords(Database& db, ByteWriter& out, Console& console, InfoFiles& infoFiles,
                     std::span<const uint8_t> unloaded = {});

// Writes the whole output database into `file` and completes it. Only once
// the file is safely in place are the info files written, then "Wrote N
// objects" printed; on any failure it prints the error line and the reason
// instead, leaves the info files as they were, and returns false.
bool WriteDatabase(Database& db, OutputFile& file, Console& console, std::span<const uint8_t> unloaded = {});

}  // namespace campdb
