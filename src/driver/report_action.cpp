// --report: the report of a database, byte for byte as the interactive
// Report writes it, into a file or to standard output, without the
// console's line per object.
#include <ostream>

#include "console/console.h"
#include "console/progress.h"
#include "driver/actions.h"
#include "driver/loader.h"
#include "report/report_driver.h"
#include "report/report_stream.h"

namespace campdb {

int RunReport(const ActionRequest& request, std::ostream& out, Console& console) {
  const std::string& name = request.files[0];
  const std::string reportName = request.files.size() > 1 ? request.files[1] : "-";
  const std::string_view shown = ShownName(name, false);
  auto loaded = LoadForAction(name, request.layout, true, console, request.progress);
  if (!loaded) return kActionNoInput;
  request.progress->Clear();
  const Database& db = loaded->db;
  const bool complete = loaded->outcome.Complete();
  if (!complete) console.Diagnostic(Cat("warning: ", shown, ": ", DescribeIncompleteLoad(loaded->outcome)));
  if (LayoutContradicted(db.source.Bytes(), db.layout)) {
    const Layout other = IsOstrel(db.layout) ? Layout::Base : Layout::Ostrel;
    console.Diagnostic(Cat(shown, ": the bytes do not read as the ", LayoutName(db.layout), " layout but do as the ",
                           LayoutName(other), " layout; nothing was written (--layout ", LayoutName(other), ")"));
    return kActionFailed;
  }

  // An incomplete load is still reported, as the interactive run does.
  const int done = complete ? kActionOk : kActionIncomplete;
  if (IsStandardStream(reportName)) {
    StreamSink sink(out);
    ReportStream report(&sink);
    ReportDatabase(db, report, request.progress);
    if (!report.Flush() || !out.flush()) {
      console.Diagnostic("standard output: the report could not be written");
      return kActionFailed;
    }
    return done;
  }
  OutputFile file;
  if (!file.OpenInPlace(reportName, loaded->identity)) {
    console.Diagnostic(file.Reason());
    return kActionFailed;
  }
  ReportStream report(&file);
  ReportDatabase(db, report, request.progress);
  const bool flushed = report.Flush();
  if (!file.Finish() || !flushed) {
    console.Diagnostic(file.Reason());
    return kActionFailed;
  }
  return done;
}

}  // namespace campdb
