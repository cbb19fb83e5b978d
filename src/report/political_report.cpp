#include "format/name_tables.h"
#include "report/report_sections.h"
#include "report/report_stream.h"

namespace campdb {

// The tension matrix, race by race. The report always walks the races of
// the layout's table (10 in the base layout, 18 in the Ostrel layout),
// whatever size the stored matrix has; a pair the matrix holds no cell for
// prints "unknown".
void ReportPolitical(ReportStream& out, const tPoliticalObject& political, Layout layout) {
  const int32_t races = IsOstrel(layout) ? 18 : 10;

  out.EndLine();
  out << "Political tension matrix:";
  out.EndLine();
  out << "=========================";
  out.EndLine();
  for (int32_t i = 0; i < races; ++i) {
    out << RaceName(i, layout) << " tensions";
    out.EndLine();
    for (int32_t j = 0; j < races; ++j) {
      out << "   vs " << RaceName(j, layout) << ": ";
      if (political.HasCell(i, j)) {
        out << political.Cell(i, j).tension;
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
