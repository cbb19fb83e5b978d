#include "report/report_driver.h"

#include <algorithm>
#include <cstdint>

#include "console/console.h"
#include "report/report_stream.h"

namespace campdb {

// Visits the records in file order and lets each append its section; the
// only progress shown on the console is one line per misc object.
void ReportDatabase(const Database& db, ReportStream& out, Console& console) {
  db.header.Report(out);
  db.campaign.Report(out);
  db.map.Report(out, db.hexCount());
  for (const auto& hex : db.MapHexPtr) {
    if (hex) hex->Report(out);
  }
  db.political.Report(out);

  const int64_t count = std::min<int64_t>(db.loadedCount, static_cast<int64_t>(db.slots.size()));
  for (int64_t i = 0; i < count; ++i) {
    console.WriteLine(Cat("Writing object ", i, " from position ", i));
    ReportMiscObject(out, db.slots[static_cast<size_t>(i)]);
  }

  out.EndLine();
  out.EndLine();
}

}  // namespace campdb
