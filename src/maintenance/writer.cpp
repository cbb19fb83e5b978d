#include "maintenance/writer.h"

#include <algorithm>

#include "console/console.h"
#include "maintenance/output_file.h"
#include "report/info_files.h"

namespace campdb {

namespace {

// The unloaded bytes go out a piece at a time, so that a large rest of the
// input passes through the writer in bounded blocks.
constexpr size_t kUnloadedPiece = size_t{1} << 20;

}  // namespace

int64_t WriteRecords(Database& db, ByteWriter& out, Console& console, InfoFiles& infoFiles,
                     std::span<const uint8_t> unloaded) {
  db.header.Write(out);
  db.campaign.Write(out);
  // The info files describe the campaign as it is being written.
  db.campaign.WriteInfoFiles(console, infoFiles);
  db.map.Write(out);
  for (auto& hex : db.MapHexPtr) hex->Write(out);
  db.political.Write(out);

  // The kept objects keep their relative order, so the list stays sorted by
  // object id.
  const int64_t end = std::min({db.capacity, static_cast<int64_t>(db.slots.size()),
                                static_cast<int64_t>(db.deleteFlags.size())});
  int64_t written = 0;
  for (int64_t i = 0; i < end && written < db.loadedCount; ++i) {
    if (db.deleteFlags[static_cast<size_t>(i)] != 0) continue;
    WriteMiscObject(out, db.slots[static_cast<size_t>(i)]);
    ++written;
  }
  while (!unloaded.empty()) {
    const size_t piece = std::min(unloaded.size(), kUnloadedPiece);
    out.WriteBytes(unloaded.data(), piece);
    unloaded = unloaded.subspan(piece);
  }
  return written + db.hexCount() + 3;
}

bool WriteDatabase(Database& db, OutputFile& file, Console& console, std::span<const uint8_t> unloaded) {
  ByteWriter out(&file);
  InfoFiles infoFiles;
  const int64_t written = WriteRecords(db, out, console, infoFiles, unloaded);
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
