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

testdb::Database SmallDatabase() {
  testdb::Database db;
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

struct Loaded {
  std::unique_ptr<campdb::Database> db;
  LoadOutcome outcome;
  std::string stops;  // how the object list stopped, if it did
};

// Loads the bytes under an allocation probe, then writes them back.
Loaded LoadWatched(const Bytes& bytes, Layout layout) {
  Loaded loaded;
  size_t largest = 0;
  {
    AllocationProbe probe;
    loaded.db = LoadBytes(bytes, layout, &loaded.outcome);
    largest = probe.Largest();
  }
  EXPECT_LE(largest, AllocationBound(bytes));
  (void)WriteAll(*loaded.db);
  if (loaded.outcome.stop == FrameResult::EndOfFile) loaded.stops = "end of file";
  if (loaded.outcome.stop == FrameResult::SizeMismatch) loaded.stops = "size mismatch";
  return loaded;
}

TEST(HostileInput, DatabaseCutAtEveryByte) {
  for (Layout layout : {Layout::Base, Layout::Ostrel}) {
    const Bytes whole = ToBytes(SmallDatabase(), layout);
    for (size_t cut = 0; cut <= whole.size(); ++cut) {
      SCOPED_TRACE(::testing::Message() << "cut at " << cut);
      const Loaded loaded = LoadWatched(whole.substr(0, cut), layout);
      EXPECT_LE(loaded.db->objects.size(), 5u);
      EXPECT_LE(loaded.db->hexes.size(), 4u);
      if (cut < whole.size()) {
        EXPECT_FALSE(loaded.outcome.Complete());
      } else {
        EXPECT_EQ(loaded.db->objects.size(), 5u);
        EXPECT_TRUE(loaded.outcome.Complete());
      }
      if (::testing::Test::HasFailure()) return;
    }
  }
}

TEST(HostileInput, HugeCountsAndLengths) {
  struct HostileCase {
    const char* name;
    std::function<void(testdb::Database&)> damage;
    std::function<void(const Loaded&, const Bytes&)> check;
  };
  const auto none = [](const Loaded&, const Bytes&) {};
  const HostileCase cases[] = {
      {"campaign description", [](testdb::Database& d) { d.campaign.description = Str::Stored(INT_MAX, "x"); },
       [](const Loaded& l, const Bytes& bytes) {
         // The string keeps what is left of the file, which is then at its end.
         EXPECT_LT(l.db->campaign.description.size(), bytes.size());
         EXPECT_GT(l.db->campaign.description.size(), 1000u);
         EXPECT_FALSE(l.outcome.Complete());
       }},
      {"mission count", [](testdb::Database& d) { d.campaign.missionCountWord = INT_MAX; }, none},
      {"mission length", [](testdb::Database& d) { d.campaign.missions[0] = Str::Stored(INT_MIN + 1, ""); }, none},
      {"race count", [](testdb::Database& d) { d.campaign.raceCountWord = INT_MAX; }, none},
      {"campaign size", [](testdb::Database& d) { d.campaign.frame.size = INT_MAX; }, none},
      {"map 65536 x 65536",
       [](testdb::Database& d) {
         d.map.columns = 65536;
         d.map.rows = 65536;
       },
       [](const Loaded& l, const Bytes&) { EXPECT_EQ(l.db->map.HexesAnnounced(), int64_t{1} << 32); }},
      {"map INT_MIN x INT_MIN",
       [](testdb::Database& d) {
         d.map.columns = INT_MIN;
         d.map.rows = INT_MIN;
       },
       [](const Loaded& l, const Bytes&) { EXPECT_EQ(l.db->map.HexesAnnounced(), int64_t{1} << 62); }},
      {"map INT_MAX x -2",
       [](testdb::Database& d) {
         d.hexes.clear();
         d.map.columns = INT_MAX;
         d.map.rows = -2;
       },
       [](const Loaded& l, const Bytes&) {
         // Negative: no hexes, and the political record follows the map.
         EXPECT_EQ(l.db->map.HexesAnnounced(), 0);
         EXPECT_TRUE(l.db->hexes.empty());
         EXPECT_EQ(l.db->political.matrixSize, 3);
         EXPECT_EQ(l.db->objects.size(), 5u);
       }},
      {"map -1 x -1",
       [](testdb::Database& d) {
         d.hexes.resize(1);
         d.map.columns = -1;
         d.map.rows = -1;
       },
       [](const Loaded& l, const Bytes&) {
         EXPECT_EQ(l.db->hexes.size(), 1u);
         EXPECT_EQ(l.db->objects.size(), 5u);
       }},
      {"hex size", [](testdb::Database& d) { d.hexes[1].frame.size = INT_MAX; }, none},
      {"matrix INT_MAX", [](testdb::Database& d) { d.political.matrixSize = INT_MAX; }, none},
      {"matrix 46341", [](testdb::Database& d) { d.political.matrixSize = 46341; },  // N * N passes 2^31
       [](const Loaded& l, const Bytes& bytes) {
         EXPECT_LE(l.db->political.cells.size(), bytes.size() / 3);
         EXPECT_FALSE(l.outcome.Complete());
       }},
      {"matrix INT_MIN", [](testdb::Database& d) { d.political.matrixSize = INT_MIN; },
       [](const Loaded& l, const Bytes&) { EXPECT_EQ(l.db->political.matrixSize, 0); }},
      {"bid entries", [](testdb::Database& d) {
         Character c;
         c.bidCountWord = INT_MAX;
         d.objects[0] = ToBytes(c);
       }, none},
      {"ship entries", [](testdb::Database& d) {
         Character c;
         c.shipCountWord = INT_MAX;
         c.ships.resize(1);
         d.objects[0] = ToBytes(c);
       }, none},
      {"character name", [](testdb::Database& d) {
         Character c;
         c.characterName = Str::Stored(INT_MAX, "abc");
         d.objects[0] = ToBytes(c);
       }, none},
      {"email", [](testdb::Database& d) {
         Character c;
         c.human->email = Str::Stored(INT_MAX, "abc");
         d.objects[0] = ToBytes(c);
       }, none},
      {"ship type", [](testdb::Database& d) {
         Ship s;
         s.shipType = Str::Stored(INT_MAX, "abc");
         d.objects[1] = ToBytes(s);
       }, none},
      {"fighter type", [](testdb::Database& d) {
         Ship s;
         s.bays[3].fighterType2 = Str::Stored(INT_MAX - 3, "abc");
         d.objects[1] = ToBytes(s);
       }, none},
      {"ship size", [](testdb::Database& d) {
         Ship s;
         s.frame.size = s.frame.size2 = INT_MAX;
         d.objects[1] = ToBytes(s);
       }, none},
      {"news text at the end", [](testdb::Database& d) {
         News n;
         n.storyText = Str::Stored(INT_MAX, "abc");
         d.objects.back() = ToBytes(n);
       },
       [](const Loaded& l, const Bytes&) {
         ASSERT_EQ(l.db->objects.size(), 5u);
         MiscObject scratch;
         const auto& news = std::get<tNewsStory>(l.db->ReadObject(4, scratch));
         EXPECT_EQ(news.storyText, "abc");
         EXPECT_TRUE(news.tail.empty());
       }},
      {"unrecognised tag length", [](testdb::Database& d) {
         RawObject raw;
         raw.frame.tag = Str::Stored(INT_MAX, "abc");
         d.objects[3] = ToBytes(raw);
       }, none},
      {"unrecognised size", [](testdb::Database& d) {
         RawObject raw;
         raw.frame.tag = "?";
         raw.frame.size = INT_MAX;
         d.objects[3] = ToBytes(raw);
       }, none},
      {"object count INT_MAX", [](testdb::Database& d) { d.header.objectCount = INT_MAX; },
       [](const Loaded& l, const Bytes&) {
         EXPECT_EQ(l.db->objects.size(), 5u);
         EXPECT_EQ(l.stops, "end of file");
       }},
      {"object count INT_MIN", [](testdb::Database& d) { d.header.objectCount = INT_MIN; },
       [](const Loaded& l, const Bytes&) { EXPECT_TRUE(l.db->objects.empty()); }},
  };
  for (Layout layout : {Layout::Base, Layout::Ostrel}) {
    for (const HostileCase& c : cases) {
      SCOPED_TRACE(c.name);
      testdb::Database d = SmallDatabase();
      c.damage(d);
      const Bytes bytes = ToBytes(d, layout);
      const Loaded loaded = LoadWatched(bytes, layout);
      c.check(loaded, bytes);
    }
  }
}

}  // namespace
}  // namespace campdb::testdb
