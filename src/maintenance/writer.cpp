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
  // object id. An object that would be written exactly as it was read is
  // copied from the input, and neighbours that lie side by side there go
  // out as one run.
  const std::string_view input(reinterpret_cast<const char*>(db.source.data.get()), db.source.size);
  size_t runStart = 0;
  size_t runEnd = 0;
  const auto flushRun = [&] {
    out.WriteLastingRun(input.substr(runStart, runEnd - runStart));
    runStart = runEnd = 0;
  };
  const int64_t end = std::min({db.capacity, db.ObjectCount(), static_cast<int64_t>(db.deleteFlags.size())});
  int64_t written = 0;
  MiscObject scratch;
  for (int64_t i = 0; i < end && written < db.loadedCount; ++i) {
    if (db.deleteFlags[static_cast<size_t>(i)] != 0) continue;
    ++written;
    const ObjectEntry& entry = db.Entry(i);
    if (entry.verbatim && db.KeptObject(i) == nullptr) {
      if (entry.start != runEnd) {
        flushRun();
        runStart = entry.start;
      }
      runEnd = entry.end;
      continue;
    }
    flushRun();
    WriteObject(out, db.ReadObject(i, scratch), db.layout);
  }
  // What the load did not take follows the last object in the input, and so
  // continues its run.
  if (!unloaded.empty() && unloaded.data() == input.data() + runEnd) {
    runEnd += unloaded.size();
  } else {
    flushRun();
    out.WriteRun(unloaded);
  }
  flushRun();
  return written + db.hexCount() + 3;
}

bool WriteDatabase(const Database& db, OutputFile& file, const std::optional<FileIdentity>& input, Console& console,
                   Text unloaded, std::optional<std::string> infoWithheld, const InfoFolder& infoFolder) {
  ByteWriter out(&file);
  InfoFiles infoFiles(input, infoFolder);
  if (infoWithheld) infoFiles.Withhold(std::move(*infoWithheld));
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
