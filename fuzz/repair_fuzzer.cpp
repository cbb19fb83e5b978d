// Feeds arbitrary bytes to the repair: the first byte's lowest bit says the
// layout (set: Ostrel), the rest is the file. Both forms of the report and
// the lost-and-found file are written, and the fuzzer stops where the
// repair breaks its promises: what it writes must check without an error
// or a fix left to make, and a repair of it must find nothing to do and
// write it again unchanged.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>

#include "check/check.h"
#include "console/console.h"
#include "maintenance/info_files.h"
#include "maintenance/writer.h"
#include "repair/repair.h"

#include "fuzz_support.h"

namespace {

using campdb_fuzz::Expect;
using campdb_fuzz::SetSource;

// Repairs the bytes; returns what the repair writes, or nothing.
std::optional<std::string> Repaired(const uint8_t* data, size_t size, campdb::Layout layout,
                                    campdb::RepairReport& report) {
  campdb::Database db;
  SetSource(db, data, size);
  report = campdb::RepairDatabase(db, layout);
  std::ostringstream text;
  campdb::WriteRepairText(report, campdb::RepairOutcome{"fuzz.db", "base", "given", "out.db", "lost", false, true, true}, text);
  campdb::WriteRepairJson(report, campdb::RepairOutcome{}, text);
  if (!report.writable) return std::nullopt;
  campdb::ByteWriter lost;
  campdb::WriteLostAndFound(report, db.source.Bytes(), lost);
  campdb::ByteWriter out;
  campdb::InfoFiles info;
  std::istringstream in;
  std::ostringstream transcript;
  campdb::Console console(in, transcript);
  campdb::WriteRecords(db, out, info, console);
  return out.TakeBuffer();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const campdb::Layout layout = (data[0] & 1) != 0 ? campdb::Layout::Ostrel : campdb::Layout::Base;
  campdb::RepairReport first;
  const auto out = Repaired(data + 1, size - 1, layout, first);
  if (!out) return 0;
  const auto* bytes = reinterpret_cast<const uint8_t*>(out->data());
  campdb::Database checked;
  SetSource(checked, bytes, out->size());
  const campdb::CheckReport check = campdb::CheckDatabase(checked, layout);
  for (const campdb::Problem& problem : check.problems) {
    Expect(campdb::FixOf(problem.kind) == campdb::Fix::LeftAlone);
  }
  campdb::RepairReport second;
  const auto again = Repaired(bytes, out->size(), layout, second);
  Expect(again && second.fixes.empty() && *again == *out);
  return 0;
}
