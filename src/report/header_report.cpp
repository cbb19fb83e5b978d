#include "report/report_sections.h"
#include "report/report_stream.h"

namespace campdb {

// The first section of the report: the save format version, copied as its
// four raw bytes, and the object-store bookkeeping.
void ReportHeader(ReportStream& out, const tPrelimData& header) {
  out << "save version:";
  for (const uint8_t b : header.saveVersion) out.Byte(b);
  out.EndLine();
  out << "Object count: " << header.objectCount << ", last object id " << header.lastObjectId;
  out.EndLine();
}

}  // namespace campdb
