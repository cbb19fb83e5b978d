#include "report/report_driver.h"

namespace campdb {

// Placeholder until the report sections land.
void ReportDatabase(const Database&, ReportStream&, Console&) {}

}  // namespace campdb
