#include "maintenance/writer.h"

#include <algorithm>

#include "console/console.h"
#include "format/fields.h"
#include "maintenance/info_files.h"

namespace campdb {

int64_t WriteRecords(const Database& db, ByteWriter& out, InfoFiles& infoFiles, Console& console, Text unloaded) {
  WriteRecord(out, db.header, db.layout);
  WriteRecord(out, db.campaign, db.layout);
  // The info files describe the campaign as it is being written.
  AddInfoFiles(db.campaign, db.layout, infoFiles, console);
  WriteRecord(out, db.map, db.layout);
  for (const tMapHex& hex : db.hexes) WriteRecord(out, hex, db.layout);
  WriteRecord(out, db.political, db.layout);

  // The kept objects keep their relative order, so the list stays sorted by
  // object id.
  const int64_t end = std::min({db.capacity, static_cast<int64_t>(db.objects.size()),
                                static_cast<int64_t>(db.deleteFlags.size())});
  int64_t written = 0;
  for (int64_t i = 0; i < end && written < db.loadedCount; ++i) {
    if (db.deleteFlags[static_cast<size_t>(i)] != 0) continue;
    WriteObject(out, db.objects[static_cast<size_t>(i)], db.layout);
    ++written;
  }
  out.WriteRun(unloaded);
  return written + db.hexCount() + 3;
}

bool WriteDatabase(const Database& db, OutputFile& file, const std::optional<FileIdentity>& input, Console& console,
                   Text unloaded) {
  ByteWriter out(&file);
  InfoFiles infoFiles(input);
  const int64_t written = WriteRecords(db, out, infoFiles, console, unloaded);
  const bool flushed = out.Flush();
  if (!flushed) file.Abandon();
  if (!flushed || !file.Finish()) {
    console.WriteLine(Cat("ERROR: unable to write output database ", file.Name()));
    console.Diagnostic(file.Reason());
    return false;
  }
  infoFiles.Commit(file.Written(), console);
  console.WriteLine(Cat("Wrote ", written, " objects"));
  return true;
}

}  // namespace campdb
