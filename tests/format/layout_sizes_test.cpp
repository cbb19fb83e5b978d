// The fixed byte counts of every record, taken from the file layout, checked
// against what the test database builder composes. The round-trip tests rely
// on the builder being right; this pins it to the layout independently of
// the tool's own readers.
#include <gtest/gtest.h>

#include "support/db_builder.h"

namespace campdb::testdb {
namespace {

// Declared size of a composed record: its first int32.
int32_t DeclaredSize(const Bytes& bytes) {
  return static_cast<int32_t>(static_cast<uint8_t>(bytes[0]) | static_cast<uint8_t>(bytes[1]) << 8 |
                              static_cast<uint8_t>(bytes[2]) << 16 |
                              static_cast<uint32_t>(static_cast<uint8_t>(bytes[3])) << 24);
}

TEST(LayoutSizes, FixedPartsOfEveryRecord) {
  Campaign c;
  int64_t strings = 0;
  for (const Str* s : {&c.frame.tag, &c.campaignName, &c.description, &c.earlyEraMap, &c.middleEraMap,
                       &c.lateEraMap, &c.specialFirstMission, &c.campaignNameCopy, &c.captainName,
                       &c.version, &c.versionCopy})
    strings += static_cast<int64_t>(s->bytes.size());
  for (const Str& m : c.missions) strings += static_cast<int64_t>(m.bytes.size());
  const int64_t lists = 4 * static_cast<int64_t>(c.missions.size() + c.races.size());
  EXPECT_EQ(DeclaredSize(ToBytes(c, Layout::Base)), 143 + lists + strings);
  EXPECT_EQ(DeclaredSize(ToBytes(c, Layout::Ostrel)), 147 + lists + strings);

  MapRecord m;
  EXPECT_EQ(DeclaredSize(ToBytes(m)), 30 + static_cast<int64_t>(m.frame.tag.bytes.size()));

  Hex h;
  const auto hexTag = static_cast<int64_t>(h.frame.tag.bytes.size());
  EXPECT_EQ(DeclaredSize(ToBytes(h, Layout::Base)), 83 + hexTag);
  EXPECT_EQ(DeclaredSize(ToBytes(h, Layout::Ostrel)), 131 + hexTag);

  Political p;
  p.Fill(5);
  EXPECT_EQ(DeclaredSize(ToBytes(p)), 26 + static_cast<int64_t>(p.frame.tag.bytes.size()) + 3 * 25);

  Character ch;
  ch.ships.resize(2);
  ch.bids.resize(3);
  int64_t chStrings = static_cast<int64_t>(ch.characterName.bytes.size());
  for (const auto& e : ch.ships) chStrings += 38 + static_cast<int64_t>(e.shipType.bytes.size() + e.shipName.bytes.size());
  const int64_t human = 33 + static_cast<int64_t>(ch.human->email.bytes.size() + ch.human->ipAddress.bytes.size());
  EXPECT_EQ(DeclaredSize(ToBytes(ch)), 132 + 9 * 3 + chStrings + human);
  ch.human.reset();
  EXPECT_EQ(DeclaredSize(ToBytes(ch)), 132 + 9 * 3 + chStrings);

  Ship s;
  int64_t bays = 0;
  for (const auto& bay : s.bays) bays += 12 + static_cast<int64_t>(bay.fighterType.bytes.size() + bay.fighterType2.bytes.size());
  EXPECT_EQ(DeclaredSize(ToBytes(s)),
            525 + static_cast<int64_t>(s.shipType.bytes.size() + s.shipName.bytes.size()) + bays);

  Bid b;
  EXPECT_EQ(DeclaredSize(ToBytes(b)), 18 + 81 + static_cast<int64_t>(b.shipName.bytes.size()));
  News n;
  n.storyText = "";
  EXPECT_EQ(DeclaredSize(ToBytes(n)), 45);
}

TEST(LayoutSizes, OverridesAreWrittenAsGiven) {
  News n;
  n.frame.size = 100;
  n.frame.size2 = 101;
  n.frame.tag = Str::Stored(-7);
  n.storyText = Str::Stored(-1);
  const Bytes bytes = ToBytes(n);
  EXPECT_EQ(DeclaredSize(bytes), 100);
  EXPECT_EQ(DeclaredSize(bytes.substr(4)), 101);
  EXPECT_EQ(DeclaredSize(bytes.substr(8)), -7);
  EXPECT_EQ(bytes.size(), 8u + 4 + 4 + 6 + 4 + 4 + 3 + 4);

  Database db;
  db.SetGrid(3, 2);
  db.Add(n);
  const Bytes whole = ToBytes(db, Layout::Base);
  EXPECT_EQ(DeclaredSize(whole.substr(4)), 3 + 6 + 1);
  db.header.objectCount = -5;
  EXPECT_EQ(DeclaredSize(ToBytes(db, Layout::Base).substr(4)), -5);
}

}  // namespace
}  // namespace campdb::testdb
