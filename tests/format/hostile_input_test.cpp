// Damaged and hostile databases at record level: a file cut at any byte,
// and counts and lengths of +-2^31. Reading must never crash, never loop or
// allocate in proportion to a count the file cannot back, and keep exactly
// the bytes that are there.
#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "record_loader.h"
#include "support/allocation_probe.h"

namespace campdb::testdb {
namespace {

// Generous for per-record overhead, far below what any count or length of
// 2^31 would ask for.
size_t AllocationBound(const Bytes& input) { return 8 * input.size() + 16384; }

Database SmallDatabase() {
  Database db;
  db.SetGrid(2, 2);
  db.political.Fill(3);
  Character c;
  c.objectId = 10;
  c.bids.resize(1);
  c.ships.resize(1);
  c.ships[0].shipId = 11;
  Ship s;
  s.objectId = 11;
  s.captainId = 10;
  Bid b;
  b.objectId = 12;
  News n;
  n.objectId = 13;
  RawObject raw;
  raw.frame.tag = ".?AVtOther@@";
  raw.body = Bytes(16, '\x07');
  db.Add(c);
  db.Add(s);
  db.Add(b);
  db.Add(n);
  db.Add(raw);
  return db;
}

// Loads the bytes under an allocation probe, then writes them back.
LoadedRecords LoadWatched(const Bytes& bytes, Layout layout) {
  LoadedRecords db;
  size_t largest = 0;
  {
    AllocationProbe probe;
    db = LoadRecords(bytes, layout);
    largest = probe.Largest();
  }
  EXPECT_LE(largest, AllocationBound(bytes));
  (void)db.Write();
  return db;
}

TEST(HostileInput, DatabaseCutAtEveryByte) {
  for (Layout layout : {Layout::Base, Layout::Ostrel}) {
    const Bytes whole = ToBytes(SmallDatabase(), layout);
    for (size_t cut = 0; cut <= whole.size(); ++cut) {
      SCOPED_TRACE(::testing::Message() << "cut at " << cut);
      const LoadedRecords db = LoadWatched(whole.substr(0, cut), layout);
      EXPECT_LE(db.slots.size(), 5u);
      EXPECT_LE(db.hexes.size(), 4u);
      if (cut < whole.size()) {
        EXPECT_TRUE(db.inputAtEnd);
      } else {
        EXPECT_EQ(db.slots.size(), 5u);
        EXPECT_EQ(db.console, "");
      }
      if (::testing::Test::HasFailure()) return;
    }
  }
}

TEST(HostileInput, HugeCountsAndLengths) {
  struct HostileCase {
    const char* name;
    std::function<void(Database&)> damage;
    std::function<void(const LoadedRecords&, const Bytes&)> check;
  };
  const auto none = [](const LoadedRecords&, const Bytes&) {};
  const HostileCase cases[] = {
      {"campaign description", [](Database& d) { d.campaign.description = Str::Stored(INT_MAX, "x"); },
       [](const LoadedRecords& db, const Bytes& bytes) {
         // The string keeps what is left of the file, which is then at its end.
         EXPECT_LT(static_cast<size_t>(db.campaign.description.Length()), bytes.size());
         EXPECT_GT(db.campaign.description.Length(), 1000);
         EXPECT_TRUE(db.inputAtEnd);
       }},
      {"mission count", [](Database& d) { d.campaign.missionCountWord = INT_MAX; }, none},
      {"mission length", [](Database& d) { d.campaign.missions[0] = Str::Stored(INT_MIN + 1, ""); }, none},
      {"race count", [](Database& d) { d.campaign.raceCountWord = INT_MAX; }, none},
      {"campaign size", [](Database& d) { d.campaign.frame.size = INT_MAX; }, none},
      {"map 65536 x 65536",
       [](Database& d) {
         d.map.columns = 65536;
         d.map.rows = 65536;
       },
       [](const LoadedRecords& db, const Bytes&) { EXPECT_EQ(db.map.HexesAnnounced(), int64_t{1} << 32); }},
      {"map INT_MIN x INT_MIN",
       [](Database& d) {
         d.map.columns = INT_MIN;
         d.map.rows = INT_MIN;
       },
       [](const LoadedRecords& db, const Bytes&) { EXPECT_EQ(db.map.HexesAnnounced(), int64_t{1} << 62); }},
      {"map INT_MAX x -2",
       [](Database& d) {
         d.hexes.clear();
         d.map.columns = INT_MAX;
         d.map.rows = -2;
       },
       [](const LoadedRecords& db, const Bytes&) {
         // Negative: no hexes, and the political record follows the map.
         EXPECT_EQ(db.map.HexesAnnounced(), 0);
         EXPECT_TRUE(db.hexes.empty());
         EXPECT_EQ(db.political.matrixSize, 3);
         EXPECT_EQ(db.slots.size(), 5u);
       }},
      {"map -1 x -1",
       [](Database& d) {
         d.hexes.resize(1);
         d.map.columns = -1;
         d.map.rows = -1;
       },
       [](const LoadedRecords& db, const Bytes&) {
         EXPECT_EQ(db.hexes.size(), 1u);
         EXPECT_EQ(db.slots.size(), 5u);
       }},
      {"hex size", [](Database& d) { d.hexes[1].frame.size = INT_MAX; }, none},
      {"matrix INT_MAX", [](Database& d) { d.political.matrixSize = INT_MAX; }, none},
      {"matrix 46341", [](Database& d) { d.political.matrixSize = 46341; },  // N * N passes 2^31
       [](const LoadedRecords& db, const Bytes& bytes) {
         EXPECT_LE(db.political.cells.size(), bytes.size() / 3);
         EXPECT_TRUE(db.inputAtEnd);
       }},
      {"matrix INT_MIN", [](Database& d) { d.political.matrixSize = INT_MIN; },
       [](const LoadedRecords& db, const Bytes&) { EXPECT_EQ(db.political.matrixSize, 0); }},
      {"bid entries", [](Database& d) {
         Character c;
         c.bidCountWord = INT_MAX;
         d.objects[0] = ToBytes(c);
       }, none},
      {"ship entries", [](Database& d) {
         Character c;
         c.shipCountWord = INT_MAX;
         c.ships.resize(1);
         d.objects[0] = ToBytes(c);
       }, none},
      {"character name", [](Database& d) {
         Character c;
         c.characterName = Str::Stored(INT_MAX, "abc");
         d.objects[0] = ToBytes(c);
       }, none},
      {"email", [](Database& d) {
         Character c;
         c.human->email = Str::Stored(INT_MAX, "abc");
         d.objects[0] = ToBytes(c);
       }, none},
      {"ship type", [](Database& d) {
         Ship s;
         s.shipType = Str::Stored(INT_MAX, "abc");
         d.objects[1] = ToBytes(s);
       }, none},
      {"fighter type", [](Database& d) {
         Ship s;
         s.bays[3].fighterType2 = Str::Stored(INT_MAX - 3, "abc");
         d.objects[1] = ToBytes(s);
       }, none},
      {"ship size", [](Database& d) {
         Ship s;
         s.frame.size = s.frame.size2 = INT_MAX;
         d.objects[1] = ToBytes(s);
       }, none},
      {"news text at the end", [](Database& d) {
         News n;
         n.storyText = Str::Stored(INT_MAX, "abc");
         d.objects.back() = ToBytes(n);
       },
       [](const LoadedRecords& db, const Bytes&) {
         ASSERT_EQ(db.slots.size(), 5u);
         ASSERT_TRUE(db.slots[4].news);
         EXPECT_EQ(db.slots[4].news->storyText.bytes, "abc");
         EXPECT_TRUE(db.slots[4].news->tail.empty());
       }},
      {"unrecognised tag length", [](Database& d) {
         RawObject raw;
         raw.frame.tag = Str::Stored(INT_MAX, "abc");
         d.objects[3] = ToBytes(raw);
       }, none},
      {"unrecognised size", [](Database& d) {
         RawObject raw;
         raw.frame.tag = "?";
         raw.frame.size = INT_MAX;
         d.objects[3] = ToBytes(raw);
       }, none},
      {"object count INT_MAX", [](Database& d) { d.header.objectCount = INT_MAX; },
       [](const LoadedRecords& db, const Bytes&) {
         EXPECT_EQ(db.slots.size(), 5u);
         EXPECT_EQ(db.console, "END OF FILE\n");
       }},
      {"object count INT_MIN", [](Database& d) { d.header.objectCount = INT_MIN; },
       [](const LoadedRecords& db, const Bytes&) { EXPECT_TRUE(db.slots.empty()); }},
  };
  for (Layout layout : {Layout::Base, Layout::Ostrel}) {
    for (const HostileCase& c : cases) {
      SCOPED_TRACE(c.name);
      Database d = SmallDatabase();
      c.damage(d);
      const Bytes bytes = ToBytes(d, layout);
      const LoadedRecords db = LoadWatched(bytes, layout);
      c.check(db, bytes);
    }
  }
}

}  // namespace
}  // namespace campdb::testdb
