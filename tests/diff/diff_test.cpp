// --diff and --apply over the samples and the saved inputs: a change set
// carries A into exactly what an unchanged Edit of B writes, keeps a third
// copy's other changes, and names every change that meets another; a change
// set that is damaged is refused at its line and member.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <sstream>
#include <tuple>

#include "diff/apply.h"
#include "diff/diff.h"
#include "textform/dump_fixture.h"

namespace campdb::diff_test {
namespace {

using textform_test::DumpOf;
using textform_test::LoadSample;
using textform_test::WrittenBytes;
using Json = nlohmann::json;

// A database made from a dump whose lines `edit` may change (or drop:
// return false).
std::unique_ptr<Database> Edited(const Database& db, const std::function<bool(Json&)>& edit) {
  std::istringstream lines(DumpOf(db));
  std::string text;
  for (std::string line; std::getline(lines, line);) {
    Json record = Json::parse(line);
    if (record.contains("record") && !edit(record)) continue;
    text += record.dump() + "\n";
  }
  auto edited = std::make_unique<Database>();
  EXPECT_EQ(textform_test::Restore(text, *edited), std::nullopt);
  return edited;
}

std::string ChangeSetOf(const Database& a, const Database& b, const IgnoredMembers& ignored = {}) {
  ByteWriter out;
  WriteChangeSetStart(a.layout, {"a.db", 1}, {"b.db", 2}, out);
  WriteChangeSetEnd(CompareDatabases(a, b, ignored, [&](const Change& change) { WriteChangeLine(change, out); }), out);
  return out.TakeBuffer();
}

// The change set applied to `db`: "line: message" when refused.
std::variant<std::string, ApplyOutcome> Apply(const std::string& text, Database& db) {
  LineReader lines(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  ChangeSet set;
  auto error = ReadChangeSetStart(lines, set);
  if (!error) error = ReadChanges(lines, set);
  if (!error && set.layout != db.layout) error = DumpError{1, "layout"};
  ApplyOutcome outcome;
  if (!error) outcome = ApplyChangeSet(set, db, false);
  if (!error) error = outcome.refused;
  if (error) return std::to_string(error->line) + ": " + error->message;
  return outcome;
}

// Known edits, as an operator or the server makes them: a ship renamed and
// damaged, a character gone, a ship added at the end, the turn moved on, a
// hex taken by another race.
bool KnownEdits(Json& record) {
  if (record["record"] == "ship" && record["objectId"] == 1102) {
    record["shipName"] = "Renamed \xc3\xa9";
    record["systemsBlock"]["rWarp"][0] = 1;
  }
  if (record["record"] == "campaign") record["currentTurn"] = record["currentTurn"].get<int>() + 1;
  if (record["record"] == "hex" && record["hexX"] == 1 && record["hexY"] == 0) record["ownerRace"] = 7;
  return !(record["record"] == "character" && record["objectId"] == 1002);
}

// A ship added after the last ship, with that ship's id (a second object with
// one id, which keeps the list in order), or with `id`.
std::unique_ptr<Database> WithAddedShip(const Database& db, std::optional<int32_t> id = std::nullopt) {
  std::string ship;
  auto edited = Edited(db, [&](Json& record) {
    if (record["record"] == "ship") ship = record.dump();
    return true;
  });
  std::string dump = DumpOf(*edited);
  Json added = Json::parse(ship);
  added["objectId"] = id.value_or(added["objectId"].get<int32_t>());
  added["shipName"] = "Newcomer";
  dump.insert(dump.find('\n', dump.rfind("{\"record\":\"ship\"")) + 1, added.dump() + "\n");
  auto result = std::make_unique<Database>();
  EXPECT_EQ(textform_test::Restore(dump, *result), std::nullopt);
  return result;
}

bool IdsAscend(const Database& db) {
  for (int64_t i = 1; i < db.ObjectCount(); ++i) {
    if (db.Entry(i - 1).id > db.Entry(i).id) return false;
  }
  return true;
}

// An edit that sets `member` in every record of the type (of the id, when given).
std::function<bool(Json&)> Set(std::string record, std::string member, Json value, int32_t id = -1) {
  return [=](Json& r) {
    if (r["record"] == record && (id < 0 || r["objectId"] == id)) r[member] = value;
    return true;
  };
}

struct Pair {
  std::string name;
  std::function<std::unique_ptr<Database>()> a;
  std::function<std::unique_ptr<Database>()> b;
};

std::vector<Pair> Pairs() {
  std::vector<Pair> pairs;
  for (const auto& samplePair : {std::pair{"sample-base.db", Layout::Base}, {"sample-ostrel.db", Layout::Ostrel}}) {
    // Plain names: clang 14 cannot capture a structured binding in a lambda.
    const char* const sample = samplePair.first;
    const Layout layout = samplePair.second;
    const std::string name = layout == Layout::Base ? "base" : "ostrel";
    const auto a = [sample, layout] { return LoadSample(sample, layout); };
    pairs.push_back({name + "_itself", a, a});
    pairs.push_back({name + "_known_edits", a, [a] { return Edited(*a(), KnownEdits); }});
    pairs.push_back({name + "_added_ship", a, [a] { return WithAddedShip(*a()); }});
    // A single-player campaign now: the same characters' bytes read otherwise.
    pairs.push_back(
        {name + "_captain_published", a, [a] { return Edited(*a(), Set("campaign", "captainName", "Vel Arden")); }});
    pairs.push_back({name + "_from_the_damaged_sample", a, [layout] { return LoadSample("sample-damaged.db", layout); }});
    // A name the dump escapes otherwise than a change set's reader does.
    const auto odd = [a] { return Edited(*a(), Set("ship", "shipName", "Mer\x7f\x01", 1102)); };
    pairs.push_back({name + "_odd_name_renamed", odd, [odd] { return Edited(*odd(), KnownEdits); }});
    // The saved hostile inputs as B: whatever they hold, A becomes them.
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(CAMPDB_SOURCE_DIR) / "tests/regressions/load_database")) {
      const std::string bytes = testing::ReadFile(entry.path()).value_or("");
      if (bytes.empty() || ((bytes[0] & 1) != 0) != (layout == Layout::Ostrel)) continue;
      std::string saved = entry.path().filename().string();
      std::replace_if(saved.begin(), saved.end(), [](unsigned char c) { return !std::isalnum(c); }, '_');
      pairs.push_back({name + "_to_" + saved, a, [bytes, layout] {
                         return testdb::LoadBytes(testdb::Bytes(bytes.begin() + 1, bytes.end()),
                                                  layout == Layout::Ostrel ? testdb::Layout::Ostrel : testdb::Layout::Base);
                       }});
    }
  }
  return pairs;
}

class DiffProperties : public ::testing::TestWithParam<Pair> {};

TEST_P(DiffProperties, ApplyingTheChangeSetToAWritesWhatAnUnchangedEditOfBWrites) {
  const auto a = GetParam().a();
  const auto b = GetParam().b();
  if (!IdsAscend(*b)) GTEST_SKIP() << "ids out of order";
  const std::string changes = ChangeSetOf(*a, *b);
  // Every line is JSON; the last holds the counts of the lines between.
  std::istringstream lines(changes);
  std::vector<Json> parsed;
  for (std::string line; std::getline(lines, line);) parsed.push_back(Json::parse(line));
  ASSERT_GE(parsed.size(), 2u);
  const Json& counts = parsed.back()["counts"];
  EXPECT_EQ(counts["added"].get<size_t>() + counts["removed"].get<size_t>() + counts["changed"].get<size_t>(),
            parsed.size() - 2);
  const auto applied = Apply(changes, *a);
  ASSERT_TRUE(std::holds_alternative<ApplyOutcome>(applied)) << std::get<std::string>(applied);
  EXPECT_EQ(std::get<ApplyOutcome>(applied).conflicts.size(), 0u);
  EXPECT_TRUE(WrittenBytes(*a) == WrittenBytes(*b));
  // Now they are the same: nothing to tell.
  EXPECT_FALSE(CompareDatabases(*a, *b, {}, nullptr).Any());
}

// B loaded alongside A, taking A's entries for the objects it holds with
// the same bytes, is B loaded alone.
TEST_P(DiffProperties, LoadingAlongsideAChangesNothing) {
  const auto a = GetParam().a();
  const std::string bytes = WrittenBytes(*GetParam().b());
  const auto layout = a->layout == Layout::Ostrel ? testdb::Layout::Ostrel : testdb::Layout::Base;
  LoadOutcome x;
  LoadOutcome y;
  const auto alone = testdb::LoadBytes(bytes, layout, &x);
  const auto along = testdb::LoadBytes(bytes, layout, &y, a.get());
  const auto fields = [](const ObjectEntry& e) { return std::tie(e.start, e.end, e.id, e.kind, e.verbatim, e.human); };
  ASSERT_EQ(alone->ObjectCount(), along->ObjectCount());
  for (int64_t i = 0; i < alone->ObjectCount(); ++i) {
    EXPECT_TRUE(fields(alone->Entry(i)) == fields(along->Entry(i))) << i;
  }
  EXPECT_EQ(std::tie(x.stop, x.stopIndex, x.unloadedFrom, x.wantedPastEnd, x.endMetIn, x.endMetAt),
            std::tie(y.stop, y.stopIndex, y.unloadedFrom, y.wantedPastEnd, y.endMetIn, y.endMetAt));
}

TEST_P(DiffProperties, TheTextIsTheSameWhetherTheChangesAreHeldOrFoundAgain) {
  const auto a = GetParam().a();
  const auto b = GetParam().b();
  ByteWriter held, foundAgain;
  WriteDiffText(*a, *b, {}, false, held);
  WriteDiffText(*a, *b, {}, false, foundAgain, 0);
  EXPECT_EQ(held.Buffer(), foundAgain.Buffer());
}

INSTANTIATE_TEST_SUITE_P(SamplesAndSavedInputs, DiffProperties, ::testing::ValuesIn(Pairs()),
                         [](const ::testing::TestParamInfo<Pair>& info) { return info.param.name; });

TEST(Diff, CountsAndPathsOfKnownEdits) {
  const auto a = LoadSample("sample-base.db", Layout::Base);
  const auto b = Edited(*a, KnownEdits);
  ByteWriter text;
  const DiffCounts counts = CompareDatabases(*a, *b, {}, [&](const Change& change) { WriteChangeText(change, text); });
  const auto count = [&](RecordKind kind, ChangeKind change) {
    return counts.byKind[static_cast<size_t>(kind)][static_cast<size_t>(change)];
  };
  EXPECT_EQ(count(RecordKind::Ship, ChangeKind::Changed), 1);
  EXPECT_EQ(count(RecordKind::Character, ChangeKind::Removed), 1);
  EXPECT_EQ(count(RecordKind::Campaign, ChangeKind::Changed), 1);
  EXPECT_EQ(count(RecordKind::Hex, ChangeKind::Changed), 1);
  EXPECT_EQ(counts.Total(ChangeKind::Changed) + counts.Total(ChangeKind::Removed) + counts.Total(ChangeKind::Added), 4);
  const std::string& out = text.Buffer();
  for (const std::string_view wanted : {"  shipName: \"", "  systemsBlock.rWarp.intact: ", "removed character 1002",
                                        "  currentTurn: ", "  ownerRace: "}) {
    EXPECT_NE(out.find(wanted), std::string::npos) << wanted << "\n" << out;
  }
  // An ignored member is no difference.
  IgnoredMembers ignored;
  ASSERT_TRUE(ignored.Add("campaign.currentTurn"));
  EXPECT_EQ(CompareDatabases(*a, *b, ignored, nullptr).Total(ChangeKind::Changed), 2);
}

// A third copy C, edited on its own, then given diff(A, B).
struct ConflictCase {
  std::string name;
  std::function<bool(Json&)> editC;
  std::string conflict;  // what the first conflict names; empty: none
};

TEST(Apply, ConflictsWithAThirdCopy) {
  const ConflictCase cases[] = {
      {"other records changed", [](Json& r) {
         if (r["record"] == "ship" && r["objectId"] == 1105) r["bpv"] = 999;
         return true;
       }, ""},
      {"same member changed", [](Json& r) {
         if (r["record"] == "ship" && r["objectId"] == 1102) r["shipName"] = "Elsewhere";
         return true;
       }, "ship 1102 shipName"},
      {"changed record removed", [](Json& r) { return !(r["record"] == "ship" && r["objectId"] == 1102); },
       "ship 1102 the record is not in the database"},
      {"removed record changed", [](Json& r) {
         if (r["record"] == "character" && r["objectId"] == 1002) r["prestige"] = 5;
         return true;
       }, "character 1002 prestige"},
      {"turn moved on too", [](Json& r) {
         if (r["record"] == "campaign") r["currentTurn"] = 77;
         return true;
       }, "campaign 0 currentTurn"},
  };
  const auto a = LoadSample("sample-base.db", Layout::Base);
  const std::string changes = ChangeSetOf(*a, *Edited(*a, KnownEdits));
  for (const ConflictCase& test : cases) {
    SCOPED_TRACE(test.name);
    const auto c = Edited(*a, test.editC);
    const auto cBefore = Edited(*a, test.editC);
    const auto applied = Apply(changes, *c);
    ASSERT_TRUE(std::holds_alternative<ApplyOutcome>(applied)) << std::get<std::string>(applied);
    const ApplyOutcome& outcome = std::get<ApplyOutcome>(applied);
    if (test.conflict.empty()) {
      EXPECT_TRUE(outcome.conflicts.empty());
      // C's own changes stay: what differs from B now is exactly them.
      const auto b = Edited(*a, KnownEdits);
      const auto changed = [](const DiffCounts& counts) {
        std::vector<std::array<int64_t, 4>> rows(counts.byKind.begin(), counts.byKind.end());
        for (auto& row : rows) row[3] = 0;
        return rows;
      };
      EXPECT_EQ(changed(CompareDatabases(*b, *c, {}, nullptr)), changed(CompareDatabases(*a, *cBefore, {}, nullptr)));
      continue;
    }
    ASSERT_FALSE(outcome.conflicts.empty());
    const Conflict& first = outcome.conflicts.front();
    EXPECT_EQ(std::string(RecordKindName(first.record)) + " " + std::to_string(first.key) + " " +
                  (first.member.empty() ? first.why : first.member),
              test.conflict);
    // Nothing was changed.
    EXPECT_TRUE(WrittenBytes(*c) == WrittenBytes(*cBefore));
  }
}

TEST(Apply, RefusedChangeSets) {
  const auto a = LoadSample("sample-base.db", Layout::Base);
  const std::string good = ChangeSetOf(*a, *WithAddedShip(*Edited(*a, KnownEdits), 1150));
  const auto lineOf = [&](size_t n) {
    size_t at = 0;
    for (size_t i = 1; i < n; ++i) at = good.find('\n', at) + 1;
    return std::pair{at, good.find('\n', at) + 1};
  };
  const size_t lines = static_cast<size_t>(std::count(good.begin(), good.end(), '\n'));
  const auto replaced = [&](size_t n, const std::string& line) {
    const auto [from, to] = lineOf(n);
    return good.substr(0, from) + line + "\n" + good.substr(to);
  };
  const auto edited = [&](size_t n, const std::function<void(Json&)>& edit) {
    const auto [from, to] = lineOf(n);
    Json change = Json::parse(good.substr(from, to - from));
    edit(change);
    return replaced(n, change.dump());
  };
  const std::pair<std::string, std::string> cases[] = {
      {good.substr(0, lineOf(lines).first), std::to_string(lines) + ": the change set ends before its \"counts\" line"},
      {good + "{}\n", std::to_string(lines + 1) + ": nothing may follow the \"counts\" line"},
      {replaced(1, R"({"format":"campdb-changes","version":2,"layout":"base"})"), "1: change set format version 2"},
      {replaced(1, R"({"format":"campdb-dump","version":1,"layout":"base"})"), "1: not a change set"},
      {replaced(2, "{\"change\":"), "2: malformed JSON"},
      {edited(2, [](Json& c) { c["change"] = "moved"; }), "2: member \"change\": \"moved\" is not"},
      {edited(2, [](Json& c) { c["colour"] = 1; }), "2: unknown member \"colour\""},
      {edited(2, [](Json& c) { c["record"] = "planet"; }), "2: member \"record\": unknown record type"},
      {edited(lines - 1, [](Json& c) { c["after"]["bpv"] = 3000000000; }), "member \"after.bpv\": 3000000000 is out of range"},
      {edited(lines - 1, [](Json& c) { c["after"].erase("shipName"); }), "member \"after.shipName\" is missing"},
      {edited(lines - 1, [](Json& c) { c["objectId"] = 1151; }), "the record's objectId 1150 is not the change's 1151"},
      {edited(lines, [](Json& c) { c["counts"]["changed"] = 9; }), "member \"counts.changed\": 9 where"},
  };
  for (const auto& [text, wanted] : cases) {
    const auto copy = LoadSample("sample-base.db", Layout::Base);
    const auto applied = Apply(text, *copy);
    ASSERT_TRUE(std::holds_alternative<std::string>(applied)) << wanted;
    EXPECT_NE(std::get<std::string>(applied).find(wanted), std::string::npos) << std::get<std::string>(applied);
  }
}


// The command lines and their statuses.
TEST(DiffAndApplyActions, Statuses) {
  struct Row {
    std::vector<std::string> args;
    int status;
    std::string diagnostic;  // a part of standard error; empty: none at all
  };
  const Row rows[] = {
      {{"--diff", "base.db", "base.db"}, 0, ""},
      {{"--diff", "--json", "base.db", "base.db", "same.jsonl"}, 0, ""},
      {{"--diff", "base.db", "ostrel.db"}, 2, "in the base layout and ostrel.db in the ostrel layout"},
      {{"--diff", "base.db", "damaged.db"}, 3, "warning: damaged.db"},
      {{"--diff", "--summary", "--json", "base.db", "base.db"}, 2, "cannot be given together"},
      {{"--diff", "--ignore", "planet.name", "base.db", "base.db"}, 2, "--ignore planet.name"},
      {{"--apply", "--dry-run", "same.jsonl", "base.db", "out.db"}, 0, ""},
      {{"--apply", "same.jsonl", "damaged.db", "out.db"}, 3, "campdb --repair"},
      {{"--apply", "same.jsonl", "ostrel.db", "out.db"}, 1, "same.jsonl:1: the change set is in the base layout"},
      {{"--apply", "same.jsonl", "base.db", "base.db"}, 1, "is an input of this run"},
      {{"--apply", "missing.jsonl", "base.db", "out.db"}, 2, "missing.jsonl: No such file"},
      {{"--apply", "--json", "--quiet", "same.jsonl", "base.db", "out.db"}, 2, "cannot be given together"},
      {{"--apply", "same.jsonl", "base.db"}, 2, "--apply takes"},
      {{"--apply", "--quiet", "same.jsonl", "base.db", "out.db"}, 0, ""},
  };
  testing::ScratchFolder folder;
  testing::WriteFile("base.db", testing::ReadFile(textform_test::SamplePath("sample-base.db")).value_or(""));
  testing::WriteFile("ostrel.db", testing::ReadFile(textform_test::SamplePath("sample-ostrel.db")).value_or(""));
  testing::WriteFile("damaged.db", testing::ReadFile(textform_test::SamplePath("sample-damaged.db")).value_or(""));
  for (const Row& row : rows) {
    const auto run = testing::RunTool(row.args, "");
    EXPECT_EQ(run.status, row.status) << row.args[0] << " " << row.args[1] << "\n" << run.diagnostics;
    if (row.diagnostic.empty()) {
      EXPECT_EQ(run.diagnostics, "") << row.args[1];
    } else {
      EXPECT_NE(run.diagnostics.find(row.diagnostic), std::string::npos) << run.diagnostics;
    }
  }
  // The text: the table, then every change.
  const auto a = LoadSample("sample-base.db", Layout::Base);
  const auto b = LoadSample("sample-damaged.db", Layout::Base);
  ByteWriter text;
  WriteDiffTable(CompareDatabases(*a, *b, {}, nullptr), text);
  text.WriteByte('\n');
  CompareDatabases(*a, *b, {}, [&](const Change& change) { WriteChangeText(change, text); });
  EXPECT_EQ(testing::RunTool({"--diff", "base.db", "damaged.db"}, "").transcript, text.Buffer());
  // A dry run wrote nothing; the applied empty change set wrote what an
  // unchanged Edit writes, the sample itself.
  EXPECT_TRUE(testing::ReadFile("out.db") == testing::ReadFile("base.db"));
}

}  // namespace
}  // namespace campdb::diff_test
