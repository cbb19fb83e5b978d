#include "report/report_driver.h"

#include <algorithm>
#include <cstdint>

#include "console/console.h"
#include "report/report_sections.h"
#include "report/report_stream.h"

namespace campdb {

// Visits the records in file order and lets each append its section; the
// only progress shown on the console is one line per misc object.
void ReportDatabase(const Database& db, ReportStream& out, Console& console) {
  ReportHeader(out, db.header);
  ReportCampaign(out, db.campaign, db.layout);
  ReportMap(out, db.map, db.hexCount());
  for (const tMapHex& hex : db.hexes) ReportHex(out, hex, db.layout);
  ReportPolitical(out, db.political, db.layout);

  const int64_t count = std::min<int64_t>(db.loadedCount, db.ObjectCount());
  MiscObject scratch;
  for (int64_t i = 0; i < count; ++i) {
    console.WriteLine(Cat("Writing object ", i, " from position ", i));
    ReportObject(out, db.ReadObject(i, scratch), db.layout);
  }

  out.EndLine();
  out.EndLine();
}

}  // namespace campdb
