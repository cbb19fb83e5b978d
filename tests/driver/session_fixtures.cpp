#include "driver/session_fixtures.h"

#include <algorithm>
#include <string>
#include <vector>

#include "driver/mixed_database.h"
#include "driver/scratch.h"
#include "support/db_builder.h"

namespace campdb::testing {

namespace {

using testdb::Layout;
using testdb::ToBytes;

// A database with one record of every kind, set to show the words the report
// gives its values: a hex with a base, a planet and a nebula beside a hex of
// unknown owner, a tension matrix smaller than the race table, a human and
// an AI character, a ship with drones and fighters, a bid, a news story of
// two lines and an object of unknown class.
testdb::Database SectionsDatabase() {
  testdb::Database db;
  db.map.columns = 2;
  db.map.rows = 1;
  testdb::Hex owned;
  owned.ownerRace = 0;
  owned.terrain = 4096;
  owned.planet = 8;
  owned.base = 1;
  testdb::Hex barrier;
  barrier.hexX = 1;
  barrier.ownerRace = 32;
  barrier.cartelRace = 40;
  barrier.cartelDvMax = 0;
  barrier.cartelDvCurrent = 0;
  barrier.terrain = -1;
  barrier.econMax = barrier.econCurrent = barrier.dvMax = barrier.dvCurrent = 0;
  db.hexes = {owned, barrier};

  db.political.matrixSize = 2;
  db.political.cells = {{0, 0}, {500, 50}, {1000, 100}, {65535, 0}};

  testdb::Character alice;
  alice.objectId = 10;
  alice.characterName = "Alice";
  alice.hexColumn = 3;
  alice.hexRow = 4;
  alice.bids.resize(1);
  testdb::Character::ShipEntry entry;
  entry.shipId = 20;
  alice.ships.push_back(entry);
  db.Add(alice);

  testdb::Character bot;
  bot.objectId = 11;
  bot.characterName = "Bot";
  bot.rank = 9;
  bot.human.reset();
  db.Add(bot);

  testdb::Ship ship;
  ship.objectId = 20;
  ship.captainId = 10;
  ship.block = {};
  ship.block[9] = 6;  // r. warp: intact, then working
  ship.block[10] = 5;
  ship.block[39] = 4;  // trans
  ship.block[40] = 4;
  ship.SetHardpoint(0, 3, 2);
  ship.SetSchematic(0, 8, 2, 4);
  ship.block[testdb::shipblock::kDroneType] = 0;
  ship.block[testdb::shipblock::kDroneSpeed] = 1;
  ship.block[testdb::shipblock::kDroneRackTotal] = 2;
  ship.block[testdb::shipblock::kDroneStorageIntact] = 8;
  ship.block[testdb::shipblock::kDroneStorageWorking] = 6;
  ship.block[testdb::shipblock::kShuttles] = 2;
  ship.block[testdb::shipblock::kShuttles + 1] = 1;
  ship.bays = {};
  ship.bays[0] = testdb::Ship::Bay{3, 4, 0, 0, "F-1", "F-1b"};
  db.Add(ship);

  testdb::Bid bid;
  bid.objectId = 30;
  bid.shipId = 24;
  bid.bidderId = 10;
  db.Add(bid);

  testdb::News news;
  news.objectId = 31;
  news.storyText = "Nothing\nhappened.";
  db.Add(news);

  db.Add(UnknownObject(32));
  return db;
}

// The mixed campaign as Clean must write it from its first `loaded`
// objects: those of them Clean keeps, and a header that counts them.
testdb::Bytes MixedCleaned(const MixedDatabase& mixed, size_t loaded) {
  testdb::Database cleaned = mixed.db;
  cleaned.objects.clear();
  for (size_t i = 0; i < loaded; ++i) {
    const testdb::Bytes& object = mixed.db.objects[i];
    if (std::find(mixed.kept.begin(), mixed.kept.end(), object) != mixed.kept.end()) cleaned.objects.push_back(object);
  }
  return ToBytes(cleaned, Layout::Base);
}

}  // namespace

void WriteSessionFixtures(const std::filesystem::path& folder) {
  const auto put = [&](const std::string& name, const std::string& bytes) { WriteFile(folder / name, bytes); };
  const MixedDatabase mixed = MakeMixedDatabase();
  const testdb::Bytes good = ToBytes(mixed.db, Layout::Base);

  put("mixed.db", good);
  put("mixed-ostrel.db", ToBytes(mixed.db, Layout::Ostrel));
  for (size_t loaded : {0, 3, 10, 14}) put("mixed-cleaned-" + std::to_string(loaded) + ".db", MixedCleaned(mixed, loaded));
  put("mixed-cut.db", good.substr(0, good.size() - 10));

  testdb::Database announcing = mixed.db;
  announcing.header.objectCount = 3 + 4 + 16;  // two objects more than held
  put("mixed-more-announced.db", ToBytes(announcing, Layout::Base));
  put("mixed-ends-in-a-size-word.db", ToBytes(announcing, Layout::Base) + mixed.db.objects[0].substr(0, 5));

  testdb::Database mismatch = mixed.db;
  testdb::News news;
  news.frame.size2 = 999;
  mismatch.objects.insert(mismatch.objects.begin() + 3, ToBytes(news));
  put("mixed-size-mismatch.db", ToBytes(mismatch, Layout::Base));

  testdb::Database trailing = mixed.db;
  trailing.header.objectCount = 3 + 4 + 10;
  put("mixed-trailing.db", ToBytes(trailing, Layout::Base) + std::string("junk\0\xFF", 6));

  testdb::Database none = mixed.db;
  none.header.objectCount = 0;
  put("mixed-none-announced.db", ToBytes(none, Layout::Base));

  put("sections.db", ToBytes(SectionsDatabase(), Layout::Base));
  put("sections-ostrel.db", ToBytes(SectionsDatabase(), Layout::Ostrel));

  const std::filesystem::path examples = std::filesystem::path(CAMPDB_SOURCE_DIR) / "examples";
  for (const char* name : {"sample-base.db", "sample-ostrel.db", "sample-shiplist.txt"}) {
    put(name, ReadFile(examples / name).value_or(""));
  }
}

}  // namespace campdb::testing
