#include "driver/driver.h"

#include <unistd.h>

#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/console.h"
#include "driver/actions.h"
#include "driver/input_file.h"
#include "driver/loader.h"
#include "editor/edit_menu.h"
#include "format/database.h"
#include "format/layout_detection.h"
#include "maintenance/cleaner.h"
#include "maintenance/info_files.h"
#include "maintenance/output_file.h"
#include "maintenance/writer.h"
#include "report/report_driver.h"
#include "report/report_stream.h"

namespace campdb {

namespace {

// The exit statuses. A run that could not write its output fails, whatever
// else happened; one that did its job on an incomplete input says so.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitNoInput = 2;
constexpr int kExitIncomplete = 3;
constexpr int kExitOffCourse = 4;

constexpr std::string_view kEndOfInput = "End of input, terminating program";

enum class RunMode { Clean, Edit, Report };

// A file name from the command line, else asked for.
std::optional<std::string> FileName(int argc, char** argv, int position, std::string_view what, Console& console) {
  if (argc > position) return std::string(argv[position]);
  console.WriteLine(Cat("Please enter the name of the ", what));
  return console.ReadFileName();
}

// Writes the report into the open report file; false when any of it could
// not be written.
bool GenerateReport(const Database& db, OutputFile& file, Console& console) {
  ReportStream report(&file);
  ReportDatabase(db, report, console);
  const bool flushed = report.Flush();
  const bool closed = file.Finish();
  return flushed && closed;
}

// The answer to the layout question is taken as given; when the bytes say
// the file is in the other layout, the operator hears of it on standard
// error, and nothing else changes.
void WarnOfOtherLayout(const std::string& name, const Database& db, Console& console) {
  const LayoutVerdict verdict = DetectLayout(db.source.Bytes());
  if (!verdict.layout || *verdict.layout == db.layout) return;
  const bool looksOstrel = IsOstrel(*verdict.layout);
  console.Diagnostic(Cat("warning: ", name, " looks like ", looksOstrel ? "an Ostrel" : "a base", "-layout file (",
                         verdict.reason, "), but the ", looksOstrel ? "base" : "Ostrel", " layout was chosen"));
}

// When the bytes contradict the layout answer (that layout does not read the
// records cleanly, the other one does), the run writes nothing: its output
// is treated as one that cannot be opened. Says so, and which answer the
// file needs.
bool RefuseContradictedLayout(const std::string& name, const Database& db, Console& console) {
  if (!LayoutContradicted(db.source.Bytes(), db.layout)) return false;
  const bool needsOstrel = !IsOstrel(db.layout);
  console.Diagnostic(Cat("nothing written: ", name, " reads cleanly only as ", needsOstrel ? "an Ostrel" : "a base",
                         "-layout file; answer ", needsOstrel ? "y" : "n", " to the Ostrel question"));
  return true;
}

// Releases the records in reverse order of loading.
void TearDown(Database& db, Console& console) {
  db.objects.clear();
  db.deleteFlags.clear();
  console.WriteLine("== finished with sMiscObject array == ");
  db.political = tPoliticalObject();
  console.WriteLine("== finished with tPoliticalObject ==");
  db.hexes.clear();
  console.WriteLine("== finished with MapHexPtr array ==");
  db.map = tMapObject();
  console.WriteLine("== finished tMapObject ==");
  db.campaign = tCampaignObject();
  console.WriteLine("== finished tCampaignObject ==");
  db.header = tPrelimData();
  console.WriteLine("== finished tPrelimData ==");
}

}  // namespace

int RunProgram(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err, bool gathered,
               bool scripted) {
  Console console(in, out, &err, gathered ? Console::LineFlush::Gathered : Console::LineFlush::EachLine);
  console.SetScripted(scripted);

  if (argc > 1 && IsOptionLine(argv[1])) {
    // A job's progress is shown only on the process's own standard error,
    // and only when a person watches it there.
    const bool progress = &err == &std::cerr && ::isatty(STDERR_FILENO) == 1;
    return RunOptions(std::vector<std::string>(argv + 1, argv + argc), out, err, progress);
  }

  const auto inputName = FileName(argc, argv, 1, "input db file", console);
  if (!inputName) {
    console.WriteLine(kEndOfInput);
    return kExitFailed;
  }
  int inputError = 0;
  auto input = ReadInputImage(*inputName, &inputError);
  if (!input) {
    console.WriteLine(Cat("Unable to open input file ", *inputName, ",", "   terminating program"));
    console.Diagnostic(Cat(*inputName, ": ", std::strerror(inputError)));
    return kExitNoInput;
  }

  // The records are seen where they lie in the input, which the database
  // keeps from here on.
  const FileIdentity inputIdentity = input->identity;
  Database db;
  db.source = std::move(input->bytes);
  input.reset();

  // Each opening question is asked again until one of its answers is given.
  const auto variant = console.Ask(ChoiceQuestion{{"Is this an Ostrel campaign file (y or n)?"}, "yYnN"});
  if (!variant) {
    console.WriteLine(kEndOfInput);
    return kExitFailed;
  }
  db.layout = (*variant == 'y' || *variant == 'Y') ? Layout::Ostrel : Layout::Base;
  WarnOfOtherLayout(*inputName, db, console);
  const bool contradicted = LayoutContradicted(db.source.Bytes(), db.layout);

  const auto mode = console.Ask(ChoiceQuestion{
      {"Do you wish to clean the file, edit the file or generate a report (pick one: C, E, or R)?"}, "CcEeRr"});
  if (!mode) {
    console.WriteLine(kEndOfInput);
    return kExitFailed;
  }
  RunMode runMode = RunMode::Report;
  switch (*mode) {
    case 'C':
    case 'c':
      runMode = RunMode::Clean;
      break;
    case 'E':
    case 'e':
      runMode = RunMode::Edit;
      break;
    default:
      break;
  }

  // Without the file its job writes, a run goes on (the database is still
  // loaded and released) but fails.
  int status = kExitOk;
  OutputFile reportFile;
  OutputFile outputDatabase;
  if (runMode == RunMode::Report) {
    const auto name = FileName(argc, argv, 2, "report file", console);
    if (!name) {
      console.WriteLine(kEndOfInput);
      return kExitFailed;
    }
    if (contradicted || !reportFile.OpenInPlace(*name, inputIdentity)) {
      console.WriteLine(Cat("Unable to open output file ", *name, ","));
      console.WriteLine("   so a full report will not be generated");
      if (!RefuseContradictedLayout(*inputName, db, console)) console.Diagnostic(reportFile.Reason());
      status = kExitFailed;
    }
  } else {
    const auto name = FileName(argc, argv, 3, "output db file", console);
    if (!name) {
      console.WriteLine(kEndOfInput);
      return kExitFailed;
    }
    if (contradicted || !outputDatabase.OpenReplacing(*name, inputIdentity)) {
      console.WriteLine(Cat("Unable to open output database file ", *name, ","));
      console.WriteLine("   so an updated database cannot be produced");
      if (!RefuseContradictedLayout(*inputName, db, console)) console.Diagnostic(outputDatabase.Reason());
      status = kExitFailed;
    }
  }

  LoadedDecisions decisions;
  const LoadOutcome outcome = LoadWithNarration(db, console, runMode == RunMode::Clean ? &decisions : nullptr);
  console.WriteLine("finished with input file");
  if (!outcome.Complete()) {
    console.Diagnostic(Cat("warning: ", *inputName, ": ", DescribeIncompleteLoad(outcome)));
  }

  if (runMode == RunMode::Clean && outputDatabase.IsOpen()) {
    const CleanSummary cleaned = CleanDatabase(db, console, nullptr, &decisions);
    if (!outcome.Complete()) {
      // The objects after the damage were never looked at, so nothing says
      // they are stale: Clean writes nothing rather than drop them unseen.
      outputDatabase.Abandon();
      console.WriteLine(Cat("ERROR: unable to write output database ", outputDatabase.Name()));
      console.Diagnostic(Cat("Clean writes nothing from a damaged database; see what is wrong with `campdb --check ",
                             *inputName, "` and mend it with `campdb --repair`"));
    } else if (WriteDatabase(db, outputDatabase, inputIdentity, console, {},
                             InfoFilesWithheldByInput(db, *inputName))) {
      console.WriteLine(Cat("DB CLEAN COMPLETE: removed ", cleaned.removed, " out of ", cleaned.loaded,
                            " objects from database"));
      console.WriteLine();
    } else {
      status = kExitFailed;
    }
  } else if (runMode == RunMode::Edit && outputDatabase.IsOpen()) {
    EditMenu(db, console);
    // Edit gives back, after the objects, the input bytes the load did not
    // take.
    if (!WriteDatabase(db, outputDatabase, inputIdentity, console, db.unloaded,
                       InfoFilesWithheldByInput(db, *inputName))) {
      status = kExitFailed;
    }
  } else if (runMode == RunMode::Report && reportFile.IsOpen()) {
    console.WriteLine("now generating report");
    if (!GenerateReport(db, reportFile, console)) {
      console.WriteLine(Cat("ERROR: unable to write report file ", reportFile.Name()));
      console.Diagnostic(reportFile.Reason());
      status = kExitFailed;
    }
  }

  TearDown(db, console);
  if (status == kExitOk && !outcome.Complete()) status = kExitIncomplete;
  if (status == kExitOk && console.LeftCourse()) status = kExitOffCourse;
  return status;
}

}  // namespace campdb
