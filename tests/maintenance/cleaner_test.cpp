#include "maintenance/cleaner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "console/console.h"
#include "driver/mixed_database.h"
#include "driver/scratch.h"
#include "format/record_loader.h"

namespace campdb {
namespace {

struct Cleaned {
  std::unique_ptr<Database> db;
  std::string console;
  CleanSummary summary;
};

// Loads the database and cleans it as a Clean run does.
Cleaned Clean(const testdb::Database& source) {
  Cleaned cleaned;
  cleaned.db = testdb::LoadBytes(testdb::ToBytes(source, testdb::Layout::Base), testdb::Layout::Base);
  std::istringstream in;
  std::ostringstream out;
  Console console(in, out);
  cleaned.summary = CleanDatabase(*cleaned.db, console);
  cleaned.console = out.str();
  return cleaned;
}

TEST(Cleaner, KeepsPlayersTheirShipsBasesAndTheShipyard) {
  const Cleaned mixed = Clean(testing::MakeMixedDatabase().db);
  using R = CleanReason;
  // Alice, Bot (AI with a starbase), Drone (AI, hull 17 only), Alice's ship,
  // the starbase, Bot's warship, Drone's ship, shipyard vessel, bid, news,
  // unknown object, ship of a bid, ship of a missing captain, Eve.
  const std::vector<R> reasons = {R::Kept,       R::Kept,         R::AiWithoutBase,       R::Kept,
                                  R::Kept,       R::CaptainIsAi,  R::CaptainIsAi,         R::Kept,
                                  R::Kept,       R::NewsStory,    R::Unrecognised,        R::CaptainNotCharacter,
                                  R::CaptainMissing, R::Kept};
  ASSERT_EQ(mixed.db->objects.size(), reasons.size());
  for (size_t i = 0; i < reasons.size(); ++i) {
    EXPECT_EQ(DecideClean(*mixed.db, static_cast<int64_t>(i)), reasons[i]) << i;
    EXPECT_EQ(mixed.db->deleteFlags[i], reasons[i] == R::Kept ? 0 : 1) << i;
  }
  EXPECT_EQ(mixed.summary.loaded, 14);
  EXPECT_EQ(mixed.summary.removed, 7);
  EXPECT_EQ(mixed.db->loadedCount, 7);
  EXPECT_EQ(mixed.db->header.objectCount, 7 + 4 + 3);
  EXPECT_EQ(mixed.console, "After cleaning thinks there are 14 objects\n   and numobjects is 7\n");

  testdb::Database news;
  news.SetGrid(3, 1);
  news.Add(testdb::News{});
  const Cleaned none = Clean(news);
  EXPECT_EQ(none.db->loadedCount, 0);
  EXPECT_EQ(none.console, "After cleaning thinks there are 6 objects\n   and numobjects is 0\n");
}

// The ids of the objects a Clean kept, sorted.
std::vector<int32_t> KeptIds(const Database& db) {
  std::vector<int32_t> ids;
  for (size_t i = 0; i < db.deleteFlags.size(); ++i) {
    if (db.deleteFlags[i] == 0) ids.push_back(db.objects[i].id);
  }
  std::sort(ids.begin(), ids.end());
  return ids;
}

// Out of id order, a captain is still found wherever it is: the same
// objects are kept as from the list in order.
TEST(Cleaner, FindsCaptainsInAListOutOfOrder) {
  const testdb::Database inOrder = testing::MakeMixedDatabase().db;
  const std::vector<int32_t> expected = KeptIds(*Clean(inOrder).db);
  ASSERT_EQ(expected, (std::vector<int32_t>{10, 11, 20, 21, 24, 30, 40}));

  testdb::Database reversed = inOrder;
  std::reverse(reversed.objects.begin(), reversed.objects.end());
  testdb::Database rotated = inOrder;  // the characters after their ships
  std::rotate(rotated.objects.begin(), rotated.objects.begin() + 3, rotated.objects.end());
  for (const testdb::Database* shuffled : {&reversed, &rotated}) {
    const Cleaned cleaned = Clean(*shuffled);
    EXPECT_EQ(KeptIds(*cleaned.db), expected);
    EXPECT_EQ(cleaned.console, "After cleaning thinks there are 14 objects\n   and numobjects is 7\n");
  }
}

// The decisions taken as the load reads each object are the ones Clean
// makes by reading the objects again: the mixed database in two orders, and
// the samples, the damaged one included.
TEST(Cleaner, DecisionsTakenWhileLoadingAreTheOnesMadeByReading) {
  struct Gather final : LoadObserver {
    LoadedDecisions decisions;
    void ObjectParsed(int64_t index, const MiscObject& object) override { decisions.Take(index, object); }
  };
  const testdb::Database mixed = testing::MakeMixedDatabase().db;
  testdb::Database reversed = mixed;
  std::reverse(reversed.objects.begin(), reversed.objects.end());
  std::vector<std::pair<testdb::Bytes, testdb::Layout>> inputs = {
      {testdb::ToBytes(mixed, testdb::Layout::Base), testdb::Layout::Base},
      {testdb::ToBytes(reversed, testdb::Layout::Base), testdb::Layout::Base}};
  for (const auto& [name, layout] : {std::pair{"sample-base.db", testdb::Layout::Base},
                                     std::pair{"sample-ostrel.db", testdb::Layout::Ostrel},
                                     std::pair{"sample-damaged.db", testdb::Layout::Base}}) {
    const auto bytes = testing::ReadFile(std::string(CAMPDB_SOURCE_DIR) + "/examples/" + name);
    ASSERT_TRUE(bytes) << name;
    inputs.emplace_back(*bytes, layout);
  }
  for (const auto& [bytes, layout] : inputs) {
    const auto db = testdb::LoadBytes(bytes, layout);
    Gather gather;
    LoadDatabase(*db, gather);
    const int64_t count = db->loadedCount;
    ASSERT_NE(gather.decisions.Of(count), nullptr);
    EXPECT_EQ(DecideCleanAll(*db, count, &gather.decisions), DecideCleanAll(*db, count));
  }
}

}  // namespace
}  // namespace campdb
