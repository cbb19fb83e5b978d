// campdb --check: reads a database and tells what is in it and what is wrong
// with it, without writing anything.
#include <cstring>
#include <ostream>

#include "check/check.h"
#include "check/check_output.h"
#include "console/console.h"
#include "driver/actions.h"
#include "driver/input_file.h"

namespace campdb {

int RunCheck(const ActionRequest& request, std::ostream& out, Console& console) {
  const std::string& name = request.files.front();
  int error = 0;
  auto image = ReadActionInput(name, &error);
  if (!image) {
    console.Diagnostic(Cat(ShownName(name, false), ": ", std::strerror(error)));
    return kActionNoInput;
  }
  Database db;
  db.source = std::move(image->bytes);
  const CheckReport report = CheckDatabase(db, request.layout);
  if (request.json) {
    WriteCheckJson(report, name, out);
  } else {
    WriteCheckText(report, name, out);
  }
  out.flush();
  if (!out) {
    console.Diagnostic(Cat("standard output: ", "the findings could not be written"));
    return kActionFailed;
  }
  return report.ExitStatus();
}

}  // namespace campdb
