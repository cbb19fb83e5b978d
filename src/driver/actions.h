// The command line read as options: help, the version, and the actions that
// do one job on a database without asking anything. A command line is read
// this way when its first argument begins with "-" and is not "-" itself;
// every other one is the interactive tool's positional file names.
//
// Every action and every option is one row of the tables in actions.cpp:
// the usage text, the parser and its error lines all come from there. An
// action added later is one more row (its word, the options it takes, its
// file names, its Run function), and an option one more row of options.
#pragma once

#include <cstdint>
#include <ostream>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "format/database.h"
#include "json/json_writer.h"
#include "format/layout.h"
#include "format/layout_detection.h"
#include "maintenance/cleaner.h"
#include "maintenance/output_file.h"

namespace campdb {

class Console;
class InputReadAhead;
class ProgressLine;

enum class Action { None, Check, Dump, Restore, Map, Clean, Report, Diff, Apply, Sqlite, Repair };

// What --map shades each hex by.
enum class Shade { None, Econ, Dv };

struct ActionRequest {
  Action action = Action::None;
  bool help = false;
  bool version = false;
  std::optional<Layout> layout;         // --layout
  bool json = false;                    // --json
  bool quiet = false;                   // --quiet
  Shade shade = Shade::None;            // --shade
  std::optional<std::string> infoDir;   // --info-dir
  bool noInfo = false;                  // --no-info
  bool summary = false;                 // --summary
  std::vector<std::string> ignore;      // --ignore, each given
  bool dryRun = false;                  // --dry-run
  std::optional<std::string> lostFound;  // --lost-found
  std::vector<std::string> files;
  // Shows how far a long job has come, on a terminal; never null while an
  // action runs.
  ProgressLine* progress = nullptr;
};

// True when the command line is to be read as options.
bool IsOptionLine(std::string_view first);

// Reads the options; an error is one line of text (without "campdb: ").
struct ParsedOptions {
  ActionRequest request;
  std::string error;
};
ParsedOptions ParseOptions(const std::vector<std::string>& args);

// Runs an option command line: prints the help or the version, or runs the
// action. Returns the exit status. Progress lines go to `err` only when
// `progressOnErr` is set (it is the process's standard error, a terminal).
int RunOptions(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               bool progressOnErr = false);

// The usage text, for the interactive tool and the actions alike.
void PrintUsage(Console& console);

// --- what the actions share --------------------------------------------------

// The exit statuses of the actions.
constexpr int kActionOk = 0;
constexpr int kActionFailed = 1;      // --check: problems found; others: output not written
constexpr int kActionNoInput = 2;     // the input cannot be opened; option errors
constexpr int kActionIncomplete = 3;  // written from an incomplete load
// --repair's statuses, bits that add up: repairs made, problems left, an
// operational error (nothing written), a wrong command line.
constexpr int kRepairMade = 1;
constexpr int kRepairLeft = 4;
constexpr int kRepairFailed = 8;
constexpr int kRepairCommandLine = 16;

// The name an action's input or output has when it is "-".
inline bool IsStandardStream(std::string_view name) { return name == "-"; }
// The name to use in messages: "standard input"/"standard output" for "-".
std::string_view ShownName(std::string_view name, bool output);


// A database loaded for an action: its layout given or detected, read
// without a word on the console.
struct LoadedInput {
  Database db;
  LoadOutcome outcome;
  LayoutVerdict verdict;  // how the layout was decided
  bool layoutGiven = false;
  FileIdentity identity;
};

// Reads and loads the database `name` ("-": standard input). Empty after a
// line on standard error (through `console`): the input cannot be opened
// (status 2), or its layout cannot be told and none was given while
// `needLayout` (status 2, too). When the layout cannot be told and is not
// needed, the base layout is read. `progress`, when given, follows the
// objects as they are read. `like`, a database loaded before that this one
// is expected to share most objects with, lets the load take those objects
// as they are there rather than read them (see LoadDatabase). Clean's
// decisions go to `decisions` when given. `whenRead`, when given, is shown
// the input's bytes and identity once they are read, before the load; the
// bytes live as long as the loaded database. `ahead`, when given, is the
// input being read already.
using InputReadHook = std::function<void(std::span<const uint8_t> bytes, const FileIdentity& identity)>;
std::optional<LoadedInput> LoadForAction(const std::string& name, std::optional<Layout> layout, bool needLayout,
                                         Console& console, ProgressLine* progress = nullptr,
                                         const Database* like = nullptr, LoadedDecisions* decisions = nullptr,
                                         const InputReadHook& whenRead = {}, InputReadAhead* ahead = nullptr);

// Where an action puts the info files of the database it writes.
struct InfoPlacement {
  bool none = false;               // --no-info
  std::optional<std::string> dir;  // --info-dir; else the output's folder
  // Why the info files may not be written, when they may not (see
  // InfoFilesWithheldByInput): each is then left as it was.
  std::optional<std::string> withheld;
};
InfoPlacement InfoPlacementOf(const ActionRequest& request);
// False, after a line on standard error, when --info-dir names no folder:
// an action checks this before it writes anything (status 1).
bool InfoPlacementUsable(const InfoPlacement& placement, Console& console);

// Writes the database an action produces: `db` into `outputName` through a
// temporary file renamed into place (never over `input`), then its
// camp.info and version.info where `placement` says, only once the database
// is in place. The objects not flagged for deletion are written, then
// `unloaded`. Every failure is a line on standard error through `console`;
// nothing of the interactive transcript is printed. Returns whether the
// database was written, and its size in `bytes`.
bool WriteActionDatabase(const Database& db, const std::string& outputName, const std::optional<FileIdentity>& input,
                         const InfoPlacement& placement, Console& console, Text unloaded = {},
                         int64_t* bytes = nullptr);
// The same into an output the caller has opened (OpenReplacing), so that it
// can learn first whether the output can be written at all.
bool WriteActionDatabase(const Database& db, OutputFile& file, const std::optional<FileIdentity>& input,
                         const InfoPlacement& placement, Console& console, Text unloaded = {},
                         int64_t* bytes = nullptr);

// The actions themselves. Each writes its result to `out` (or to the file
// its request names) and every failure as a diagnostic through `console`,
// which reads nothing.
int RunCheck(const ActionRequest& request, std::ostream& out, Console& console);
int RunDump(const ActionRequest& request, std::ostream& out, Console& console);
int RunRestore(const ActionRequest& request, std::ostream& out, Console& console);
int RunMap(const ActionRequest& request, std::ostream& out, Console& console);
int RunClean(const ActionRequest& request, std::ostream& out, Console& console);
int RunReport(const ActionRequest& request, std::ostream& out, Console& console);
int RunDiff(const ActionRequest& request, std::ostream& out, Console& console);
int RunApply(const ActionRequest& request, std::ostream& out, Console& console);
int RunSqlite(const ActionRequest& request, std::ostream& out, Console& console);
int RunRepair(const ActionRequest& request, std::ostream& out, Console& console);

}  // namespace campdb
