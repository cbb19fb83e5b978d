#include "driver/actions.h"

#include <unistd.h>

#include <cstring>
#include <istream>
#include <ostream>
#include <sstream>

#include "console/console.h"
#include "console/progress.h"
#include "driver/input_file.h"

namespace campdb {

namespace {

// --- the options -------------------------------------------------------------

struct OptionRow {
  std::string_view word;
  std::string_view values;  // the values it takes, "a|b", or DIR; empty for a flag
  std::string_view help;    // for --help, after the option and its values
  // Takes the option (and its value) into the request; false when the value
  // is not one it takes.
  bool (*take)(ActionRequest&, std::string_view value);
};

constexpr OptionRow kOptions[] = {
    {"--layout", "base|ostrel", "read DB in this layout, not the one its bytes tell",
     [](ActionRequest& r, std::string_view v) {
       if (v != "base" && v != "ostrel") return false;
       r.layout = v == "base" ? Layout::Base : Layout::Ostrel;
       return true;
     }},
    {"--json", "", "write the result as one JSON document",
     [](ActionRequest& r, std::string_view) { return r.json = true; }},
    {"--quiet", "", "write nothing on standard output; the exit status tells",
     [](ActionRequest& r, std::string_view) { return r.quiet = true; }},
    {"--shade", "econ|dv", "darken each hex by its current economy or defence",
     [](ActionRequest& r, std::string_view v) {
       if (v != "econ" && v != "dv") return false;
       r.shade = v == "econ" ? Shade::Econ : Shade::Dv;
       return true;
     }},
    {"--info-dir", "DIR", "put camp.info and version.info in DIR, not beside it",
     [](ActionRequest& r, std::string_view v) {
       r.infoDir = std::string(v);
       return !v.empty();
     }},
    {"--no-info", "", "write no camp.info and no version.info",
     [](ActionRequest& r, std::string_view) { return r.noInfo = true; }},
    {"--summary", "", "print the table of counts only",
     [](ActionRequest& r, std::string_view) { return r.summary = true; }},
    {"--ignore", "MEMBER", "leave MEMBER (or RECORD.MEMBER) out of the comparison; repeatable",
     [](ActionRequest& r, std::string_view v) {
       r.ignore.emplace_back(v);
       return !v.empty();
     }},
    {"--dry-run", "", "say what would be applied or repaired; write nothing",
     [](ActionRequest& r, std::string_view) { return r.dryRun = true; }},
    {"--lost-found", "FILE", "where --repair puts the bytes it leaves out (OUT.lost.jsonl)",
     [](ActionRequest& r, std::string_view v) {
       r.lostFound = std::string(v);
       return !v.empty();
     }},
};

// --- the actions -------------------------------------------------------------

struct ActionRow {
  std::string_view word;
  Action action;
  // The options it takes, in usage order; "a|b" are options that exclude
  // each other.
  std::string_view options;
  // Its file names as the usage shows them; a name in brackets may be left
  // out. The names the action reads are read from standard input for "-",
  // the text it writes goes to standard output for "-".
  std::string_view files;
  std::string_view filesInWords;  // for an error line: "--dump takes ..."
  // The position of the database it writes, which cannot be standard
  // output; -1 when it writes none.
  int databaseOut;
  std::string_view help;  // what it does, for --help (lines split at '\n')
  int (*run)(const ActionRequest&, std::ostream&, Console&);
};

constexpr ActionRow kActions[] = {
    {"--check", Action::Check, "--layout --json", "DB", "one database", -1,
     "say which layout DB is in, what is damaged and what Clean would\ndrop", RunCheck},
    {"--dump", Action::Dump, "--layout", "DB [DUMP]", "a database and, optionally, the dump to write", -1,
     "write DB as text, one JSON object a line", RunDump},
    {"--restore", Action::Restore, "--layout --info-dir|--no-info", "DUMP OUTPUT-DB",
     "a dump and the database to write", 1,
     "write a database from a dump, with its camp.info and version.info,\n"
     "then say what the check finds in it",
     RunRestore},
    {"--map", Action::Map, "--layout --shade", "DB MAP.svg", "a database and the picture to write", -1,
     "draw the hex map of DB as an SVG picture", RunMap},
    {"--clean", Action::Clean, "--layout --json|--quiet --info-dir|--no-info", "DB OUTPUT-DB",
     "a database and the database to write", 1,
     "Clean without a question: write OUTPUT-DB, with its camp.info and\n"
     "version.info, and one line saying what was kept and dropped",
     RunClean},
    {"--report", Action::Report, "--layout", "DB [REPORT]", "a database and, optionally, the report to write", -1,
     "write the report of DB", RunReport},
    {"--diff", Action::Diff, "--layout --summary|--json --ignore", "A B [OUT]",
     "two databases and, optionally, the file to write", -1,
     "what changed from A to B, record by record; --json writes a change\nset for --apply",
     RunDiff},
    {"--apply", Action::Apply, "--layout --dry-run --json|--quiet --info-dir|--no-info", "CHANGES DB OUT",
     "a change set, the database to apply it to and the database to write", 2,
     "make the changes of a change set in DB and write OUT, with its\ncamp.info and version.info; nothing is written when a change\nconflicts with DB",
     RunApply},
    {"--sqlite", Action::Sqlite, "--layout", "DB OUT.sqlite", "a database and the SQLite file to write", -1,
     "write DB as an SQLite database, to ask it questions in SQL", RunSqlite},
    {"--repair", Action::Repair, "--layout --dry-run --json --lost-found --info-dir|--no-info", "DB OUT",
     "a database and the repaired database to write", 1,
     "write DB to OUT with its damaged objects salvaged and what can be\n"
     "fixed safely fixed; the bytes left out go to OUT.lost.jsonl; the\n"
     "status adds up: 0 nothing to repair, 1 repairs made, 4 problems\n"
     "left, 8 nothing written (a file cannot be read or written), 16 a\n"
     "wrong command line",
     RunRepair},
};

const OptionRow* FindOption(std::string_view word) {
  for (const OptionRow& option : kOptions) {
    if (option.word == word) return &option;
  }
  return nullptr;
}

const ActionRow* FindAction(std::string_view word) {
  for (const ActionRow& known : kActions) {
    if (known.word == word) return &known;
  }
  return nullptr;
}

const ActionRow& RowOf(Action action) {
  for (const ActionRow& known : kActions) {
    if (known.action == action) return known;
  }
  return kActions[0];
}

// Calls `each` with every word of a space-separated list.
template <class Each>
void ForEachWord(std::string_view list, Each each) {
  while (!list.empty()) {
    const size_t end = std::min(list.find(' '), list.size());
    if (end > 0) each(list.substr(0, end));
    list.remove_prefix(std::min(end + 1, list.size()));
  }
}

// Whether `group` ("--json|--quiet") names `word`.
bool GroupHas(std::string_view group, std::string_view word) {
  while (!group.empty()) {
    const size_t end = std::min(group.find('|'), group.size());
    if (group.substr(0, end) == word) return true;
    group.remove_prefix(std::min(end + 1, group.size()));
  }
  return false;
}

std::string SeeHelp(std::string text) { return text + "; see campdb --help"; }

// The usage of one action, its lines kept within 80 columns.
std::vector<std::string> UsageOf(const ActionRow& action) {
  std::vector<std::string> pieces{Cat("campdb ", action.word)};
  ForEachWord(action.options, [&](std::string_view group) {
    std::string piece = "[";
    for (std::string_view rest = group; !rest.empty();) {
      const size_t end = std::min(rest.find('|'), rest.size());
      const OptionRow* option = FindOption(rest.substr(0, end));
      piece += Cat(piece.size() > 1 ? " | " : "", option->word, option->values.empty() ? "" : " ", option->values);
      rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    pieces.push_back(piece + "]");
  });
  pieces.emplace_back(action.files);
  std::vector<std::string> lines{"       " + pieces[0]};
  for (size_t i = 1; i < pieces.size(); ++i) {
    if (lines.back().size() + 1 + pieces[i].size() > 79) lines.emplace_back(std::string(14 + action.word.size(), ' '));
    lines.back() += Cat(lines.back().back() == ' ' ? "" : " ", pieces[i]);
  }
  return lines;
}

}  // namespace

bool IsOptionLine(std::string_view first) { return first.size() > 1 && first[0] == '-'; }

std::string_view ShownName(std::string_view name, bool output) {
  if (!IsStandardStream(name)) return name;
  return output ? "standard output" : "standard input";
}

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
  std::vector<std::string_view> given;  // the options given, for the checks below
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const std::string_view word = std::string_view(arg).substr(0, arg.find('='));
    if (arg == "-h" || arg == "--help") {
      request.help = true;
    } else if (arg == "--version") {
      request.version = true;
    } else if (const ActionRow* action = FindAction(arg)) {
      if (request.action != Action::None && request.action != action->action) {
        parsed.error = SeeHelp(Cat(arg, " and ", RowOf(request.action).word, " cannot be given together"));
        return parsed;
      }
      request.action = action->action;
    } else if (const OptionRow* option = FindOption(word)) {
      // A value follows "=" in the same argument, or is the next argument.
      std::string_view value;
      bool hasValue = word.size() < arg.size();
      if (hasValue) {
        value = std::string_view(arg).substr(word.size() + 1);
      } else if (!option->values.empty() && i + 1 < args.size()) {
        value = args[++i];
        hasValue = true;
      }
      const bool wanted = !option->values.empty();
      if (hasValue != wanted || !option->take(request, value)) {
        std::string values(option->values);
        for (size_t bar = values.find('|'); bar != std::string::npos; bar = values.find('|')) {
          values.replace(bar, 1, " or ");
        }
        parsed.error = SeeHelp(wanted ? Cat(option->word, " takes ", values) : Cat(option->word, " takes no value"));
        return parsed;
      }
      given.push_back(option->word);
    } else if (arg.size() > 1 && arg[0] == '-') {
      parsed.error = Cat(SeeHelp(Cat("unknown option ", arg)), " (a file named ", arg, " is given as ./", arg, ")");
      return parsed;
    } else {
      request.files.push_back(arg);
    }
  }
  if (request.help) return parsed;
  if (request.action == Action::None) {
    if (request.version && given.empty() && request.files.empty()) return parsed;
    std::string words;
    for (const ActionRow& action : kActions) words += Cat(words.empty() ? "" : ", ", action.word);
    parsed.error = SeeHelp(Cat("an action is needed: ", words));
    return parsed;
  }
  const ActionRow& action = RowOf(request.action);
  if (request.version) {
    parsed.error = SeeHelp(Cat(action.word, " does not take --version"));
    return parsed;
  }
  for (const std::string_view option : given) {
    std::string_view group;
    ForEachWord(action.options, [&](std::string_view g) {
      if (GroupHas(g, option)) group = g;
    });
    if (group.empty()) {
      parsed.error = SeeHelp(Cat(action.word, " does not take ", option));
      return parsed;
    }
    for (const std::string_view other : given) {
      if (other != option && GroupHas(group, other)) {
        parsed.error = SeeHelp(Cat(option, " and ", other, " cannot be given together"));
        return parsed;
      }
    }
  }
  size_t fewest = 0;
  size_t most = 0;
  ForEachWord(action.files, [&](std::string_view name) {
    ++most;
    fewest += name.starts_with('[') ? 0 : 1;
  });
  if (request.files.size() < fewest || request.files.size() > most) {
    parsed.error = SeeHelp(Cat(action.word, " takes ", action.filesInWords));
    return parsed;
  }
  if (action.databaseOut >= 0 && static_cast<size_t>(action.databaseOut) < request.files.size() &&
      IsStandardStream(request.files[static_cast<size_t>(action.databaseOut)])) {
    parsed.error = SeeHelp(Cat(action.word, " writes a database, never to standard output; a file named - is ./-"));
    return parsed;
  }
  return parsed;
}

void PrintUsage(Console& console) {
  console.WriteLine("Usage: campdb [INPUT-DB [REPORT-FILE [OUTPUT-DB]]]");
  for (const ActionRow& action : kActions) {
    for (const std::string& line : UsageOf(action)) console.WriteLine(line);
  }
  for (const std::string_view line : {
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
           "Actions, which ask nothing (the layout is found from the file unless",
           "--layout gives it); a file name - is standard input for what an action",
           "reads and standard output for the text it writes:",
       }) {
    console.WriteLine(line);
  }
  for (const ActionRow& action : kActions) {
    std::string_view help = action.help;
    std::string lead = Cat("  ", action.word, std::string(11 - action.word.size(), ' '));
    while (!help.empty()) {
      const size_t end = std::min(help.find('\n'), help.size());
      console.WriteLine(Cat(lead, help.substr(0, end)));
      lead = std::string(13, ' ');
      help.remove_prefix(std::min(end + 1, help.size()));
    }
  }
  console.WriteLine("");
  console.WriteLine("Options of the actions:");
  for (const OptionRow& option : kOptions) {
    const std::string head = Cat("  ", option.word, option.values.empty() ? "" : " ", option.values);
    console.WriteLine(Cat(head, std::string(head.size() < 24 ? 24 - head.size() : 1, ' '), option.help));
  }
  for (const std::string_view line : {
           "",
           "Exit status:",
           "  0  the run did what was asked",
           "  1  the report or output could not be opened or written, the bytes",
           "     contradict the layout answer (nothing is written), or standard",
           "     input ended before the run could start; --check: warnings found;",
           "     --restore: the dump was refused",
           "  2  the input cannot be opened, its layout cannot be told, or the",
           "     command line is wrong",
           "  3  the input database is damaged or incomplete: Clean and --clean",
           "     write nothing, Edit and Report still do their job, --check: errors",
           "     found; standard error says what was incomplete",
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
                                         Console& console, ProgressLine* progress, const Database* like,
                                         LoadedDecisions* decisions, const InputReadHook& whenRead,
                                         InputReadAhead* ahead) {
  int error = 0;
  auto image = ahead != nullptr ? ahead->Take(&error) : ReadActionInput(name, &error);
  const std::string_view shown = ShownName(name, false);
  if (!image) {
    console.Diagnostic(Cat(shown, ": ", std::strerror(error)));
    return std::nullopt;
  }
  std::optional<LoadedInput> loaded(std::in_place);
  loaded->identity = image->identity;
  loaded->db.source = std::move(image->bytes);
  if (whenRead) whenRead(loaded->db.source.Bytes(), loaded->identity);
  if (layout) {
    loaded->layoutGiven = true;
    loaded->verdict = {layout, "given"};
  } else {
    loaded->verdict = DetectLayout(loaded->db.source.Bytes());
    if (!loaded->verdict.layout && needLayout) {
      console.Diagnostic(Cat(shown, ": cannot tell its layout (", loaded->verdict.reason,
                             "); give it with --layout base or --layout ostrel"));
      return std::nullopt;
    }
  }
  loaded->db.layout = loaded->verdict.layout.value_or(Layout::Base);
  // The load follows the objects as they are read.
  class Observer final : public LoadObserver {
   public:
    Observer(ProgressLine* progress, LoadedDecisions* decisions) : progress_(progress), decisions_(decisions) {}
    void ObjectsAnnounced(int64_t count) override {
      if (progress_ != nullptr) progress_->Stage("reading", count);
    }
    void ObjectParsed(int64_t index, const MiscObject& object) override {
      if (decisions_ != nullptr) decisions_->Take(index, object);
    }
    void ObjectRead(int64_t index, const ObjectFrame&, size_t) override {
      if (progress_ != nullptr) progress_->Step(index + 1);
    }

   private:
    ProgressLine* progress_;
    LoadedDecisions* decisions_;
  } observer(progress, decisions);
  loaded->outcome = LoadDatabase(loaded->db, observer, like);
  return loaded;
}

int RunOptions(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool progressOnErr) {
  std::istringstream nothing;
  Console console(nothing, out, &err);
  const ParsedOptions parsed = ParseOptions(args);
  if (!parsed.error.empty()) {
    console.Diagnostic(parsed.error);
    // --repair's statuses are bits that add up; a wrong command line is 16.
    const bool repair = std::find(args.begin(), args.end(), "--repair") != args.end();
    return repair ? kRepairCommandLine : kActionNoInput;
  }
  ActionRequest request = parsed.request;
  if (request.help) {
    PrintUsage(console);
    return kActionOk;
  }
  if (request.action == Action::None) {
    console.WriteLine(Cat("campdb ", CAMPDB_VERSION));
    return kActionOk;
  }
  ProgressLine progress(progressOnErr ? &err : nullptr);
  console.ShowProgressOn(&progress);
  request.progress = &progress;
  return RowOf(request.action).run(request, out, console);
}

}  // namespace campdb
