#include "maintenance/cleaner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "console/console.h"
#include "driver/loader.h"
#include "driver/mixed_database.h"
#include "format/run_settings.h"

namespace campdb {
namespace {

// Loads the database, marks every object as the driver does, and cleans.
Database Clean(const testdb::Database& source, std::string& console) {
  ResetRunSettings();
  const testdb::Bytes bytes = testdb::ToBytes(source, testdb::Layout::Base);
  std::istringstream in;
  std::ostringstream out;
  Console io(in, out);
  Database db;
  ByteReader reader(testdb::Span(bytes));
  LoadDatabase(reader, db, io);
  out.str("");
  std::fill(db.deleteFlags.begin(), db.deleteFlags.end(), 1);
  CleanDatabase(db, io);
  console = out.str();
  return db;
}

TEST(Cleaner, KeepsPlayersTheirShipsBasesAndTheShipyard) {
  std::string console;
  const Database mixed = Clean(testing::MakeMixedDatabase().db, console);
  // Alice, Bot (AI with a starbase), Drone (AI, hull 17 only), Alice's ship,
  // the starbase, Bot's warship, Drone's ship, shipyard vessel, bid, news,
  // unknown object, ship of a bid, ship of a missing captain, Eve.
  EXPECT_EQ(mixed.deleteFlags, (std::vector<uint8_t>{0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 1, 1, 1, 0}));
  EXPECT_EQ(mixed.loadedCount, 7);
  EXPECT_EQ(mixed.header.objectCount, 7 + 4 + 3);
  EXPECT_EQ(console, "After cleaning thinks there are 14 objects\n   and numobjects is 7\n");

  testdb::Database news;
  news.SetGrid(3, 1);
  news.Add(testdb::News{});
  const Database none = Clean(news, console);
  EXPECT_EQ(none.loadedCount, 0);
  EXPECT_EQ(console, "After cleaning thinks there are 6 objects\n   and numobjects is 0\n");
}

// The ids of the objects a Clean kept, sorted.
std::vector<int32_t> KeptIds(const Database& db) {
  std::vector<int32_t> ids;
  for (size_t i = 0; i < db.deleteFlags.size(); ++i) {
    if (db.deleteFlags[i] == 0) ids.push_back(ObjectIdOf(db.slots[i]));
  }
  std::sort(ids.begin(), ids.end());
  return ids;
}

// Out of id order, a captain is still found wherever it is: the same
// objects are kept as from the list in order.
TEST(Cleaner, FindsCaptainsInAListOutOfOrder) {
  std::string console;
  const testdb::Database inOrder = testing::MakeMixedDatabase().db;
  const std::vector<int32_t> expected = KeptIds(Clean(inOrder, console));
  ASSERT_EQ(expected, (std::vector<int32_t>{10, 11, 20, 21, 24, 30, 40}));

  testdb::Database reversed = inOrder;
  std::reverse(reversed.objects.begin(), reversed.objects.end());
  testdb::Database rotated = inOrder;  // the characters after their ships
  std::rotate(rotated.objects.begin(), rotated.objects.begin() + 3, rotated.objects.end());
  for (const testdb::Database* shuffled : {&reversed, &rotated}) {
    const Database cleaned = Clean(*shuffled, console);
    EXPECT_EQ(KeptIds(cleaned), expected);
    EXPECT_EQ(console, "After cleaning thinks there are 14 objects\n   and numobjects is 7\n");
  }
}

}  // namespace
}  // namespace campdb
