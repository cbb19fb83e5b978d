// The command line read as options: help, the version, and the actions that
// work on a database without asking anything (--check, --dump, --restore,
// --map). A command line is read this way when its first argument is -h or
// begins with "--"; every other one is the interactive tool's positional
// file names.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "format/database.h"
#include "format/layout.h"
#include "format/layout_detection.h"
#include "maintenance/output_file.h"

namespace campdb {

class Console;

enum class Action { None, Check, Dump, Restore, Map, Repair };

// What --map shades each hex by.
enum class Shade { None, Econ, Dv };

struct ActionRequest {
  Action action = Action::None;
  bool help = false;
  bool version = false;
  std::optional<Layout> layout;  // --layout
  bool json = false;             // --json
  Shade shade = Shade::None;     // --shade
  bool dryRun = false;           // --dry-run
  std::optional<std::string> lostFound;  // --lost-found
  std::vector<std::string> files;
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
// action. Returns the exit status.
int RunOptions(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

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

// A database loaded for an action: its layout given or detected, read
// without a word on the console.
struct LoadedInput {
  Database db;
  LoadOutcome outcome;
  LayoutVerdict verdict;  // how the layout was decided
  bool layoutGiven = false;
  FileIdentity identity;
};

// Reads and loads the database `name`. Empty after a line on standard error
// (through `console`): the input cannot be opened (status 2), or its layout
// cannot be told and none was given while `needLayout` (status 2, too). When
// the layout cannot be told and is not needed, the base layout is read.
std::optional<LoadedInput> LoadForAction(const std::string& name, std::optional<Layout> layout, bool needLayout,
                                         Console& console);

// The actions themselves. Each writes its result to `out` (or to the file
// its request names) and every failure as a diagnostic through `console`,
// which reads nothing.
int RunCheck(const ActionRequest& request, std::ostream& out, Console& console);
int RunDump(const ActionRequest& request, std::ostream& out, Console& console);
int RunRestore(const ActionRequest& request, std::ostream& out, Console& console);
int RunMap(const ActionRequest& request, std::ostream& out, Console& console);
int RunRepair(const ActionRequest& request, std::ostream& out, Console& console);

}  // namespace campdb
