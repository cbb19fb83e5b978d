// Writes the in-memory database back out in the order and encoding it was
// read, leaving out the misc objects marked in deleteFlags.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "format/byte_stream.h"
#include "format/database.h"
#include "maintenance/output_file.h"

namespace campdb {

class Console;
class InfoFiles;

// Writes the records: header, campaign (then the campaign info files, whose
// lines are printed there and whose bytes `infoFiles` keeps until the
// database is in place), map, hexes, political record, then the misc objects
// whose flag is 0, walking the objects from the first until the loaded count
// of them has been written or the objects run out. Then come the `unloaded`
// bytes, verbatim: the part of the input the load did not take, which an
// Edit run gives back. Returns the number of objects written, header not
// counted; the unloaded bytes count for nothing.
int64_t WriteRecords(const Database& db, ByteWriter& out, InfoFiles& infoFiles, Console& console,
                     Text unloaded = {});

// Writes the whole output database into `file` and completes it. Only once
// the file is safely in place are the info files (which may not be the file
// `input`) written, then "Wrote N objects" printed; on any failure it prints
// the error line and the reason instead, leaves the info files as they were,
// and returns false. With `infoWithheld` set (why, as InfoFilesWithheldBy...
// gives it), no info file is written and each prints its failure line.
bool WriteDatabase(const Database& db, OutputFile& file, const std::optional<FileIdentity>& input, Console& console,
                   Text unloaded = {}, std::optional<std::string> infoWithheld = std::nullopt);

}  // namespace campdb
