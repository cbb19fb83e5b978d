// --diff tells what changed from one database to another; --apply makes the
// changes of a change set in a database. Neither asks anything; every
// failure is a line on standard error.
#include <ostream>
#include <sstream>
#include <string>

#include "console/console.h"
#include "diff/apply.h"
#include "diff/diff.h"
#include "driver/actions.h"
#include "driver/input_file.h"
#include "driver/loader.h"
#include "driver/text_input.h"
#include "json/json_writer.h"
#include "maintenance/output_file.h"
#include "maintenance/writer.h"

namespace campdb {

namespace {

// Where an action's result goes: the file named (written like a database)
// or standard output.
class ResultOutput {
 public:
  explicit ResultOutput(std::ostream& out) : sink_(out) {}
  bool Open(const std::string& name, const std::optional<FileIdentity>& input, Console& console) {
    if (name.empty() || name == "-") {
      writer_.emplace(&sink_);
      return true;
    }
    toFile_ = true;
    if (file_.OpenReplacing(name, input)) {
      writer_.emplace(&file_);
      return true;
    }
    console.Diagnostic(file_.Reason());
    return false;
  }
  ByteWriter& Writer() { return *writer_; }
  bool Finish(std::ostream& out, Console& console) {
    const bool flushed = writer_->Flush();
    if (!toFile_) {
      if (flushed && out.flush()) return true;
      console.Diagnostic("standard output: the result could not be written");
      return false;
    }
    if (!flushed) file_.Abandon();
    if (flushed && file_.Finish()) return true;
    console.Diagnostic(file_.Reason());
    return false;
  }

 private:
  StreamSink sink_;
  OutputFile file_;
  std::optional<ByteWriter> writer_;
  bool toFile_ = false;
};

std::string KeyText(RecordKind record, int64_t key, int64_t occurrence) {
  std::string text(RecordKindName(record));
  if (record == RecordKind::Hex || IsObjectKind(record)) text += Cat(" ", key);
  if (occurrence > 0) text += Cat("#", occurrence + 1);
  return text;
}

void WriteConflict(const Conflict& conflict, bool json, ByteWriter& out) {
  if (!json) {
    std::string line = Cat("conflict: ", KeyText(conflict.record, conflict.key, conflict.occurrence));
    if (!conflict.member.empty()) {
      const auto shown = [](const std::string& value) { return value.empty() ? std::string("(none)") : value; };
      line += Cat(" member ", conflict.member, ": change set before ", shown(conflict.before), ", database ",
                  shown(conflict.database), ", change set after ", shown(conflict.after));
    } else {
      line += Cat(": ", conflict.why);
    }
    out.WriteRun(line + "\n");
    return;
  }
  JsonWriter writer(out);
  writer.BeginObject();
  writer.Key("conflict");
  writer.String(RecordKindName(conflict.record));
  if (conflict.record == RecordKind::Hex) {
    writer.Key("index");
    writer.Number(conflict.key);
  } else if (IsObjectKind(conflict.record)) {
    writer.Key("objectId");
    writer.Number(conflict.key);
    if (conflict.occurrence > 0) {
      writer.Key("occurrence");
      writer.Number(conflict.occurrence);
    }
  }
  if (conflict.member.empty()) {
    writer.Key("why");
    writer.String(conflict.why);
  } else {
    writer.Key("member");
    writer.String(conflict.member);
    for (const auto& [key, value] : {std::pair{"before", &conflict.before}, std::pair{"database", &conflict.database},
                                     std::pair{"after", &conflict.after}}) {
      writer.Key(key);
      if (value->empty()) {
        writer.Null();
      } else {
        writer.Raw(*value);
      }
    }
  }
  writer.EndObject();
  writer.Finish();
}

std::string Counted(const std::array<int64_t, 3>& applied) {
  const int64_t total = applied[0] + applied[1] + applied[2];
  return std::to_string(total) + (total == 1 ? " change (" : " changes (") + std::to_string(applied[0]) +
         " added, " + std::to_string(applied[1]) + " removed, " + std::to_string(applied[2]) + " changed)";
}

}  // namespace

int RunDiff(const ActionRequest& request, std::ostream& out, Console& console) {
  IgnoredMembers ignored;
  for (const std::string& member : request.ignore) {
    if (!ignored.Add(member)) {
      console.Diagnostic(Cat("--ignore ", member, ": name a member, or a record type and a member (campaign.currentTurn); "
                             "see campdb --help"));
      return kActionNoInput;
    }
  }
  const std::string& nameA = request.files[0];
  const std::string& nameB = request.files[1];
  // B is read while A is read and loaded; B is mostly A's objects, and those
  // it holds unchanged are not read again.
  InputReadAhead readingB(nameB);
  auto a = LoadForAction(nameA, request.layout, true, console, request.progress);
  if (!a) return kActionNoInput;
  auto b = LoadForAction(nameB, request.layout, true, console, request.progress, &a->db, nullptr, {}, &readingB);
  if (!b) return kActionNoInput;
  if (a->db.layout != b->db.layout) {
    console.Diagnostic(Cat(nameA, " is in the ", LayoutName(a->db.layout), " layout and ", nameB, " in the ",
                           LayoutName(b->db.layout), " layout: they cannot be compared"));
    return kActionNoInput;
  }
  bool complete = true;
  for (const auto& [name, loaded] : {std::pair{&nameA, &a}, std::pair{&nameB, &b}}) {
    if ((*loaded)->outcome.Complete()) continue;
    complete = false;
    console.Diagnostic(Cat("warning: ", *name, ": ", DescribeIncompleteLoad((*loaded)->outcome)));
  }

  const std::string outName = request.files.size() > 2 ? request.files[2] : std::string();
  if (!outName.empty() && outName != "-" && IdentityOf(outName) == b->identity) {
    console.Diagnostic(Cat(outName, ": is a database being compared, which is never written"));
    return kActionFailed;
  }
  ResultOutput result(out);
  if (!result.Open(outName, a->identity, console)) return kActionFailed;
  ByteWriter& writer = result.Writer();
  DiffCounts counts;
  if (request.json) {
    WriteChangeSetStart(a->db.layout, {nameA, static_cast<int64_t>(a->db.source.size)},
                        {nameB, static_cast<int64_t>(b->db.source.size)}, writer);
    counts = CompareDatabases(a->db, b->db, ignored, [&](const Change& change) { WriteChangeLine(change, writer); });
    WriteChangeSetEnd(counts, writer);
  } else {
    counts = WriteDiffText(a->db, b->db, ignored, request.summary, writer);
  }
  if (!result.Finish(out, console)) return kActionFailed;
  if (!complete) return kActionIncomplete;
  return counts.Any() ? kActionFailed : kActionOk;
}

int RunApply(const ActionRequest& request, std::ostream& out, Console& console) {
  const std::string& changesName = request.files[0];
  const std::string& dbName = request.files[1];
  const std::string& outName = request.files[2];
  const InfoPlacement placement = InfoPlacementOf(request);
  if (!request.dryRun && !InfoPlacementUsable(placement, console)) return kActionFailed;
  TextInput changes;
  std::string reason;
  if (!changes.Open(changesName, reason)) {
    console.Diagnostic(Cat(changesName, ": ", reason));
    return kActionNoInput;
  }
  LineReader lines(changes.Fd(), changes.Regular());
  ChangeSet set;
  const auto refuse = [&](const DumpError& error) {
    console.Diagnostic(error.unreadable ? Cat(changesName, ": ", error.message)
                                        : Cat(changesName, ":", error.line, ": ", error.message));
    return error.unreadable ? kActionNoInput : kActionFailed;
  };
  if (const auto error = ReadChangeSetStart(lines, set)) return refuse(*error);

  // The new database is mostly DB again: its file is made as soon as DB is
  // read, and DB's bytes are written into it while DB is loaded and the
  // changes are checked and made; writing the new database then rewrites
  // only what the changes altered. The file is abandoned when nothing is
  // written, and one that cannot be made is reported where it is written.
  // DB is declared first so that it outlives the file, whose thread may
  // still be writing DB's bytes when the run ends without writing.
  std::optional<LoadedInput> loaded;
  OutputFile file;
  const auto writeAhead = [&](std::span<const uint8_t> bytes, const FileIdentity& identity) {
    const auto target = IdentityOf(outName);
    if (request.dryRun || (target && (target == identity || target == changes.Identity()))) return;
    if (file.OpenReplacing(outName, identity)) {
      file.WriteAhead({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    }
  };
  loaded = LoadForAction(dbName, request.layout, false, console, request.progress, nullptr, nullptr, writeAhead);
  if (!loaded) return kActionNoInput;
  if (!request.layout && !loaded->verdict.layout && loaded->db.layout != set.layout) {
    // The file cannot tell; the change set does.
    file.Abandon();
    loaded = LoadForAction(dbName, set.layout, false, console, nullptr, nullptr, nullptr, writeAhead);
    if (!loaded) return kActionNoInput;
  }
  if (loaded->db.layout != set.layout) {
    console.Diagnostic(Cat(changesName, ":1: the change set is in the ", LayoutName(set.layout), " layout, but ",
                           dbName, " is in the ", LayoutName(loaded->db.layout), " layout"));
    return kActionFailed;
  }
  if (!loaded->outcome.Complete()) {
    console.Diagnostic(Cat(dbName, ": ", DescribeIncompleteLoad(loaded->outcome),
                           "; changes are applied only to a database loaded whole: see campdb --check and campdb --repair"));
    return kActionIncomplete;
  }
  if (const auto error = ReadChanges(lines, set)) return refuse(*error);

  if (!request.dryRun) {
    const auto target = IdentityOf(outName);
    if (target && (target == loaded->identity || target == changes.Identity())) {
      console.Diagnostic(Cat(outName, ": is an input of this run, which is never written"));
      return kActionFailed;
    }
  }

  ApplyOutcome outcome = ApplyChangeSet(set, loaded->db, request.dryRun);
  if (outcome.refused) return refuse(*outcome.refused);
  StreamSink sink(out);
  ByteWriter writer(&sink);
  const auto summary = [&](std::string_view result, bool written) {
    if (request.quiet) return;
    if (!request.json) {
      std::string line;
      if (result == "conflicts") {
        line = Cat(outcome.conflicts.size(), outcome.conflicts.size() == 1 ? " conflict" : " conflicts",
                   ": nothing written");
      } else {
        line = Cat(result == "dry-run" ? "dry run: " : "applied ", Counted(outcome.applied),
                   result == "dry-run" ? " would be made in " : " to ", dbName,
                   written ? Cat("; wrote ", outName) : std::string("; nothing written"));
        if (outcome.alreadyThere > 0) line += Cat(" (", outcome.alreadyThere, " added records already there)");
      }
      writer.WriteRun(line + "\n");
      return;
    }
    JsonWriter json(writer);
    json.BeginObject();
    json.Key("result");
    json.String(result);
    for (size_t i = 0; i < 3; ++i) {
      json.Key(ChangeKindName(static_cast<ChangeKind>(i)));
      json.Number(outcome.applied[i]);
    }
    json.Key("alreadyThere");
    json.Number(outcome.alreadyThere);
    json.Key("conflicts");
    json.Number(static_cast<int64_t>(outcome.conflicts.size()));
    json.Key("written");
    if (written) {
      json.String(outName);
    } else {
      json.Null();
    }
    json.EndObject();
    json.Finish();
  };
  const auto finish = [&](int status) {
    if (!writer.Flush() || !out.flush()) console.Diagnostic("standard output: the result could not be written");
    return status;
  };

  if (!outcome.conflicts.empty()) {
    if (!request.quiet) {
      for (const Conflict& conflict : outcome.conflicts) WriteConflict(conflict, request.json, writer);
    }
    summary("conflicts", false);
    console.Diagnostic(Cat(changesName, ": ", outcome.conflicts.size(),
                           outcome.conflicts.size() == 1 ? " change conflicts" : " changes conflict", " with ", dbName,
                           "; nothing written"));
    return finish(kActionFailed);
  }
  if (request.dryRun) {
    summary("dry-run", false);
    return finish(kActionOk);
  }

  if (!file.IsOpen()) {
    console.Diagnostic(file.Reason());
    return kActionFailed;
  }
  const bool written =
      WriteActionDatabase(loaded->db, file, loaded->identity, placement, console, loaded->db.unloaded);
  if (!written) return kActionFailed;
  summary("applied", true);
  return finish(kActionOk);
}

}  // namespace campdb
