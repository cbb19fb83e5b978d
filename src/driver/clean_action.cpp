// --clean: Clean without a question. The same decisions and the same writer
// as the interactive Clean, so the database it writes is that run's byte
// for byte; on standard output one line (or one JSON document, or nothing)
// says what was kept and dropped.
#include <ostream>
#include <sstream>

#include "check/check.h"
#include "json/json_writer.h"
#include "console/console.h"
#include "console/progress.h"
#include "driver/actions.h"
#include "driver/loader.h"
#include "maintenance/cleaner.h"
#include "maintenance/info_files.h"

namespace campdb {

namespace {

void SayWhatWasCleaned(const ActionRequest& request, const CleanSummary& cleaned, int64_t bytes, std::ostream& out) {
  const std::string_view input = ShownName(request.files[0], false);
  const std::string& output = request.files[1];
  const int64_t kept = cleaned.loaded - cleaned.removed;
  if (request.json) {
    StreamSink sink(out);
    ByteWriter bytesOut(&sink);
    JsonWriter json(bytesOut, JsonWriter::Style::Indented);
    json.BeginObject();
    json.Key("input");
    json.String(input);
    json.Key("output");
    json.String(output);
    json.Key("objects");
    json.Number(cleaned.loaded);
    json.Key("kept");
    json.Number(kept);
    json.Key("dropped");
    json.Number(cleaned.removed);
    json.Key("droppedBy");
    json.BeginObject();
    for (size_t reason = 1; reason < kCleanReasons; ++reason) {
      json.Key(CleanReasonWord(static_cast<CleanReason>(reason)));
      json.Number(cleaned.byReason[reason]);
    }
    json.EndObject();
    json.Key("bytes");
    json.Number(bytes);
    json.EndObject();
    json.Finish();
    bytesOut.Flush();
    return;
  }
  std::string reasons;
  for (size_t reason = 1; reason < kCleanReasons; ++reason) {
    if (cleaned.byReason[reason] == 0) continue;
    reasons += Cat(reasons.empty() ? " (" : ", ", Grouped(cleaned.byReason[reason]), " ",
                   CleanReasonWord(static_cast<CleanReason>(reason)));
  }
  if (!reasons.empty()) reasons += ")";
  out << Cat("cleaned ", input, ": kept ", Grouped(kept), " of ", Grouped(cleaned.loaded), " objects, dropped ",
             Grouped(cleaned.removed), reasons, "; wrote ", output, ", ", Grouped(bytes), " bytes\n");
}

}  // namespace

int RunClean(const ActionRequest& request, std::ostream& out, Console& console) {
  const std::string& name = request.files[0];
  const std::string& outputName = request.files[1];
  const std::string_view shown = ShownName(name, false);
  const InfoPlacement placement = InfoPlacementOf(request);
  if (!InfoPlacementUsable(placement, console)) return kActionFailed;
  LoadedDecisions decisions;
  auto loaded = LoadForAction(name, request.layout, true, console, request.progress, nullptr, &decisions);
  if (!loaded) return kActionNoInput;
  request.progress->Clear();
  Database& db = loaded->db;
  const bool complete = loaded->outcome.Complete();
  if (!complete) console.Diagnostic(Cat("warning: ", shown, ": ", DescribeIncompleteLoad(loaded->outcome)));

  // Nothing is written where the output cannot be, where the bytes say the
  // layout is the other one, or from a load that stopped short: the objects
  // after a damaged one are not stale, and Clean must not drop them unseen.
  OutputFile file;
  if (!file.OpenReplacing(outputName, loaded->identity)) {
    console.Diagnostic(file.Reason());
    return kActionFailed;
  }
  if (LayoutContradicted(db.source.Bytes(), db.layout)) {
    const Layout other = IsOstrel(db.layout) ? Layout::Base : Layout::Ostrel;
    console.Diagnostic(Cat(shown, ": the bytes do not read as the ", LayoutName(db.layout), " layout but do as the ",
                           LayoutName(other), " layout; nothing was written (--layout ", LayoutName(other), ")"));
    return kActionFailed;
  }
  if (!complete) {
    console.Diagnostic(Cat(shown, ": Clean writes nothing from a damaged database; see campdb --check ", shown,
                           ", and campdb --repair"));
    return kActionIncomplete;
  }

  // The info files copy the campaign record; one not read whole gives none.
  InfoPlacement info = placement;
  info.withheld = InfoFilesWithheldByInput(db, shown);
  // Clean narrates as the interactive run does; an action prints none of it.
  std::istringstream nothing;
  std::ostringstream narration;
  Console quiet(nothing, narration);
  const CleanSummary cleaned = CleanDatabase(db, quiet, request.progress, &decisions);
  request.progress->Stage(Cat("writing ", outputName), -1);
  int64_t bytes = 0;
  const bool written = WriteActionDatabase(db, file, loaded->identity, info, console, {}, &bytes);
  request.progress->Clear();
  if (!written) return kActionFailed;
  if (!request.quiet) SayWhatWasCleaned(request, cleaned, bytes, out);
  if (!out.flush()) {
    console.Diagnostic(Cat("standard output: the summary could not be written (", outputName, " was written)"));
    return kActionFailed;
  }
  return kActionOk;
}

}  // namespace campdb
