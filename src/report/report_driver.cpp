#include "report/report_driver.h"

#include <algorithm>
#include <cstdint>

#include "console/console.h"
#include "console/progress.h"
#include "report/report_sections.h"
#include "report/report_stream.h"

namespace campdb {

namespace {

// Visits the records in file order and lets each append its section;
// `eachObject` hears of every misc object before its section.
template <class EachObject>
void ReportRecords(const Database& db, ReportStream& out, EachObject eachObject) {
  ReportHeader(out, db.header);
  ReportCampaign(out, db.campaign, db.layout);
  ReportMap(out, db.map, db.hexCount());
  for (const tMapHex& hex : db.hexes) ReportHex(out, hex, db.layout);
  ReportPolitical(out, db.political, db.layout);

  const int64_t count = std::min<int64_t>(db.loadedCount, db.ObjectCount());
  MiscObject scratch;
  for (int64_t i = 0; i < count; ++i) {
    eachObject(i);
    ReportObject(out, db.ReadObject(i, scratch), db.layout);
  }

  out.EndLine();
  out.EndLine();
}

}  // namespace

// The only progress shown on the console is one line per misc object.
void ReportDatabase(const Database& db, ReportStream& out, Console& console) {
  ReportRecords(db, out, [&](int64_t i) { console.WriteLine(Cat("Writing object ", i, " from position ", i)); });
}

void ReportDatabase(const Database& db, ReportStream& out, ProgressLine* progress) {
  if (progress == nullptr) return ReportRecords(db, out, [](int64_t) {});
  progress->Stage("reporting", std::min<int64_t>(db.loadedCount, db.ObjectCount()));
  ReportRecords(db, out, [&](int64_t i) { progress->Step(i); });
  progress->Clear();
}

}  // namespace campdb
