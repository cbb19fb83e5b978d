#include "format/political.h"
#include "format/run_settings.h"
#include "report/name_tables.h"
#include "report/report_stream.h"

namespace campdb {

// The tension matrix, race by race. The report always walks the races of
// the layout's table (10 in the base layout, 18 in the Ostrel layout),
// whatever size the stored matrix has; a pair the matrix holds no cell for
// prints "unknown".
void tPoliticalObject::Report(ReportStream& out) const {
  const int32_t races = Run().Ostrel() ? 18 : 10;

  out.EndLine();
  out << "Political tension matrix:";
  out.EndLine();
  out << "=========================";
  out.EndLine();
  for (int32_t i = 0; i < races; ++i) {
    out << RaceName(i) << " tensions";
    out.EndLine();
    for (int32_t j = 0; j < races; ++j) {
      out << "   vs " << RaceName(j) << ": ";
      if (HasCell(i, j)) {
        out << Cell(i, j).tension;
      } else {
        out << "unknown";
      }
      out.EndLine();
    }
    out.EndLine();
  }
  out.EndLine();
}

}  // namespace campdb
