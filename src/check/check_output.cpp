#include "check/check_output.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "check/json_writer.h"
#include "console/console.h"

namespace campdb {

namespace {

std::string Plural(int64_t count, std::string_view one, std::string_view many) {
  return Cat(Grouped(count), " ", count == 1 ? one : many);
}

std::string LayoutWord(const CheckReport& report) {
  return report.layout ? std::string(LayoutName(*report.layout)) : "unknown";
}

// Rows of cells printed in aligned columns, two spaces apart; the last
// column is not padded. The rows are made twice, once to measure the
// columns and once to print them, so that no copy of a long list is held.
class Table {
 public:
  using Cells = std::vector<std::string>;

  Table(std::vector<bool> rightAligned, Cells heading)
      : right_(std::move(rightAligned)), widths_(right_.size(), 0), heading_(std::move(heading)) {
    Measure(heading_);
  }

  void Measure(const Cells& cells) {
    for (size_t i = 0; i < cells.size() && i < widths_.size(); ++i) widths_[i] = std::max(widths_[i], cells[i].size());
  }

  void PrintHeading(std::ostream& out, std::string_view indent) const { Print(out, indent, heading_); }

  void Print(std::ostream& out, std::string_view indent, const Cells& cells) const {
    std::string line(indent);
    for (size_t i = 0; i < cells.size(); ++i) {
      const bool last = i + 1 == cells.size();
      const std::string pad(widths_[i] - std::min(widths_[i], cells[i].size()), ' ');
      if (right_[i]) line += pad;
      line += cells[i];
      if (!right_[i] && !last) line += pad;
      if (!last) line += "  ";
    }
    out << line << '\n';
  }

  // Measures every row, then prints the heading and every row.
  template <class Rows, class Make>
  void PrintAll(std::ostream& out, std::string_view indent, const Rows& rows, Make&& make) {
    for (const auto& row : rows) Measure(make(row));
    PrintHeading(out, indent);
    for (const auto& row : rows) Print(out, indent, make(row));
  }

 private:
  std::vector<bool> right_;
  std::vector<size_t> widths_;
  Cells heading_;
};

std::string OrDash(const std::optional<int64_t>& value) { return value ? std::to_string(*value) : "-"; }

// "2 news-story, 1 ai-without-base", in the order of the reasons.
std::string DropsByReason(const CheckReport& report) {
  std::array<int64_t, 7> counts{};
  for (const CleanDrop& drop : report.drops) ++counts[static_cast<size_t>(drop.reason)];
  std::string text;
  for (size_t reason = 0; reason < counts.size(); ++reason) {
    if (counts[reason] == 0) continue;
    text += Cat(text.empty() ? "" : ", ", Grouped(counts[reason]), " ",
                CleanReasonWord(static_cast<CleanReason>(reason)));
  }
  return text;
}

std::string ProblemSummary(const CheckReport& report) {
  if (report.problems.empty()) return "none";
  return Cat(Plural(report.Count(Severity::Error), "error", "errors"), ", ",
             Plural(report.Count(Severity::Warning), "warning", "warnings"), ", ",
             Grouped(report.Count(Severity::Stale)), " stale, ", Plural(report.Count(Severity::Note), "note", "notes"));
}

// The problems of each kind, counted in one pass.
std::array<int64_t, kProblemKinds> CountsByKind(const CheckReport& report) {
  std::array<int64_t, kProblemKinds> counts{};
  for (const Problem& problem : report.problems) ++counts[static_cast<size_t>(problem.kind)];
  return counts;
}

// "1 size-mismatch, 1,274 ship-entry-missing": every kind found, most severe
// first.
std::string KindSummary(const std::array<int64_t, kProblemKinds>& counts) {
  std::string text;
  for (size_t severity = 0; severity < kSeverities; ++severity) {
    for (size_t kind = 0; kind < kProblemKinds; ++kind) {
      const auto k = static_cast<ProblemKind>(kind);
      if (counts[kind] == 0 || static_cast<size_t>(SeverityOf(k)) != severity) continue;
      text += Cat(text.empty() ? "" : ", ", Grouped(counts[kind]), " ", ProblemKindWord(k));
    }
  }
  return text;
}

// The first kProblemsListed problems of each kind, in file order, then one
// line for each kind with more.
void WriteProblemsText(const CheckReport& report, const std::array<int64_t, kProblemKinds>& counts,
                       std::ostream& out) {
  if (report.problems.empty()) return;
  std::vector<const Problem*> listed;
  std::array<int64_t, kProblemKinds> seen{};
  for (const Problem& problem : report.problems) {
    if (++seen[static_cast<size_t>(problem.kind)] <= static_cast<int64_t>(kProblemsListed)) listed.push_back(&problem);
  }
  Table table({false, false, false, true, true, false}, {"severity", "kind", "where", "id", "offset", "message"});
  table.PrintAll(out, "  ", listed, [](const Problem* problem) {
    return Table::Cells{std::string(SeverityWord(SeverityOf(problem->kind))), std::string(ProblemKindWord(problem->kind)),
                        problem->record, problem->id ? std::to_string(*problem->id) : "-",
                        problem->offset ? std::to_string(*problem->offset) : "-", problem->message};
  });
  for (size_t kind = 0; kind < kProblemKinds; ++kind) {
    const int64_t more = counts[kind] - static_cast<int64_t>(kProblemsListed);
    if (more <= 0) continue;
    out << "  ... and " << Grouped(more) << " more " << ProblemKindWord(static_cast<ProblemKind>(kind))
        << " (campdb --check --json lists every one)\n";
  }
}

void WriteDropsText(const CheckReport& report, std::ostream& out) {
  if (!report.dryRun) {
    out << "\nWhat Clean would drop is not shown: the layout is not known.\n";
    return;
  }
  const int64_t loaded = report.wouldKeep + static_cast<int64_t>(report.drops.size());
  out << "\nClean would drop " << Grouped(static_cast<int64_t>(report.drops.size())) << " of the "
      << Plural(loaded, "object", "objects") << " loaded and keep " << Grouped(report.wouldKeep);
  if (report.drops.empty()) {
    out << ".\n";
    return;
  }
  out << ":\n";
  if (report.drops.size() <= kDropsListed) {
    Table table({true, true, false, false}, {"index", "id", "class", "reason"});
    table.PrintAll(out, "  ", report.drops, [](const CleanDrop& drop) {
      return Table::Cells{std::to_string(drop.index), OrDash(drop.id), std::string(ClassWord(drop.kind)),
                          std::string(CleanReasonWord(drop.reason))};
    });
    out << "  by reason: " << DropsByReason(report) << '\n';
  } else {
    out << "  by reason: " << DropsByReason(report) << '\n';
    out << "  (campdb --check --json lists every one)\n";
  }
}

}  // namespace

void WriteCheckText(const CheckReport& report, std::string_view name, std::ostream& out) {
  if (report.notADatabase) out << "not a campaign database: " << *report.notADatabase << '\n';
  const auto count = [&](ObjectKind kind) { return report.objectsByKind[static_cast<size_t>(kind)]; };
  std::vector<Table::Cells> rows;
  rows.push_back({"file", Cat(name, ", ", Plural(static_cast<int64_t>(report.fileSize), "byte", "bytes"))});
  const std::string_view how = report.layoutGiven ? "" : report.layout ? "found from the bytes: " : "the bytes cannot tell: ";
  rows.push_back({"layout", Cat(LayoutWord(report), " (", how, report.layoutReason, ")")});
  rows.push_back({"records", Cat(Grouped(report.recordsAnnounced), " announced, ", Grouped(report.recordsRead), " read")});
  rows.push_back({"hexes", Cat(Grouped(report.hexesAnnounced), " announced (", report.columns, " columns x ", report.rows,
                         " rows), ", Grouped(report.hexesRead), " read")});
  rows.push_back({"objects", Cat(Grouped(report.objectsAnnounced), " announced, ", Grouped(report.objectsLoaded), " loaded")});
  rows.push_back({"", Cat(Plural(count(ObjectKind::Character), "character", "characters"), " (",
                    Grouped(report.humanCharacters), " human, ", Grouped(report.aiCharacters), " AI), ",
                    Plural(count(ObjectKind::Ship), "ship", "ships"), ", ", Plural(count(ObjectKind::Bid), "bid", "bids"),
                    ", ", Plural(count(ObjectKind::NewsStory), "news story", "news stories"), ", ",
                    Grouped(count(ObjectKind::Unrecognised)), " unrecognised")});
  if (report.bytesNotLoaded > 0) {
    rows.push_back({"unloaded", Cat(Plural(static_cast<int64_t>(report.bytesNotLoaded), "byte", "bytes"), " from offset ",
                              report.notLoadedFrom, " on: Edit writes them back, Clean drops them")});
  }
  rows.push_back({"problems", ProblemSummary(report)});
  const auto counts = CountsByKind(report);
  if (!report.problems.empty()) rows.push_back({"", KindSummary(counts)});
  Table head({false, false}, {});
  for (const auto& row : rows) head.Measure(row);
  for (const auto& row : rows) head.Print(out, "", row);
  WriteProblemsText(report, counts, out);
  WriteDropsText(report, out);
}

void WriteCheckJson(const CheckReport& report, std::string_view name, std::ostream& out) {
  JsonWriter json(out);
  json.BeginObject();
  json.Key("file");
  json.String(name);
  json.Key("bytes");
  json.Number(static_cast<int64_t>(report.fileSize));
  json.Key("layout");
  json.String(LayoutWord(report));
  json.Key("layoutGiven");
  json.Bool(report.layoutGiven);
  json.Key("layoutReason");
  json.String(report.layoutReason);
  json.Key("recordsAnnounced");
  json.Number(report.recordsAnnounced);
  json.Key("recordsRead");
  json.Number(report.recordsRead);
  json.Key("columns");
  json.Number(report.columns);
  json.Key("rows");
  json.Number(report.rows);
  json.Key("hexesAnnounced");
  json.Number(report.hexesAnnounced);
  json.Key("hexesRead");
  json.Number(report.hexesRead);
  json.Key("objectsAnnounced");
  json.Number(report.objectsAnnounced);
  json.Key("objectsLoaded");
  json.Number(report.objectsLoaded);
  json.Key("objectsByClass");
  json.BeginObject();
  for (const ObjectKind kind : {ObjectKind::Character, ObjectKind::Ship, ObjectKind::Bid, ObjectKind::NewsStory,
                                ObjectKind::Unrecognised}) {
    json.Key(ClassWord(kind));
    json.Number(report.objectsByKind[static_cast<size_t>(kind)]);
  }
  json.EndObject();
  json.Key("humanCharacters");
  json.Number(report.humanCharacters);
  json.Key("aiCharacters");
  json.Number(report.aiCharacters);
  json.Key("complete");
  json.Bool(report.complete);
  json.Key("bytesNotLoaded");
  json.Number(static_cast<int64_t>(report.bytesNotLoaded));
  json.Key("errors");
  json.Number(report.Count(Severity::Error));
  json.Key("warnings");
  json.Number(report.Count(Severity::Warning));
  json.Key("stale");
  json.Number(report.Count(Severity::Stale));
  json.Key("notes");
  json.Number(report.Count(Severity::Note));
  json.Key("notADatabase");
  if (report.notADatabase) {
    json.String(*report.notADatabase);
  } else {
    json.Null();
  }

  json.Key("problems");
  json.BeginArray();
  for (const Problem& problem : report.problems) {
    json.BeginObject();
    json.Key("severity");
    json.String(SeverityWord(SeverityOf(problem.kind)));
    json.Key("kind");
    json.String(ProblemKindWord(problem.kind));
    json.Key("record");
    json.String(problem.record);
    json.Key("index");
    json.Optional(problem.index);
    json.Key("id");
    json.Optional(problem.id);
    json.Key("offset");
    json.Optional(problem.offset);
    json.Key("message");
    json.String(problem.message);
    json.EndObject();
  }
  json.EndArray();

  json.Key("dryRun");
  json.Bool(report.dryRun);
  json.Key("cleanWouldDrop");
  if (report.dryRun) {
    json.BeginArray();
    for (const CleanDrop& drop : report.drops) {
      json.BeginObject();
      json.Key("index");
      json.Number(drop.index);
      json.Key("id");
      json.Optional(drop.id);
      json.Key("class");
      json.String(ClassWord(drop.kind));
      json.Key("reason");
      json.String(CleanReasonWord(drop.reason));
      json.EndObject();
    }
    json.EndArray();
    json.Key("cleanWouldKeep");
    json.Number(report.wouldKeep);
  } else {
    json.Null();
    json.Key("cleanWouldKeep");
    json.Null();
  }
  json.EndObject();
  json.Finish();
}

}  // namespace campdb
