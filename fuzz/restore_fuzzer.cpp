// Feeds arbitrary bytes to --restore as a dump. A dump that is taken is
// written as a database into memory (never to a file: the info files are
// prepared but not committed), loaded again in its layout and dumped again.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <sstream>
#include <string>

#include "console/console.h"
#include "format/database.h"
#include "maintenance/info_files.h"
#include "maintenance/writer.h"
#include "textform/dump.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  campdb::LineReader lines(std::span<const uint8_t>(data, size));
  campdb::Database db;
  if (campdb::ReadDump(lines, db)) return 0;

  campdb::ByteWriter out;
  campdb::InfoFiles info;
  std::istringstream nothing;
  std::ostringstream transcript;
  campdb::Console console(nothing, transcript);
  campdb::WriteRecords(db, out, info, console, db.unloaded);
  const std::string bytes = out.TakeBuffer();

  campdb::Database again;
  again.layout = db.layout;
  again.source.data = std::make_unique<uint8_t[]>(bytes.size());
  if (!bytes.empty()) std::memcpy(again.source.data.get(), bytes.data(), bytes.size());
  again.source.size = bytes.size();
  campdb::LoadObserver quiet;
  campdb::LoadDatabase(again, quiet);
  campdb::ByteWriter dump;
  campdb::WriteDump(again, dump);
  return 0;
}
