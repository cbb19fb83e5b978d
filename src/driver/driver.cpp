#include "driver/driver.h"

#include <optional>
#include <string>
#include <string_view>

#include "console/console.h"
#include "driver/input_file.h"
#include "driver/loader.h"
#include "editor/edit_menu.h"
#include "format/database.h"
#include "maintenance/cleaner.h"
#include "maintenance/output_file.h"
#include "maintenance/writer.h"
#include "report/report_driver.h"
#include "report/report_stream.h"

namespace campdb {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitNoInput = 2;

constexpr std::string_view kEndOfInput = "End of input, terminating program";

enum class RunMode { Clean, Edit, Report };

void PrintUsage(Console& console) {
  console.WriteLine("Usage: campdb [INPUT-DB [REPORT-FILE [OUTPUT-DB]]]");
  console.WriteLine("       campdb -h | --help | --version");
  console.WriteLine();
  console.WriteLine("Loads a campaign database and cleans it, edits it or reports on it.");
  console.WriteLine("File names that are not given are asked for when they are needed:");
  console.WriteLine("  INPUT-DB     the campaign database to load; it is never changed");
  console.WriteLine("  REPORT-FILE  the text report written in Report mode");
  console.WriteLine("  OUTPUT-DB    the new database written in Clean and Edit modes");
  console.WriteLine();
  console.WriteLine("Modes, chosen at a prompt:");
  console.WriteLine("  C  clean: drop stale objects and write a new database");
  console.WriteLine("  E  edit: change records through menus and write a new database");
  console.WriteLine("  R  report: write a readable report of the whole database");
  console.WriteLine();
  console.WriteLine("Variants, chosen at a prompt: the Ostrel layout (y) or the base layout (n).");
  console.WriteLine("Clean and Edit also write camp.info and version.info in the current folder.");
}

// A file name from the command line, else asked for.
std::optional<std::string> FileName(int argc, char** argv, int position, std::string_view what, Console& console) {
  if (argc > position) return std::string(argv[position]);
  console.WriteLine(Cat("Please enter the name of the ", what));
  return console.ReadFileName();
}

// Asks until one of the accepted answers is given; empty at end of input.
std::optional<char> Ask(std::string_view question, std::string_view accepted, Console& console) {
  while (true) {
    console.WriteLine(question);
    const auto answer = console.ReadAnswerChar();
    if (!answer) return std::nullopt;
    if (accepted.find(*answer) != std::string_view::npos) return answer;
  }
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

int RunProgram(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err) {
  Console console(in, out, &err);

  if (argc > 1) {
    const std::string_view first = argv[1];
    if (first == "-h" || first == "--help") {
      PrintUsage(console);
      return kExitOk;
    }
    if (first == "--version") {
      console.WriteLine(Cat("campdb ", CAMPDB_VERSION));
      return kExitOk;
    }
  }

  const auto inputName = FileName(argc, argv, 1, "input db file", console);
  if (!inputName) {
    console.WriteLine(kEndOfInput);
    return kExitFailed;
  }
  auto input = ReadInputImage(*inputName);
  if (!input) {
    console.WriteLine(Cat("Unable to open input file ", *inputName, ",", "   terminating program"));
    return kExitNoInput;
  }

  const auto variant = Ask("Is this an Ostrel campaign file (y or n)?", "yYnN", console);
  if (!variant) {
    console.WriteLine(kEndOfInput);
    return kExitFailed;
  }
  Database db;
  db.layout = (*variant == 'y' || *variant == 'Y') ? Layout::Ostrel : Layout::Base;

  const auto mode = Ask("Do you wish to clean the file, edit the file or generate a report (pick one: C, E, or R)?",
                        "CcEeRr", console);
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

  OutputFile reportFile;
  OutputFile outputDatabase;
  if (runMode == RunMode::Report) {
    const auto name = FileName(argc, argv, 2, "report file", console);
    if (!name) {
      console.WriteLine(kEndOfInput);
      return kExitFailed;
    }
    if (!reportFile.OpenInPlace(*name, input->identity)) {
      console.WriteLine(Cat("Unable to open output file ", *name, ","));
      console.WriteLine("   so a full report will not be generated");
    }
  } else {
    const auto name = FileName(argc, argv, 3, "output db file", console);
    if (!name) {
      console.WriteLine(kEndOfInput);
      return kExitFailed;
    }
    if (!outputDatabase.OpenReplacing(*name, input->identity)) {
      console.WriteLine(Cat("Unable to open output database file ", *name, ","));
      console.WriteLine("   so an updated database cannot be produced");
    }
  }

  // The records are seen where they lie in the input, which the database
  // keeps from here on.
  const FileIdentity inputIdentity = input->identity;
  db.source = std::move(input->bytes);
  input.reset();
  LoadWithNarration(db, console);
  console.WriteLine("finished with input file");

  int status = kExitOk;
  if (runMode == RunMode::Clean && outputDatabase.IsOpen()) {
    const CleanSummary cleaned = CleanDatabase(db, console);
    if (WriteDatabase(db, outputDatabase, inputIdentity, console)) {
      console.WriteLine(Cat("DB CLEAN COMPLETE: removed ", cleaned.removed, " out of ", cleaned.loaded,
                            " objects from database"));
      console.WriteLine();
    } else {
      status = kExitFailed;
    }
  } else if (runMode == RunMode::Edit && outputDatabase.IsOpen()) {
    EditMenu(db, console);
    if (!WriteDatabase(db, outputDatabase, inputIdentity, console)) status = kExitFailed;
  } else if (runMode == RunMode::Report && reportFile.IsOpen()) {
    console.WriteLine("now generating report");
    if (!GenerateReport(db, reportFile, console)) {
      console.WriteLine(Cat("ERROR: unable to write report file ", reportFile.Name()));
      status = kExitFailed;
    }
  }

  TearDown(db, console);
  return status;
}

}  // namespace campdb
