// Feeds arbitrary bytes to campdb --check: the first byte says how the
// layout is taken (its second bit set: found from the bytes; otherwise its
// lowest bit set: Ostrel, clear: base), the rest is the file. Both forms of
// the findings are written, and the fuzzer stops on a finding that breaks
// what the check promises: an error exactly when the load is incomplete,
// each found where the reading met it, and a dry run that drops exactly
// what a Clean of the same bytes drops. The map of the same load is drawn
// too, shaded as the first byte's third and fourth bits say.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <sstream>

#include "check/check.h"
#include "check/check_output.h"
#include "console/console.h"
#include "format/byte_stream.h"
#include "maintenance/cleaner.h"
#include "svgmap/svg_map.h"

#include "fuzz_support.h"

namespace {

using campdb_fuzz::Expect;
using campdb_fuzz::SetSource;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::optional<campdb::Layout> given;
  if ((data[0] & 2) == 0) given = (data[0] & 1) != 0 ? campdb::Layout::Ostrel : campdb::Layout::Base;
  campdb::Database db;
  SetSource(db, data + 1, size - 1);
  const campdb::CheckReport report = campdb::CheckDatabase(db, given);

  std::ostringstream text;
  campdb::WriteCheckText(report, "fuzz.db", text);
  std::ostringstream json;
  campdb::WriteCheckJson(report, "fuzz.db", json);

  campdb::ByteWriter picture;
  const campdb::MapShade shades[] = {campdb::MapShade::None, campdb::MapShade::Econ, campdb::MapShade::Dv,
                                     campdb::MapShade::None};
  campdb::DrawMap(db, campdb::MapOptions{shades[(data[0] >> 2) & 3], "fuzz.db"}, picture);

  Expect(report.complete == (report.Count(campdb::Severity::Error) == 0));
  for (const campdb::Problem& problem : report.problems) {
    Expect(problem.message != "the load met the end of the file");
    Expect(!problem.offset || *problem.offset <= size - 1);
  }
  if (!report.dryRun) return 0;

  campdb::Database cleaned;
  SetSource(cleaned, data + 1, size - 1);
  cleaned.layout = *report.layout;
  campdb::LoadObserver quiet;
  campdb::LoadDatabase(cleaned, quiet);
  std::istringstream in;
  std::ostringstream out;
  campdb::Console console(in, out);
  const int64_t loaded = cleaned.loadedCount;
  campdb::CleanDatabase(cleaned, console);
  size_t listed = 0;
  for (int64_t i = 0; i < loaded; ++i) {
    if (cleaned.deleteFlags[static_cast<size_t>(i)] == 0) continue;
    Expect(listed < report.drops.size() && report.drops[listed].index == i);
    ++listed;
  }
  Expect(listed == report.drops.size());
  return 0;
}
