#include <ostream>

#include "json/json_writer.h"
#include "console/console.h"
#include "repair/repair.h"

namespace campdb {

namespace {

std::string Plural(int64_t count, std::string_view one, std::string_view many) {
  return Cat(Grouped(count), " ", count == 1 ? one : many);
}

std::string Where(const std::string& record, const std::optional<int32_t>& id, const std::optional<size_t>& offset) {
  std::string where = record;
  if (id) where += Cat(", id ", *id);
  if (offset) where += Cat(", offset ", Grouped(static_cast<int64_t>(*offset)));
  return where;
}

std::string Summary(const RepairReport& report, const RepairOutcome& outcome) {
  std::string line = Cat(Plural(static_cast<int64_t>(report.fixes.size()), "repair", "repairs"), " made, ",
                         Plural(static_cast<int64_t>(report.left.size()), "problem", "problems"), " left; ");
  if (!report.writable) return line + "nothing written: the damage lies before the misc objects";
  const std::string lost = Cat(Plural(static_cast<int64_t>(report.LostBytes()), "byte", "bytes"), " in ",
                               Plural(static_cast<int64_t>(report.lost.size()), "range", "ranges"));
  if (outcome.dryRun) {
    line += Cat("dry run, nothing written (", outcome.output, " would hold ",
                Plural(report.objectsWritten, "object", "objects"));
    return line + (report.lost.empty() ? ")" : Cat("; ", lost, " would go to ", outcome.lostFound, ")"));
  }
  if (!outcome.written) return line + "nothing written";
  line += Cat(outcome.output, " written with ", Plural(report.objectsWritten, "object", "objects"));
  if (outcome.lostWritten) line += Cat("; ", lost, " in ", outcome.lostFound);
  return line;
}

}  // namespace

void WriteRepairText(const RepairReport& report, const RepairOutcome& outcome, std::ostream& out) {
  out << "repair of " << outcome.input << ", " << outcome.layout << " layout (" << outcome.layoutReason << ")\n";
  for (const RepairFix& fix : report.fixes) {
    out << "  fixed  " << ProblemKindWord(fix.kind) << "  " << Where(fix.record, fix.id, fix.offset) << ": "
        << fix.done << '\n';
  }
  for (const Problem& problem : report.left) {
    out << "  left   " << ProblemKindWord(problem.kind) << "  " << Where(problem.record, problem.id, problem.offset)
        << ": " << problem.message << '\n';
  }
  out << Summary(report, outcome) << '\n';
}

void WriteRepairJson(const RepairReport& report, const RepairOutcome& outcome, std::ostream& out) {
  StreamSink sink(out);
  ByteWriter bytes(&sink);
  JsonWriter json(bytes, JsonWriter::Style::Indented);
  json.BeginObject();
  json.Key("file");
  json.String(outcome.input);
  json.Key("layout");
  json.String(outcome.layout);
  json.Key("layoutReason");
  json.String(outcome.layoutReason);
  json.Key("output");
  json.String(outcome.output);
  json.Key("dryRun");
  json.Bool(outcome.dryRun);
  json.Key("written");
  json.Bool(outcome.written);
  json.Key("objectsWritten");
  json.Number(report.writable ? report.objectsWritten : 0);
  json.Key("lostFound");
  if (outcome.lostWritten) {
    json.String(outcome.lostFound);
  } else {
    json.Null();
  }
  json.Key("lostBytes");
  json.Number(static_cast<int64_t>(report.LostBytes()));
  const auto member = [&](std::string_view kind, const std::string& record, const std::optional<int64_t>& index,
                          const std::optional<int32_t>& id, const std::optional<size_t>& offset) {
    json.Key("kind");
    json.String(kind);
    json.Key("record");
    json.String(record);
    json.Key("index");
    json.Optional(index);
    json.Key("id");
    json.Optional(id);
    json.Key("offset");
    json.Optional(offset);
  };
  json.Key("fixes");
  json.BeginArray();
  for (const RepairFix& fix : report.fixes) {
    json.BeginObject();
    member(ProblemKindWord(fix.kind), fix.record, fix.index, fix.id, fix.offset);
    json.Key("fix");
    json.String(FixWord(FixOf(fix.kind)));
    json.Key("done");
    json.String(fix.done);
    json.EndObject();
  }
  json.EndArray();
  json.Key("left");
  json.BeginArray();
  for (const Problem& problem : report.left) {
    json.BeginObject();
    member(ProblemKindWord(problem.kind), problem.record, problem.index, problem.id, problem.offset);
    json.Key("message");
    json.String(problem.message);
    json.EndObject();
  }
  json.EndArray();
  json.Key("summary");
  json.String(Summary(report, outcome));
  json.Key("status");
  json.Number(report.Status());
  json.EndObject();
  json.Finish();
  bytes.Flush();
}

}  // namespace campdb
