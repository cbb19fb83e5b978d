#include "format/header.h"
#include "report/report_stream.h"

namespace campdb {

// The first section of the report: the save format version, copied as its
// four raw bytes, and the object-store bookkeeping.
void tPrelimData::Report(ReportStream& out) const {
  out << "save version:";
  for (const uint8_t b : saveVersion) out.Byte(b);
  out.EndLine();
  out << "Object count: " << objectCount << ", last object id " << lastObjectId;
  out.EndLine();
}

}  // namespace campdb
