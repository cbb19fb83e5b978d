// campdb --repair: writes a damaged database again with what can be
// salvaged and fixed, the bytes it leaves out in a lost-and-found file, and
// a report of both; the input is never written.
#include <cstring>
#include <ostream>

#include "console/console.h"
#include "driver/actions.h"
#include "driver/input_file.h"
#include "maintenance/info_files.h"
#include "maintenance/output_file.h"
#include "maintenance/writer.h"
#include "repair/repair.h"

namespace campdb {

namespace {

// Writes OUT and, when there is something to put in it, the lost-and-found
// file. The lost-and-found bytes are written before OUT is committed and
// committed after it, so that a failure of either before OUT is in place
// leaves every file as it was.
bool WriteRepaired(const Database& db, const RepairReport& report, const RepairOutcome& outcome, OutputFile& file,
                   const FileIdentity& input, const InfoPlacement& placement, bool& lostWritten, Console& console) {
  OutputFile lost;
  if (!report.lost.empty()) {
    if (!lost.OpenReplacing(outcome.lostFound, input)) {
      console.Diagnostic(lost.Reason());
      return false;
    }
    ByteWriter writer(&lost);
    WriteLostAndFound(report, db.source.Bytes(), writer);
    if (!writer.Flush()) {
      console.Diagnostic(lost.Reason());
      lost.Abandon();
      return false;
    }
  }
  if (!file.IsOpen()) {
    console.Diagnostic(file.Reason());
    lost.Abandon();
    return false;
  }
  InfoPlacement info = placement;
  info.withheld = InfoFilesWithheldByInput(db, outcome.input);
  const bool written = WriteActionDatabase(db, file, input, info, console);
  if (!written) {
    lost.Abandon();
    return false;
  }
  if (lost.IsOpen() && !lost.Finish()) {
    console.Diagnostic(Cat(lost.Reason(), " (", outcome.output, " was written)"));
    return false;
  }
  lostWritten = !report.lost.empty();
  return true;
}

}  // namespace

int RunRepair(const ActionRequest& request, std::ostream& out, Console& console) {
  RepairOutcome outcome;
  outcome.input = request.files[0];
  outcome.output = request.files[1];
  outcome.lostFound = request.lostFound.value_or(outcome.output + ".lost.jsonl");
  outcome.dryRun = request.dryRun;
  const InfoPlacement placement = InfoPlacementOf(request);
  if (!request.dryRun && !InfoPlacementUsable(placement, console)) return kRepairFailed;
  int error = 0;
  auto image = ReadInputImage(outcome.input, &error);
  if (!image) {
    console.Diagnostic(Cat(outcome.input, ": ", std::strerror(error)));
    return kRepairFailed;
  }
  for (const std::string& name : {outcome.output, outcome.lostFound}) {
    if (IdentityOf(name) == image->identity) {
      console.Diagnostic(Cat(name, ": is the database being repaired, which is never written"));
      return kRepairFailed;
    }
  }
  if (outcome.lostFound == outcome.output ||
      (IdentityOf(outcome.output) && IdentityOf(outcome.output) == IdentityOf(outcome.lostFound))) {
    console.Diagnostic(Cat(outcome.lostFound, ": is the repaired database too; give another --lost-found"));
    return kRepairFailed;
  }
  Database db;
  db.source = std::move(image->bytes);
  LayoutVerdict verdict{request.layout, "given"};
  if (!request.layout) {
    verdict = DetectLayout(db.source.Bytes());
    if (!verdict.layout) {
      console.Diagnostic(Cat(outcome.input, ": cannot tell its layout (", verdict.reason,
                             "); give it with --layout base or --layout ostrel"));
      return kRepairFailed;
    }
  }
  outcome.layout = LayoutName(*verdict.layout);
  outcome.layoutReason = Cat(request.layout ? "" : "found from the bytes: ", verdict.reason);
  // A repair mostly writes its input again as it was: the new file is made
  // now and the input's bytes are written into it while the repair runs;
  // the repaired database then rewrites only what differs. Where the repair
  // leaves bytes out, what follows them is expected that much earlier in
  // the file; after a second such range the rest is left to the writing of
  // the database, so that a file damaged in many places is not written
  // ahead again and again. A file that cannot be made is reported after
  // the repair, where it would be written.
  OutputFile file;
  const auto bytes = db.source.Bytes();
  const std::string_view input(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (!request.dryRun && file.OpenReplacing(outcome.output, image->identity)) file.WriteAhead(input);
  uint64_t leftOut = 0;
  int ranges = 0;
  const RepairReport report = RepairDatabase(db, *verdict.layout, [&](const LostRange& range) {
    const uint64_t at = range.offset - leftOut;
    leftOut += range.length;
    file.WriteAheadFrom(at, ++ranges == 1 ? input.substr(range.offset + range.length) : std::string_view());
  });
  int status = report.Status();
  if (!request.dryRun && report.writable) {
    outcome.written =
        WriteRepaired(db, report, outcome, file, image->identity, placement, outcome.lostWritten, console);
    if (!outcome.written) status = kRepairFailed;
  }
  if (request.json) {
    WriteRepairJson(report, outcome, out);
  } else {
    WriteRepairText(report, outcome, out);
  }
  out.flush();
  if (!out) console.Diagnostic("standard output: the report could not be written");
  return status;
}

}  // namespace campdb
