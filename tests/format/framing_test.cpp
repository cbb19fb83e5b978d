// Framing of the misc objects: class tags to kinds, the size check, the end
// of the object list, objects of unrecognised class, and the search by id.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

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

testdb::Database ObjectsOnly(std::vector<Bytes> objects) {
  testdb::Database db;
  db.objects = std::move(objects);
  return db;
}

// Remembers the framing failure that stopped a load.
struct FrameWatch final : LoadObserver {
  std::vector<ObjectFrame> failures;
  void FrameFailed(const ObjectFrame& frame) override { failures.push_back(frame); }
};

struct Watched {
  std::unique_ptr<campdb::Database> db;
  FrameWatch watch;
  LoadOutcome outcome;
};

std::unique_ptr<Watched> LoadWatched(const Bytes& bytes, Layout layout) {
  auto w = std::make_unique<Watched>();
  w->db = std::make_unique<campdb::Database>();
  w->db->layout = ToolLayout(layout);
  w->db->source.data = std::make_unique<uint8_t[]>(bytes.size() + 1);
  std::copy(bytes.begin(), bytes.end(), w->db->source.data.get());
  w->db->source.size = bytes.size();
  w->outcome = LoadDatabase(*w->db, w->watch);
  return w;
}

TEST(Framing, SizeMismatchAndEndOfFileStopTheList) {
  News n;
  n.objectId = 7;
  News bad = n;
  bad.frame.size = 100;
  bad.frame.size2 = 101;
  const Bytes first = ToBytes(n);
  struct Stop {
    Bytes bytes;
    size_t loaded;
    FrameResult result;
    int32_t size, size2;
  };
  // The header promises three objects; the file ends cleanly after two.
  testdb::Database twoOfThree = ObjectsOnly({ToBytes(n), ToBytes(n)});
  twoOfThree.header.objectCount = 6;
  // Ending inside the second size word: the two words differ.
  testdb::Database cut = ObjectsOnly({ToBytes(n)});
  cut.header.objectCount = 5;
  const std::vector<Stop> stops = {
      {ToBytes(ObjectsOnly({ToBytes(n), ToBytes(bad), ToBytes(n)}), Layout::Base), 1, FrameResult::SizeMismatch,
       100, 101},
      {ToBytes(twoOfThree, Layout::Base), 2, FrameResult::EndOfFile, -1, -1},
      {ToBytes(cut, Layout::Base) + Bytes("\x2D\0\0\0\x2D\0", 6), 1, FrameResult::SizeMismatch, 45, -65491},
  };
  for (const Stop& stop : stops) {
    const auto w = LoadWatched(stop.bytes, Layout::Base);
    EXPECT_EQ(w->db->objects.size(), stop.loaded);
    ASSERT_EQ(w->watch.failures.size(), 1u);
    EXPECT_EQ(w->watch.failures[0].result, stop.result);
    EXPECT_EQ(w->watch.failures[0].declaredSize, stop.size);
    EXPECT_EQ(w->watch.failures[0].declaredSize2, stop.size2);
    EXPECT_EQ(w->outcome.stop, stop.result);
    EXPECT_EQ(w->outcome.stopIndex, static_cast<int64_t>(stop.loaded));
    // The bytes from the failed object on were not loaded.
    EXPECT_EQ(w->outcome.unloadedFrom, stop.bytes.size() - w->db->unloaded.size());
  }
}

TEST(Framing, CanonicalTagIsWrittenForKnownKinds) {
  Character c;
  c.frame.tag = ".?AVtServCharacterXY";
  Character expected = c;
  expected.frame.tag = ".?AVtServCharacter@@";
  EXPECT_EQ(ReadWriteObject(ToBytes(c)), ToBytes(expected));
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
  LoadOutcome outcome;
  const auto db = LoadBytes(bytes, Layout::Ostrel, &outcome);
  ASSERT_EQ(db->objects.size(), 5u);
  EXPECT_TRUE(outcome.Complete());
  for (int64_t i = 0; i < 4; ++i) EXPECT_EQ(db->Entry(i).kind, ObjectKind::Unrecognised) << i;
  EXPECT_EQ(db->Entry(0).id, 4242);
  EXPECT_EQ(db->Entry(1).id, -1);
  EXPECT_EQ(db->Entry(2).id, 0x22222222);
  EXPECT_EQ(db->Entry(3).id, -1);
  EXPECT_EQ(db->Entry(4).kind, ObjectKind::NewsStory);
  EXPECT_EQ(db->Entry(4).id, 5000);
  EXPECT_EQ(WriteAll(*db), bytes);

  // A body longer than the file keeps what the file holds.
  RawObject cut = fleet;
  cut.frame.size = INT_MAX;
  const Bytes cutBytes = ToBytes(ObjectsOnly({ToBytes(cut)}), Layout::Base);
  const auto cutDb = LoadBytes(cutBytes, Layout::Base, &outcome);
  ASSERT_EQ(cutDb->objects.size(), 1u);
  EXPECT_FALSE(outcome.Complete());
  MiscObject scratch;
  const auto& kept = std::get<UnrecognisedObject>(cutDb->ReadObject(0, scratch));
  EXPECT_TRUE(kept.bytes.ends_with(fleet.body));
  EXPECT_EQ(WriteAll(*cutDb), cutBytes);
}

TEST(Framing, FindByIdBisectsAscendingIdsAndTakesTheFirstInAnyOtherOrder) {
  const auto objectsWithIds = [](std::vector<int32_t> ids) {
    std::vector<ObjectEntry> objects;
    for (int32_t id : ids) objects.push_back(ObjectEntry{0, 0, id, ObjectKind::NewsStory, true, false});
    return objects;
  };
  struct Lookup {
    std::vector<int32_t> ids;
    std::vector<std::pair<int32_t, int64_t>> found;  // id and where it is found; -1 for nowhere
  };
  const std::vector<Lookup> lookups = {
      {{5, 9, 12, 20}, {{5, 0}, {9, 1}, {12, 2}, {20, 3}, {4, -1}, {10, -1}, {21, -1}, {-1, -1}}},
      {{1, 3, 4, 8, 15, 16, 23, 42, 99, 100, 1000}, {{1, 0}, {8, 3}, {23, 6}, {99, 8}, {1000, 10}, {2, -1}}},
      // Equal ids keep the order ascending.
      {{5, 5, 9}, {{9, 2}, {7, -1}}},
      // Out of order: the first in list order, wherever it stands.
      {{30, 10, 20, 10, 40}, {{10, 1}, {20, 2}, {30, 0}, {40, 4}, {25, -1}}},
      {{9, -1}, {{9, 0}, {-1, 1}}},
      {{}, {{5, -1}}},
  };
  for (const Lookup& lookup : lookups) {
    const std::vector<ObjectEntry> objects = objectsWithIds(lookup.ids);
    ObjectIndex index;
    index.Build(objects, static_cast<int64_t>(objects.size()));
    for (const auto& [id, at] : lookup.found) {
      EXPECT_EQ(index.Find(objects, id), at) << "id " << id << " in list of " << lookup.ids.size();
    }
  }
}

// The lookups made together find what each made alone finds, over lists in
// order and out of it, with runs of equal ids, ids of -1 and the extremes.
TEST(Framing, FindAllAgreesWithFindOverGeneratedLists) {
  uint64_t state = 7;
  const auto next = [&](uint32_t n) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<uint32_t>(state >> 33) % n;
  };
  for (int round = 0; round < 300; ++round) {
    const uint32_t size = next(round < 20 ? 4 : 400);
    std::vector<ObjectEntry> objects;
    int32_t id = round % 3 == 0 ? INT_MIN + static_cast<int32_t>(next(3)) : -2 + static_cast<int32_t>(next(4));
    for (uint32_t i = 0; i < size; ++i) {
      if (round % 4 == 1) id = static_cast<int32_t>(next(50)) - 1;  // out of order, many repeats
      else if (next(5) != 0) id += static_cast<int32_t>(next(3));    // ascending, some repeats
      if (round % 7 == 6 && i + 1 == size) id = INT_MAX;
      objects.push_back(ObjectEntry{0, 0, id, ObjectKind::Ship, true, false});
    }
    ObjectIndex index;
    index.Build(objects, static_cast<int64_t>(next(size + 2)));
    std::vector<int32_t> wanted{-1, 0, INT_MIN, INT_MAX};
    for (uint32_t k = next(2 * size + 2); k > 0; --k) {
      const int64_t near = size > 0 ? objects[next(size)].id + int64_t{next(3)} - 1 : 0;
      wanted.push_back(static_cast<int32_t>(std::clamp<int64_t>(near, INT_MIN, INT_MAX)));
    }
    const std::vector<int64_t> found = index.FindAll(objects, wanted);
    ASSERT_EQ(found.size(), wanted.size());
    for (size_t k = 0; k < wanted.size(); ++k) {
      ASSERT_EQ(found[k], index.Find(objects, wanted[k])) << "round " << round << ", id " << wanted[k];
    }
  }
}

}  // namespace
}  // namespace campdb::testdb
