// The health check: one damaged file per kind of problem, the dry run
// against what Clean really drops, and a file cut at every byte.
#include "check/check.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>

#include "console/console.h"
#include "maintenance/info_files.h"
#include "maintenance/writer.h"
#include "support/allocation_probe.h"
#include "support/db_builder.h"
#include "support/large_database.h"

namespace campdb::testdb {
namespace {

campdb::Layout ToolLayout(Layout layout) { return layout == Layout::Ostrel ? campdb::Layout::Ostrel : campdb::Layout::Base; }

void SetSource(campdb::Database& db, const Bytes& bytes) {
  db.source.data = std::make_unique<uint8_t[]>(bytes.size());
  if (!bytes.empty()) std::memcpy(db.source.data.get(), bytes.data(), bytes.size());
  db.source.size = bytes.size();
}

CheckReport CheckBytes(const Bytes& bytes, std::optional<campdb::Layout> given) {
  campdb::Database db;
  SetSource(db, bytes);
  return CheckDatabase(db, given);
}

Bytes ReadExample(const std::string& name) {
  std::ifstream in(std::string(CAMPDB_SOURCE_DIR) + "/examples/" + name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

// Where the objects begin: after the header, campaign, map, hexes and
// political record.
size_t ObjectsStart(const testdb::Database& db, Layout layout) {
  size_t at = ToBytes(db.header).size() + ToBytes(db.campaign, layout).size() + ToBytes(db.map).size() +
              ToBytes(db.political).size();
  for (const Hex& hex : db.hexes) at += ToBytes(hex, layout).size();
  return at;
}

struct Case {
  const char* name;
  std::function<void(testdb::Database&)> shape;
  // Applied to the bytes after they are made (cut or lengthened).
  std::function<void(const testdb::Database&, Bytes&)> bytes;
  ProblemKind kind;
  std::optional<int64_t> index;
  std::optional<int32_t> id;
  bool layoutKnown = true;
};

std::vector<Case> DamagedFiles() {
  const auto same = [](const testdb::Database&, Bytes&) {};
  return {
      {"size words differ", [](testdb::Database& d) {
         News n;
         n.objectId = 13;
         n.frame.size2 = 3;
         d.Add(n);
       }, same, ProblemKind::SizeMismatch, 3, std::nullopt},
      {"two objects more announced", [](testdb::Database& d) { d.header.objectCount = 3 + 4 + 3 + 2; }, same,
       ProblemKind::ObjectsMissing, 3, std::nullopt},
      {"cut after the second hex", [](testdb::Database&) {},
       [](const testdb::Database& d, Bytes& b) {
         b.resize(ObjectsStart(d, Layout::Base) - ToBytes(d.political).size() - 2 * ToBytes(d.hexes[0], Layout::Base).size());
       }, ProblemKind::HexesMissing, std::nullopt, std::nullopt},
      {"cut inside a ship's race", [](testdb::Database& d) {
         Ship s;
         s.objectId = 13;
         d.Add(s);
       },
       [](const testdb::Database& d, Bytes& b) { b.resize(b.size() - d.objects.back().size() + 53); },
       ProblemKind::RecordCut, 3, 13},
      {"story longer than the file", [](testdb::Database& d) {
         News n;
         n.objectId = 13;
         n.storyText = Str::Stored(1000, "abc");
         d.Add(n);
       }, same, ProblemKind::LengthCut, 3, 13},
      {"ship entries cut at the end", [](testdb::Database& d) {
         Character c;
         c.objectId = 13;
         c.shipCountWord = 3;
         c.ships.resize(1);
         d.Add(c);
       },
       // Size words, tag, the three head words, two words, the bid count,
       // the ship count and one 46-byte entry.
       [](const testdb::Database& d, Bytes& b) { b.resize(b.size() - d.objects.back().size() + 108); },
       ProblemKind::ListCut, 3, 13},
      {"tensions cut at the end", [](testdb::Database& d) {
         d.objects.clear();
         d.political.matrixSize = 5;
       }, same, ProblemKind::ListCut, std::nullopt, std::nullopt},
      {"ids out of order", [](testdb::Database& d) {
         News n;
         n.objectId = 5;
         d.Add(n);
       }, same, ProblemKind::IdsOutOfOrder, 3, 5},
      {"duplicate id", [](testdb::Database& d) {
         News n;
         n.objectId = 12;
         d.Add(n);
       }, same, ProblemKind::DuplicateId, 3, 12},
      {"captain not in the file", [](testdb::Database& d) {
         Ship s;
         s.objectId = 13;
         s.captainId = 99;
         d.Add(s);
       }, same, ProblemKind::CaptainMissing, 3, 13},
      {"captain is a news story", [](testdb::Database& d) {
         Ship s;
         s.objectId = 13;
         s.captainId = 12;
         d.Add(s);
       }, same, ProblemKind::CaptainNotCharacter, 3, 13},
      {"ship entry names nothing", [](testdb::Database& d) {
         Character c;
         c.objectId = 13;
         c.ships.resize(1);
         c.ships[0].shipId = 77;
         d.Add(c);
       }, same, ProblemKind::ShipEntryMissing, 3, 13},
      {"ship entry's bpv differs", [](testdb::Database& d) {
         Character c;
         c.objectId = 13;
         c.ships.resize(1);
         c.ships[0].shipId = 11;
         d.Add(c);
       }, same, ProblemKind::ShipEntryDiffers, 3, 13},
      {"declared size too small", [](testdb::Database& d) {
         News n;
         n.objectId = 13;
         n.frame.size = n.frame.size2 = static_cast<int32_t>(ToBytes(n).size()) - 8 - 4;
         d.Add(n);
       }, same, ProblemKind::SizeTooSmall, 3, 13},
      {"unrecognised class", [](testdb::Database& d) {
         RawObject raw;
         raw.frame.tag = ".?AVtOther@@";
         raw.body = Bytes(10, '\0') + Bytes("\x0D\0\0\0", 4);
         d.Add(raw);
       }, same, ProblemKind::UnrecognisedClass, 3, 13},
      {"bytes after the last object", [](testdb::Database&) {}, [](const testdb::Database&, Bytes& b) { b += "xyz"; },
       ProblemKind::TrailingBytes, std::nullopt, std::nullopt},
      // Both layouts read the campaign record to its end, with a tail, and
      // the same empty versions and counters at 0; there are no hexes.
      {"layout cannot be told", [](testdb::Database& d) {
         d.campaign.maxOnline = d.campaign.currentlyOnline = d.campaign.maxAccounts = d.campaign.accountsCreated = 0;
         d.campaign.version = d.campaign.versionCopy = "";
         d.campaign.frame.tail = Bytes(8, '\0');
         d.SetGrid(0, 0);
       }, same, ProblemKind::LayoutUnknown, std::nullopt, std::nullopt, false},
      {"header's last id below an object's", [](testdb::Database& d) { d.header.lastObjectId = 11; }, same,
       ProblemKind::LastIdLow, 2, 12},
      {"a text file", [](testdb::Database&) {},
       [](const testdb::Database&, Bytes& b) { b = "These are the notes of the campaign, not its database.\n"; },
       ProblemKind::NotADatabase, std::nullopt, std::nullopt, false},
      {"negative length", [](testdb::Database& d) {
         News n;
         n.objectId = 13;
         n.storyText = Str::Stored(-5);
         d.Add(n);
       }, same, ProblemKind::NegativeLength, 3, 13},
      {"negative count", [](testdb::Database& d) {
         Character c;
         c.objectId = 13;
         c.bidCountWord = -2;
         d.Add(c);
       }, same, ProblemKind::NegativeCount, 3, 13},
      {"tag closing bytes", [](testdb::Database& d) {
         News n;
         n.objectId = 13;
         n.frame.tag = ".?AVtNewsStory#!";
         d.Add(n);
       }, same, ProblemKind::TagClosingBytes, 3, 13},
  };
}

Bytes Made(const Case& c, Layout layout) {
  testdb::Database d = SmallHealthy();
  c.shape(d);
  Bytes bytes = ToBytes(d, layout);
  c.bytes(d, bytes);
  return bytes;
}

TEST(Check, FindsEachKindOfProblem) {
  std::vector<bool> seen(kProblemKinds, false);
  for (const Layout layout : {Layout::Base, Layout::Ostrel}) {
    for (const Case& c : DamagedFiles()) {
      SCOPED_TRACE(c.name);
      const Bytes bytes = Made(c, layout);
      const CheckReport report = CheckBytes(bytes, std::nullopt);
      ASSERT_EQ(report.layout.has_value(), c.layoutKnown) << report.layoutReason;
      if (c.layoutKnown) {
        EXPECT_EQ(*report.layout, ToolLayout(layout)) << report.layoutReason;
      }
      EXPECT_EQ(report.dryRun, c.layoutKnown);
      const auto found = std::find_if(report.problems.begin(), report.problems.end(),
                                      [&](const Problem& p) { return p.kind == c.kind; });
      ASSERT_NE(found, report.problems.end());
      EXPECT_EQ(found->index, c.index) << found->message;
      EXPECT_EQ(found->id, c.id) << found->message;
      EXPECT_FALSE(found->message.empty());
      if (found->offset) {
        EXPECT_LE(*found->offset, bytes.size());
      }
      // Errors are exactly the incomplete loads; stale references and
      // notes alone leave the status 0.
      EXPECT_EQ(report.complete, report.Count(Severity::Error) == 0);
      constexpr int kStatusOf[kSeverities] = {3, 1, 0, 0};
      EXPECT_EQ(report.ExitStatus(), kStatusOf[static_cast<size_t>(SeverityOf(c.kind))]);
      seen[static_cast<size_t>(c.kind)] = true;
    }
  }
  for (size_t kind = 0; kind < kProblemKinds; ++kind) {
    EXPECT_TRUE(seen[kind]) << ProblemKindWord(static_cast<ProblemKind>(kind));
  }
  // The healthy file and the samples have nothing to report.
  EXPECT_TRUE(CheckBytes(ToBytes(SmallHealthy(), Layout::Base), std::nullopt).problems.empty());
  EXPECT_TRUE(CheckBytes(ReadExample("sample-base.db"), std::nullopt).problems.empty());
  EXPECT_TRUE(CheckBytes(ReadExample("sample-ostrel.db"), std::nullopt).problems.empty());
}

// The dry run lists exactly the objects a Clean of the same bytes drops;
// what Clean writes from an input without warnings or errors checks with
// status 0, though it may hold stale references (their count is returned).
int64_t ExpectDryRunIsClean(const Bytes& bytes, campdb::Layout layout) {
  const CheckReport report = CheckBytes(bytes, layout);
  EXPECT_TRUE(report.dryRun);
  campdb::Database db;
  SetSource(db, bytes);
  db.layout = layout;
  LoadObserver quiet;
  LoadDatabase(db, quiet);
  std::istringstream in;
  std::ostringstream out;
  Console console(in, out);
  const int64_t loaded = db.loadedCount;
  CleanDatabase(db, console);
  std::vector<int64_t> dropped;
  for (int64_t i = 0; i < loaded; ++i) {
    if (db.deleteFlags[static_cast<size_t>(i)] != 0) dropped.push_back(i);
  }
  std::vector<int64_t> listed;
  for (const CleanDrop& drop : report.drops) listed.push_back(drop.index);
  EXPECT_EQ(listed, dropped);
  EXPECT_EQ(report.wouldKeep, db.loadedCount);
  ByteWriter cleaned;
  InfoFiles info;
  WriteRecords(db, cleaned, info, console);
  const CheckReport after = CheckBytes(cleaned.TakeBuffer(), layout);
  if (report.ExitStatus() == 0) {
    EXPECT_EQ(after.ExitStatus(), 0) << (after.problems.empty() ? "" : after.problems.front().message);
  }
  return after.Count(Severity::Stale);
}

TEST(Check, DryRunIsWhatCleanDropsAndCleanThenCheckGivesZero) {
  int64_t stale = 0;
  for (const Layout layout : {Layout::Base, Layout::Ostrel}) {
    for (const Case& c : DamagedFiles()) {
      SCOPED_TRACE(c.name);
      stale += ExpectDryRunIsClean(Made(c, layout), ToolLayout(layout));
    }
  }
  for (const auto& [file, layout] : {std::pair{"sample-base.db", campdb::Layout::Base},
                                     {"sample-ostrel.db", campdb::Layout::Ostrel},
                                     {"sample-damaged.db", campdb::Layout::Base}}) {
    SCOPED_TRACE(file);
    const Bytes bytes = ReadExample(file);
    ASSERT_FALSE(bytes.empty());
    stale += ExpectDryRunIsClean(bytes, layout);
    // Read in the other layout, too.
    ExpectDryRunIsClean(bytes, IsOstrel(layout) ? campdb::Layout::Base : campdb::Layout::Ostrel);
  }
  EXPECT_GT(stale, 0);
}

// However the file is cut, the check reports it, an error exactly when the
// load is incomplete, without allocating beyond what the file could back.
TEST(Check, FileCutAtEveryByte) {
  const Bytes whole = ReadExample("sample-base.db");
  for (size_t cut = 0; cut <= whole.size(); ++cut) {
    const Bytes bytes = whole.substr(0, cut);
    size_t largest = 0;
    CheckReport report;
    {
      AllocationProbe probe;
      report = CheckBytes(bytes, campdb::Layout::Base);
      largest = probe.Largest();
    }
    ASSERT_LE(largest, 8 * bytes.size() + 16384) << "cut at " << cut;
    ASSERT_EQ(report.complete, cut == whole.size()) << "cut at " << cut;
    ASSERT_EQ(report.Count(Severity::Error) > 0, !report.complete) << "cut at " << cut;
    for (const Problem& p : report.problems) {
      // The walk itself found where the end was met.
      ASSERT_NE(p.message, "the load met the end of the file") << "cut at " << cut;
    }
  }
}

// A list long enough to be checked in parts at once: every orphaned ship
// is found once, and ships changed anywhere in the list are found against
// the entries that name them, all in list order.
TEST(Check, LongListFoundInListOrder) {
  for (const bool farShips : {false, true}) {
    SCOPED_TRACE(farShips ? "ships far from their captains" : "ships after their captains");
    LargeDatabaseOptions options;
    options.objects = 12000;
    options.farShips = farShips;
    LargeDatabaseSummary summary;
    campdb::Database db;
    SetSource(db, LargeDatabaseBytes(options, &summary));
    EXPECT_EQ(CheckDatabase(db, campdb::Layout::Base).Count(ProblemKind::CaptainMissing), summary.orphanShips);

    // The first entry of a character in each tenth of the list names a
    // ship whose bpv changes.
    std::vector<int64_t> holders;
    for (int64_t i = 0; i < db.ObjectCount() && holders.size() < 10; ++i) {
      if (i < static_cast<int64_t>(holders.size()) * db.ObjectCount() / 10) continue;
      MiscObject scratch;
      const auto* character = std::get_if<tServCharacter>(&db.ReadObject(i, scratch));
      if (character == nullptr || character->ships.empty()) continue;
      std::get<tShip>(db.EditObject(db.FindObjectById(character->ships[0].shipId))).bpv += 1;
      holders.push_back(i);
    }
    ASSERT_EQ(holders.size(), 10u);
    CheckReport report;
    CheckObjects(db, true, report);
    std::vector<int64_t> differing;
    int64_t previous = -1;
    for (const Problem& problem : report.problems) {
      ASSERT_TRUE(problem.index.has_value());
      EXPECT_GE(*problem.index, previous) << problem.message;
      previous = *problem.index;
      if (problem.kind == ProblemKind::ShipEntryDiffers) differing.push_back(*problem.index);
    }
    EXPECT_EQ(differing, holders);
    EXPECT_EQ(report.Count(ProblemKind::CaptainMissing), summary.orphanShips);
  }
}

}  // namespace
}  // namespace campdb::testdb
