// --dump writes a database as text, --restore writes a database from that
// text. Neither asks anything; every failure is a line on standard error.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <ostream>
#include <sstream>
#include <string>

#include "check/check.h"
#include "console/console.h"
#include "console/progress.h"
#include "driver/actions.h"
#include "driver/input_file.h"
#include "driver/loader.h"
#include "driver/text_input.h"
#include "maintenance/info_files.h"
#include "maintenance/output_file.h"
#include "maintenance/writer.h"
#include "textform/dump.h"
#include "textform/line_reader.h"

namespace campdb {

int RunDump(const ActionRequest& request, std::ostream& out, Console& console) {
  const std::string& name = request.files[0];
  auto loaded = LoadForAction(name, request.layout, true, console, request.progress);
  if (!loaded) return kActionNoInput;
  const bool complete = loaded->outcome.Complete();
  if (!complete) {
    console.Diagnostic(Cat("warning: ", ShownName(name, false), ": ", DescribeIncompleteLoad(loaded->outcome)));
  }
  request.progress->Stage("dumping", loaded->db.ObjectCount());
  const auto eachObject = [&](int64_t done) { request.progress->Step(done); };

  if (request.files.size() < 2 || IsStandardStream(request.files[1])) {
    StreamSink sink(out);
    ByteWriter writer(&sink);
    WriteDump(loaded->db, writer, eachObject);
    request.progress->Clear();
    if (!writer.Flush() || !out.flush()) {
      console.Diagnostic("standard output: the dump could not be written");
      return kActionFailed;
    }
  } else {
    OutputFile file;
    if (!file.OpenReplacing(request.files[1], loaded->identity)) {
      console.Diagnostic(file.Reason());
      return kActionFailed;
    }
    ByteWriter writer(&file);
    WriteDump(loaded->db, writer, eachObject);
    request.progress->Clear();
    const bool flushed = writer.Flush();
    if (!flushed) file.Abandon();
    if (!flushed || !file.Finish()) {
      console.Diagnostic(file.Reason());
      return kActionFailed;
    }
  }
  return complete ? kActionOk : kActionIncomplete;
}

namespace {

// What the check finds in a database just written: one line for each kind
// of warning or stale reference, with how many there are. Errors cannot be
// (the writer frames every record), and notes are not worth a line.
void SayWhatWasWritten(const std::string& name, Console& console) {
  auto image = ReadInputImage(name);
  if (!image) return;
  Database written;
  written.source = std::move(image->bytes);
  const CheckReport report = CheckDatabase(written, std::nullopt);
  std::array<int64_t, kProblemKinds> counts{};
  for (const Problem& problem : report.problems) ++counts[static_cast<size_t>(problem.kind)];
  for (size_t kind = 0; kind < kProblemKinds; ++kind) {
    const Severity severity = SeverityOf(static_cast<ProblemKind>(kind));
    if (counts[kind] == 0 || severity == Severity::Error || severity == Severity::Note) continue;
    console.Diagnostic(Cat(name, ": ", SeverityWord(severity), ": ", Grouped(counts[kind]), " ",
                           ProblemKindWord(static_cast<ProblemKind>(kind)), "; see campdb --check ", name));
  }
}

}  // namespace

int RunRestore(const ActionRequest& request, std::ostream&, Console& console) {
  const std::string& dumpName = request.files[0];
  const std::string& outputName = request.files[1];
  const std::string_view shownDump = ShownName(dumpName, false);
  const InfoPlacement placement = InfoPlacementOf(request);
  if (!InfoPlacementUsable(placement, console)) return kActionFailed;
  TextInput dump;
  std::string reason;
  if (!dump.Open(dumpName, reason)) {
    console.Diagnostic(Cat(shownDump, ": ", reason));
    return kActionNoInput;
  }

  // The whole dump is read and checked before any output is touched.
  Database db;
  LineReader lines(dump.Fd(), dump.Regular());
  request.progress->Stage("restoring", 0);
  const auto error =
      ReadDump(lines, db, request.layout, [&](int64_t line) { request.progress->Step(line); });
  request.progress->Clear();
  if (error) {
    if (error->unreadable) {
      console.Diagnostic(Cat(shownDump, ": ", error->message));
      return kActionNoInput;
    }
    console.Diagnostic(Cat(shownDump, ":", error->line, ": ", error->message));
    return kActionFailed;
  }

  if (IdentityOf(outputName) == dump.Identity()) {
    console.Diagnostic(Cat(outputName, ": is the dump being restored, which is never written"));
    return kActionFailed;
  }
  InfoPlacement info = placement;
  info.withheld = InfoFilesWithheldByRecords(db);
  if (!WriteActionDatabase(db, outputName, dump.Identity(), info, console, db.unloaded)) return kActionFailed;
  // The restored records go before the written file is read back, so that
  // the two are never in memory together.
  db = Database();
  SayWhatWasWritten(outputName, console);
  return kActionOk;
}

}  // namespace campdb
