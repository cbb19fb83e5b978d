// --sqlite: the database as an SQLite file, for questions asked in SQL.
// The file is made under a temporary name beside the output and moved over
// it once complete, like every file the tool writes. Exit status: 0
// written; 3 written from an incomplete load (what was loaded, and the
// campdb_source table says so); 1 the output could not be written (or its
// name is the input itself); 2 the database cannot be opened or its layout
// cannot be told, or the output is standard output.
#include "console/console.h"
#include "console/progress.h"
#include "driver/actions.h"
#include "driver/loader.h"
#include "sqlite/sqlite_writer.h"

namespace campdb {

int RunSqlite(const ActionRequest& request, std::ostream& /*out*/, Console& console) {
  const std::string& databaseName = request.files.at(0);
  const std::string& outputName = request.files.at(1);
  // SQLite writes a file of its own, by name: never a stream, a device or
  // a pipe.
  if (IsStandardStream(outputName)) {
    console.Diagnostic("--sqlite writes an SQLite file, which cannot go to standard output; see campdb --help");
    return kActionNoInput;
  }
  const auto loaded = LoadForAction(databaseName, request.layout, true, console, request.progress);
  if (!loaded) return kActionNoInput;
  request.progress->Clear();
  SqliteSource source;
  source.file = databaseName;
  source.size = static_cast<int64_t>(loaded->db.source.size);
  source.toolVersion = CAMPDB_VERSION;
  source.complete = loaded->outcome.Complete();
  if (!source.complete) {
    source.reason = DescribeIncompleteLoad(loaded->outcome);
    console.Diagnostic(Cat("warning: ", ShownName(databaseName, false), ": ", source.reason));
  }

  if (TargetOf(outputName, loaded->identity) == OutputTarget::Device) {
    console.Diagnostic(Cat(outputName, ": is not a regular file; an SQLite database is written as a file"));
    return kActionFailed;
  }
  OutputFile file;
  if (!file.OpenReplacing(outputName, loaded->identity)) {
    console.Diagnostic(file.Reason());
    return kActionFailed;
  }
  request.progress->Stage("writing SQL", loaded->db.ObjectCount());
  const std::string failure = WriteSqliteFile(loaded->db, file.TemporaryName(), source,
                                              [&](int64_t done) { request.progress->Step(done); });
  request.progress->Clear();
  if (!failure.empty()) {
    file.Abandon();
    console.Diagnostic(Cat(outputName, ": ", failure));
    return kActionFailed;
  }
  if (!file.Finish()) {
    console.Diagnostic(file.Reason());
    return kActionFailed;
  }
  return source.complete ? kActionOk : kActionIncomplete;
}

}  // namespace campdb
