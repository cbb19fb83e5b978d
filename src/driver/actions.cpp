#include "driver/actions.h"

#include <algorithm>
#include <cstring>
#include <istream>
#include <ostream>
#include <sstream>

#include "console/console.h"
#include "driver/input_file.h"

namespace campdb {

namespace {

struct ActionWord {
  std::string_view word;
  Action action;
  // The options it takes besides --layout, and how many file names.
  bool json;
  bool shade;
  size_t fewestFiles;
  size_t mostFiles;
  std::string_view files;  // what the file names are, for an error line
};

constexpr ActionWord kActions[] = {
    {"--check", Action::Check, true, false, 1, 1, "one database"},
    {"--dump", Action::Dump, false, false, 1, 2, "a database and, optionally, the dump to write"},
    {"--restore", Action::Restore, false, false, 2, 2, "a dump and the database to write"},
    {"--map", Action::Map, false, true, 2, 2, "a database and the picture to write"},
    {"--repair", Action::Repair, true, false, 2, 2, "a database and the repaired database to write"},
};

const ActionWord* FindAction(std::string_view word) {
  for (const ActionWord& known : kActions) {
    if (known.word == word) return &known;
  }
  return nullptr;
}

const ActionWord& WordOf(Action action) {
  for (const ActionWord& known : kActions) {
    if (known.action == action) return known;
  }
  return kActions[0];
}

// An option's value: after "=" in the same argument, or the next argument.
bool TakeValue(const std::vector<std::string>& args, size_t& i, std::string_view option, std::string& value) {
  const std::string& arg = args[i];
  if (arg.size() > option.size() && arg[option.size()] == '=') {
    value = arg.substr(option.size() + 1);
    return true;
  }
  if (i + 1 >= args.size()) return false;
  value = args[++i];
  return true;
}

std::string SeeHelp(std::string text) { return text + "; see campdb --help"; }

}  // namespace

bool IsOptionLine(std::string_view first) { return first == "-h" || first.starts_with("--"); }

ParsedOptions ParseOptions(const std::vector<std::string>& args) {
  ParsedOptions parsed;
  ActionRequest& request = parsed.request;
  // A first argument asking for the help or the version is answered,
  // whatever follows it.
  if (!args.empty() && (args[0] == "-h" || args[0] == "--help")) {
    request.help = true;
    return parsed;
  }
  if (!args.empty() && args[0] == "--version") {
    request.version = true;
    return parsed;
  }
  std::vector<std::string> given;  // the options given, for the check below
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const auto isOption = [&](std::string_view option) {
      return arg == option || (arg.starts_with(option) && arg.size() > option.size() && arg[option.size()] == '=');
    };
    if (arg == "-h" || arg == "--help") {
      request.help = true;
    } else if (arg == "--version") {
      request.version = true;
    } else if (const ActionWord* action = FindAction(arg)) {
      if (request.action != Action::None && request.action != action->action) {
        parsed.error = SeeHelp(Cat(arg, " and ", WordOf(request.action).word, " cannot be given together"));
        return parsed;
      }
      request.action = action->action;
    } else if (isOption("--layout")) {
      std::string value;
      if (!TakeValue(args, i, "--layout", value) || (value != "base" && value != "ostrel")) {
        parsed.error = SeeHelp("--layout takes base or ostrel");
        return parsed;
      }
      request.layout = value == "base" ? Layout::Base : Layout::Ostrel;
      given.push_back("--layout");
    } else if (arg == "--json") {
      request.json = true;
      given.push_back("--json");
    } else if (isOption("--shade")) {
      std::string value;
      if (!TakeValue(args, i, "--shade", value) || (value != "econ" && value != "dv")) {
        parsed.error = SeeHelp("--shade takes econ or dv");
        return parsed;
      }
      request.shade = value == "econ" ? Shade::Econ : Shade::Dv;
      given.push_back("--shade");
    } else if (arg == "--dry-run") {
      request.dryRun = true;
      given.push_back(arg);
    } else if (isOption("--lost-found")) {
      std::string value;
      if (!TakeValue(args, i, "--lost-found", value) || value.empty()) {
        parsed.error = SeeHelp("--lost-found takes a file name");
        return parsed;
      }
      request.lostFound = value;
      given.push_back("--lost-found");
    } else if (arg.starts_with("--")) {
      parsed.error = SeeHelp(Cat("unknown option ", arg));
      return parsed;
    } else {
      request.files.push_back(arg);
    }
  }
  if (request.help) return parsed;
  if (request.action == Action::None) {
    if (request.version && given.empty() && request.files.empty()) return parsed;
    parsed.error = SeeHelp("an action is needed: --check, --dump, --restore, --map or --repair");
    return parsed;
  }
  const ActionWord& action = WordOf(request.action);
  if (request.version) {
    parsed.error = SeeHelp(Cat(action.word, " does not take --version"));
    return parsed;
  }
  for (const std::string& option : given) {
    const bool taken = option == "--layout" || (option == "--json" && action.json) ||
                       (option == "--shade" && action.shade) ||
                       ((option == "--dry-run" || option == "--lost-found") && action.action == Action::Repair);
    if (!taken) {
      parsed.error = SeeHelp(Cat(action.word, " does not take ", option));
      return parsed;
    }
  }
  if (request.files.size() < action.fewestFiles || request.files.size() > action.mostFiles) {
    parsed.error = SeeHelp(Cat(action.word, " takes ", action.files));
    return parsed;
  }
  return parsed;
}

void PrintUsage(Console& console) {
  for (const std::string_view line : {
           "Usage: campdb [INPUT-DB [REPORT-FILE [OUTPUT-DB]]]",
           "       campdb --check [--layout base|ostrel] [--json] DB",
           "       campdb --dump [--layout base|ostrel] DB [DUMP]",
           "       campdb --restore [--layout base|ostrel] DUMP OUTPUT-DB",
           "       campdb --map [--layout base|ostrel] [--shade econ|dv] DB MAP.svg",
           "       campdb --repair [--layout base|ostrel] [--dry-run] [--json] [--lost-found FILE] DB OUT",
           "       campdb -h | --help | --version",
           "",
           "Loads a campaign database and cleans it, edits it or reports on it.",
           "File names that are not given are asked for when they are needed:",
           "  INPUT-DB     the campaign database to load; it is never changed",
           "  REPORT-FILE  the text report written in Report mode",
           "  OUTPUT-DB    the new database written in Clean and Edit modes",
           "",
           "Modes, chosen at a prompt:",
           "  C  clean: drop stale objects and write a new database",
           "  E  edit: change records through menus and write a new database",
           "  R  report: write a readable report of the whole database",
           "",
           "Variants, chosen at a prompt: the Ostrel layout (y) or the base layout (n).",
           "Clean and Edit also write camp.info and version.info in the current folder.",
           "",
           "Every answer is read from standard input, so a run can be scripted:",
           "  printf 'n\\nR\\n' | campdb camp.db report.txt",
           "A scripted run names on standard error each answer that was refused or",
           "could not be used, and each one that \"Hit any key to continue\" took,",
           "with its input line, and then exits with 4.",
           "",
           "Actions, which ask nothing and read no standard input (the layout is",
           "found from the file unless --layout gives it):",
           "  --check    say which layout DB is in, what is damaged and what Clean would drop",
           "  --dump     write DB as text, one JSON object a line (to standard output without DUMP)",
           "  --restore  write a database from a dump, with camp.info and version.info",
           "  --map      draw the hex map of DB as an SVG picture; --shade econ or dv",
           "             darkens each hex by its current economy or defence",
           "  --repair   write DB to OUT with its damaged objects salvaged and what can be",
           "             fixed safely fixed; bytes left out go to OUT.lost.jsonl (or FILE);",
           "             --dry-run writes nothing. Its exit status adds up: 0 nothing to",
           "             repair, 1 repairs made, 4 problems left (nothing is written when",
           "             they lie before the misc objects), 8 DB, OUT or the lost-and-found",
           "             file cannot be read or written, 16 a wrong command line",
           "",
           "Exit status:",
           "  0  the run did what was asked",
           "  1  the report or output could not be opened or written, the bytes",
           "     contradict the layout answer (nothing is written), or standard",
           "     input ended before the run could start; --check: warnings found;",
           "     --restore: the dump was refused",
           "  2  the input cannot be opened, or the command line is wrong",
           "  3  the input database is damaged or incomplete: Clean writes nothing,",
           "     Edit and Report still do their job, --check: errors found;",
           "     standard error says what was incomplete",
           "  4  a scripted run left its course: an answer was refused, could not",
           "     be used or was taken by \"Hit any key to continue\"",
           "--check sorts what it finds into errors, warnings, stale references and",
           "notes; only errors (3) and warnings (1) change its status.",
           "",
           "The manual: man campdb",
       }) {
    console.WriteLine(line);
  }
}

std::optional<LoadedInput> LoadForAction(const std::string& name, std::optional<Layout> layout, bool needLayout,
                                         Console& console) {
  int error = 0;
  auto image = ReadInputImage(name, &error);
  if (!image) {
    console.Diagnostic(Cat(name, ": ", std::strerror(error)));
    return std::nullopt;
  }
  std::optional<LoadedInput> loaded(std::in_place);
  loaded->identity = image->identity;
  loaded->db.source = std::move(image->bytes);
  if (layout) {
    loaded->layoutGiven = true;
    loaded->verdict = {layout, "given"};
  } else {
    loaded->verdict = DetectLayout(loaded->db.source.Bytes());
    if (!loaded->verdict.layout && needLayout) {
      console.Diagnostic(Cat(name, ": cannot tell its layout (", loaded->verdict.reason,
                             "); give it with --layout base or --layout ostrel"));
      return std::nullopt;
    }
  }
  loaded->db.layout = loaded->verdict.layout.value_or(Layout::Base);
  LoadObserver quiet;
  loaded->outcome = LoadDatabase(loaded->db, quiet);
  return loaded;
}

int RunOptions(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::istringstream nothing;
  Console console(nothing, out, &err);
  const ParsedOptions parsed = ParseOptions(args);
  if (!parsed.error.empty()) {
    console.Diagnostic(parsed.error);
    // --repair's statuses are bits that add up; a wrong command line is 16.
    const bool repair = std::find(args.begin(), args.end(), "--repair") != args.end();
    return repair ? kRepairCommandLine : kActionNoInput;
  }
  const ActionRequest& request = parsed.request;
  if (request.help) {
    PrintUsage(console);
    return kActionOk;
  }
  switch (request.action) {
    case Action::None:
      console.WriteLine(Cat("campdb ", CAMPDB_VERSION));
      return kActionOk;
    case Action::Check:
      return RunCheck(request, out, console);
    case Action::Dump:
      return RunDump(request, out, console);
    case Action::Restore:
      return RunRestore(request, out, console);
    case Action::Map:
      return RunMap(request, out, console);
    case Action::Repair:
      return RunRepair(request, out, console);
  }
  return kActionOk;
}

}  // namespace campdb
