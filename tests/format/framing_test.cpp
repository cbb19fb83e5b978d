// Framing of the misc objects: class tags to kinds, the size check, the end
// of the object list, objects of unrecognised class, and the searches by id.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <numeric>
#include <random>

#include "record_loader.h"

namespace campdb::testdb {
namespace {

TEST(Framing, ClassKindOfComparesLengthAndAllButTheClosingBytes) {
  struct TagCase {
    std::string tag;
    ObjectKind kind;
  };
  const TagCase cases[] = {
      {".?AVtServCharacter@@", ObjectKind::Character},
      {".?AVtServCharacterXY", ObjectKind::Character},  // closing bytes not compared
      {".?AVtAuctionItem@@", ObjectKind::Bid},
      {".?AVtNewsStory@@", ObjectKind::NewsStory},
      {".?AVtShip@@", ObjectKind::Ship},
      {".?AVtShip@@@", ObjectKind::Unrecognised},  // one byte too long
      {".?AVtShip@", ObjectKind::Unrecognised},
      {".?AVtShiq@@", ObjectKind::Unrecognised},
      {".?AVtMapHex@@", ObjectKind::Unrecognised},
      {"", ObjectKind::Unrecognised},
  };
  for (const TagCase& c : cases) {
    EXPECT_EQ(ClassKindOf(static_cast<int32_t>(c.tag.size()), c.tag), c.kind) << c.tag;
  }
  // The length given decides, not the bytes at hand.
  EXPECT_EQ(ClassKindOf(12, ".?AVtShip@@"), ObjectKind::Unrecognised);
  EXPECT_EQ(ClassKindOf(-11, ".?AVtShip@@"), ObjectKind::Unrecognised);
}

Database ObjectsOnly(std::vector<Bytes> objects) {
  Database db;
  db.objects = std::move(objects);
  return db;
}

TEST(Framing, SizeMismatchAndEndOfFileStopTheList) {
  News n;
  n.objectId = 7;
  News bad = n;
  bad.frame.size = 100;
  bad.frame.size2 = 101;
  {
    LoadedRecords db = LoadRecords(ToBytes(ObjectsOnly({ToBytes(n), ToBytes(bad), ToBytes(n)}), Layout::Base),
                                   Layout::Base, "k\nnot read\n");
    EXPECT_EQ(db.slots.size(), 1u);
    EXPECT_EQ(db.console, "WARNING: SIZE MISMATCH IN OBJECT 100 vs 101\nHit any key to continue\n");
  }
  {
    // The header promises three objects; the file ends cleanly after two.
    Database d = ObjectsOnly({ToBytes(n), ToBytes(n)});
    d.header.objectCount = 6;
    LoadedRecords db = LoadRecords(ToBytes(d, Layout::Base), Layout::Base);
    EXPECT_EQ(db.slots.size(), 2u);
    EXPECT_EQ(db.console, "END OF FILE\n");
  }
  {
    // Ending inside the second size word: the two words differ.
    Database d = ObjectsOnly({ToBytes(n)});
    d.header.objectCount = 5;
    Bytes bytes = ToBytes(d, Layout::Base);
    bytes += Bytes("\x2D\0\0\0\x2D\0", 6);
    LoadedRecords db = LoadRecords(bytes, Layout::Base);
    EXPECT_EQ(db.slots.size(), 1u);
    EXPECT_EQ(db.console, "WARNING: SIZE MISMATCH IN OBJECT 45 vs -65491\nHit any key to continue\n");
  }
}

TEST(Framing, CanonicalTagIsWrittenForKnownKinds) {
  Character c;
  c.frame.tag = ".?AVtServCharacterXY";
  Character expected = c;
  expected.frame.tag = ".?AVtServCharacter@@";
  LoadedRecords db = LoadRecords(ToBytes(ObjectsOnly({ToBytes(c)}), Layout::Base), Layout::Base);
  ASSERT_EQ(db.slots.size(), 1u);
  ByteWriter out;
  WriteMiscObject(out, db.slots[0]);
  EXPECT_EQ(out.Buffer(), ToBytes(expected));
}

TEST(Framing, UnrecognisedObjectsAreKeptWholeAndLoadingGoesOn) {
  RawObject fleet;
  fleet.frame.tag = ".?AVtFleet@@";
  fleet.body = Bytes(10, '\x11');
  PutI32(fleet.body, 4242);  // the objectId sits at offset 10 of every body
  fleet.body += "fleet data";
  RawObject odd;  // tag length word negative: no tag bytes
  odd.frame.tag = Str::Stored(-3);
  odd.body = "short body";  // under 14 bytes: no id
  RawObject longTag;
  longTag.frame.tag = ".?AVtShip@@!";
  longTag.body = Bytes(20, '\x22');
  RawObject empty;
  empty.frame.tag = "x";
  empty.frame.size = -8;  // no body at all

  News after;
  after.objectId = 5000;
  const std::vector<Bytes> objects = {ToBytes(fleet), ToBytes(odd), ToBytes(longTag), ToBytes(empty), ToBytes(after)};
  const Bytes bytes = ToBytes(ObjectsOnly(objects), Layout::Ostrel);
  LoadedRecords db = LoadRecords(bytes, Layout::Ostrel);
  ASSERT_EQ(db.slots.size(), 5u);
  EXPECT_EQ(db.console, "");
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(db.slots[i].kind, ObjectKind::Unrecognised) << i;
  EXPECT_EQ(ObjectIdOf(db.slots[0]), 4242);
  EXPECT_EQ(ObjectIdOf(db.slots[1]), -1);
  EXPECT_EQ(ObjectIdOf(db.slots[2]), 0x22222222);
  EXPECT_EQ(ObjectIdOf(db.slots[3]), -1);
  EXPECT_EQ(db.slots[4].kind, ObjectKind::NewsStory);
  EXPECT_EQ(ObjectIdOf(db.slots[4]), 5000);
  EXPECT_EQ(db.Write(), bytes);

  // A body longer than the file keeps what the file holds.
  RawObject cut = fleet;
  cut.frame.size = INT_MAX;
  const Bytes cutBytes = ToBytes(ObjectsOnly({ToBytes(cut)}), Layout::Base);
  LoadedRecords cutDb = LoadRecords(cutBytes, Layout::Base);
  ASSERT_EQ(cutDb.slots.size(), 1u);
  ASSERT_TRUE(cutDb.slots[0].unrecognised);
  EXPECT_EQ(cutDb.slots[0].unrecognised->body, fleet.body);
  EXPECT_EQ(cutDb.Write(), cutBytes);
}

// Slots of news stories with the given ids; an id of kNoRecord gives a slot
// without its record, whose id is -1; kUnknown + n an unrecognised object
// whose id is n.
constexpr int64_t kNoRecord = INT64_MIN;
constexpr int64_t kUnknown = int64_t{1} << 40;
std::vector<sMiscObject> SlotsWithIds(const std::vector<int64_t>& ids) {
  std::vector<sMiscObject> slots(ids.size());
  for (size_t i = 0; i < ids.size(); ++i) {
    if (ids[i] == kNoRecord) continue;
    if (ids[i] >= kUnknown / 2) {
      slots[i].unrecognised = std::make_unique<UnrecognisedObject>();
      slots[i].unrecognised->objectId = static_cast<int32_t>(ids[i] - kUnknown);
      continue;
    }
    slots[i].kind = ObjectKind::NewsStory;
    slots[i].news = std::make_unique<tNewsStory>();
    slots[i].news->objectId = static_cast<int32_t>(ids[i]);
  }
  return slots;
}

TEST(Framing, FindObjectByIdIsABinarySearchOverAscendingIds) {
  std::vector<sMiscObject> slots = SlotsWithIds({5, 9, 12, 20});
  const auto find = [&](int32_t id) {
    sMiscObject* found = FindObjectById(slots, 0, static_cast<int64_t>(slots.size()) - 1, id);
    return found == nullptr ? -1 : static_cast<int>(found - slots.data());
  };
  EXPECT_EQ(find(5), 0);
  EXPECT_EQ(find(9), 1);
  EXPECT_EQ(find(12), 2);
  EXPECT_EQ(find(20), 3);
  for (int32_t missing : {4, 10, 21, -1}) EXPECT_EQ(find(missing), -1) << missing;

  // Longer lists: every id is found.
  slots = SlotsWithIds({1, 3, 4, 8, 15, 16, 23, 42, 99, 100, 1000});
  for (size_t i = 0; i < slots.size(); ++i) EXPECT_EQ(find(slots[i].news->objectId), static_cast<int>(i));

  // A slot without its record has id -1; at the high end it hides the list.
  slots = SlotsWithIds({5, 9, 12, 20});
  slots.emplace_back();
  EXPECT_EQ(ObjectIdOf(slots.back()), -1);
  for (int32_t id : {5, 9, 12, 20}) EXPECT_EQ(find(id), -1) << id;
  slots[1].news.reset();
  EXPECT_EQ(ObjectIdOf(slots[1]), -1);

  std::vector<sMiscObject> none;
  EXPECT_EQ(FindObjectById(none, 0, -1, 5), nullptr);
  EXPECT_EQ(FindObjectById(none, 0, 3, 5), nullptr);  // a high end past the list
}

// In a list in ascending order (each id not below the one before, objects
// of unrecognised class included) the index finds exactly what the binary
// search finds; in any other list, the first object in list order that has
// the id.
TEST(Framing, ObjectIdIndexFindsTheFirstObjectWithTheIdInAnyOrder) {
  struct Case {
    const char* what;
    std::vector<int64_t> ids;
    bool ascending;
  };
  const Case cases[] = {
      {"ascending", {5, 9, 12, 20}, true},
      {"ascending with equal ids", {5, 9, 9, 9, 12, 12}, true},
      {"unrecognised object in its place", {3, kUnknown + 7, 10}, true},
      {"descending", {20, 12, 9, 5}, false},
      {"shuffled with equal ids", {12, 5, 20, 5, 9, 12}, false},
      {"a slot without its record at the end", {5, 9, 12, 20, kNoRecord}, false},
      {"an unrecognised object without an id", {3, kUnknown - 1, 10}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<sMiscObject> slots = SlotsWithIds(c.ids);
    const auto count = static_cast<int64_t>(slots.size());
    ObjectIdIndex index;
    for (int32_t wanted = -2; wanted <= 22; ++wanted) {
      SCOPED_TRACE(wanted);
      const sMiscObject* found = index.Find(slots, count, wanted);
      if (c.ascending) {
        EXPECT_EQ(found, FindObjectById(slots, 0, count - 1, wanted));
        continue;
      }
      const sMiscObject* first = nullptr;
      for (const sMiscObject& slot : slots) {
        if (ObjectIdOf(slot) == wanted) {
          first = &slot;
          break;
        }
      }
      EXPECT_EQ(found, first);
    }
  }

  // Only the first `count` slots are searched.
  std::vector<sMiscObject> slots = SlotsWithIds({9, 5, 7, 1});
  ObjectIdIndex index;
  EXPECT_EQ(index.Find(slots, 2, 5), &slots[1]);
  EXPECT_EQ(index.Find(slots, 2, 7), nullptr);
  EXPECT_EQ(index.Find(slots, 9, 1), &slots[3]);  // a count past the list: the whole list
  std::vector<sMiscObject> none;
  EXPECT_EQ(index.Find(none, 0, 5), nullptr);
}

// Lookups on a large list out of order do not walk the list each time: a
// linear search for every one of 300,000 ids would take minutes.
TEST(Framing, ObjectIdIndexStaysFastOnALargeListOutOfOrder) {
  constexpr int64_t kObjects = 300000;
  std::vector<int64_t> ids(kObjects);
  std::iota(ids.begin(), ids.end(), 1000);
  std::shuffle(ids.begin(), ids.end(), std::mt19937(12));
  std::vector<sMiscObject> slots = SlotsWithIds(ids);

  const auto start = std::chrono::steady_clock::now();
  ObjectIdIndex index;
  size_t found = 0;
  for (size_t i = 0; i < slots.size(); ++i) {
    found += index.Find(slots, kObjects, static_cast<int32_t>(ids[i])) == &slots[i] ? 1 : 0;
  }
  EXPECT_EQ(found, slots.size());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

}  // namespace
}  // namespace campdb::testdb
