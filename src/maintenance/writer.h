// Writes the in-memory database back out in the order and encoding it was
// read, leaving out the misc objects marked in deleteFlags.
#pragma once

#include <cstdint>
#include <optional>

#include "format/byte_stream.h"
#include "format/database.h"
#include "maintenance/output_file.h"

namespace campdb {

class Console;

// Writes the records: header, campaign (then the campaign info files, which
// may not be the file `input`), map, hexes, political record, then the misc
// objects whose flag is 0, walking the objects from the first until the
// loaded count of them has been written or the objects run out. Returns the
// number of objects written, header not counted.
int64_t WriteRecords(const Database& db, ByteWriter& out, const std::optional<FileIdentity>& input, Console& console);

// Writes the whole output database into `file` and completes it. Only once
// the file is safely in place does it print "Wrote N objects"; on any failure
// it prints the error line instead and returns false.
bool WriteDatabase(const Database& db, OutputFile& file, const std::optional<FileIdentity>& input, Console& console);

}  // namespace campdb
