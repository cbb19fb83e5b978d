// Feeds arbitrary bytes to --apply as a change set against the base sample
// database (and, when its first byte is odd, the Ostrel sample). A change
// set that is taken is applied in memory and the result written into
// memory, loaded again and compared with the sample: nothing reaches a file.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <span>
#include <sstream>
#include <string>

#include "console/console.h"
#include "diff/apply.h"
#include "diff/diff.h"
#include "format/database.h"
#include "maintenance/info_files.h"
#include "maintenance/writer.h"

namespace {

std::unique_ptr<campdb::Database> Load(const std::string& bytes, campdb::Layout layout) {
  auto db = std::make_unique<campdb::Database>();
  db->layout = layout;
  db->source.data = std::make_unique<uint8_t[]>(bytes.size() + 1);
  if (!bytes.empty()) std::memcpy(db->source.data.get(), bytes.data(), bytes.size());
  db->source.size = bytes.size();
  campdb::LoadObserver quiet;
  campdb::LoadDatabase(*db, quiet);
  return db;
}

std::string Sample(const char* name) {
  std::ifstream in(std::string(CAMPDB_EXAMPLES_DIR) + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string base = Sample("sample-base.db");
  static const std::string ostrel = Sample("sample-ostrel.db");
  const bool odd = size > 0 && (data[0] & 1) != 0;
  const auto db = Load(odd ? ostrel : base, odd ? campdb::Layout::Ostrel : campdb::Layout::Base);
  campdb::LineReader lines(std::span<const uint8_t>(data, size));
  campdb::ChangeSet set;
  if (campdb::ReadChangeSetStart(lines, set) || set.layout != db->layout || campdb::ReadChanges(lines, set)) return 0;
  const campdb::ApplyOutcome outcome = campdb::ApplyChangeSet(set, *db, false);
  if (outcome.refused || !outcome.conflicts.empty()) return 0;

  campdb::ByteWriter out;
  campdb::InfoFiles info;
  std::istringstream nothing;
  std::ostringstream transcript;
  campdb::Console console(nothing, transcript);
  campdb::WriteRecords(*db, out, info, console, db->unloaded);
  const auto again = Load(out.TakeBuffer(), db->layout);
  campdb::CompareDatabases(*Load(odd ? ostrel : base, db->layout), *again, {}, nullptr);
  return 0;
}
