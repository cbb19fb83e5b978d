#include "driver/loader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <sstream>

#include "console/console.h"
#include "support/allocation_probe.h"
#include "support/db_builder.h"

namespace campdb {
namespace {

const std::string kRecords =
    "finished reading prelim data\nfinished reading campaign data\nfinished reading initial map data\n"
    "finished reading map data\nfinished reading political data\n";

struct Loaded {
  Database db;
  LoadOutcome outcome;
  std::string transcript;
  std::string inputLeft;
};

// Loads a copy of the bytes with the narration of an interactive run, the
// operator's keys coming from `input`.
std::unique_ptr<Loaded> Load(const testdb::Bytes& bytes, const std::string& input = "") {
  auto loaded = std::make_unique<Loaded>();
  loaded->db.source.data = std::make_unique<uint8_t[]>(bytes.size() + 1);
  std::memcpy(loaded->db.source.data.get(), bytes.data(), bytes.size());
  loaded->db.source.size = bytes.size();
  std::istringstream in(input);
  std::ostringstream out;
  Console console(in, out);
  loaded->outcome = LoadWithNarration(loaded->db, console);
  loaded->transcript = out.str();
  loaded->inputLeft.assign(std::istreambuf_iterator<char>(in), {});
  return loaded;
}

TEST(Loader, TakesWhatTheFileHoldsWhateverTheCountsSay) {
  testdb::Database db;
  db.SetGrid(2, 1);
  for (int32_t id = 1; id <= 3; ++id) {
    testdb::News news;
    news.objectId = id;
    db.Add(news);
  }

  // More objects announced than stored: the load ends cleanly at the end.
  db.header.objectCount = 2147483647;
  const testdb::Bytes announcing = testdb::ToBytes(db, testdb::Layout::Base);
  size_t largest = 0;
  std::unique_ptr<Loaded> announced;
  {
    testdb::AllocationProbe probe;
    announced = Load(announcing);
    largest = probe.Largest();
  }
  EXPECT_LT(largest, announcing.size() + (size_t{1} << 16));
  EXPECT_EQ(announced->transcript, kRecords + "2147483642 objects specified\nEND OF FILE\n");
  EXPECT_EQ(announced->db.hexCount(), 2);
  EXPECT_EQ(announced->db.capacity, 2147483642);
  EXPECT_EQ(announced->db.loadedCount, 3);
  EXPECT_EQ(announced->db.objects.size(), 3u);
  EXPECT_EQ(announced->db.deleteFlags, (std::vector<uint8_t>{0, 0, 0}));
  EXPECT_EQ(DescribeIncompleteLoad(announced->outcome),
            "loading stopped at object 4 of 2147483642 (end of file); 0 bytes not loaded");

  // A map far larger than the file: hexes stop where the input does (the
  // political record and the objects after them are taken as hexes).
  db.header.objectCount.reset();
  db.map.columns = 100000;
  db.map.rows = 100000;
  const auto huge = Load(testdb::ToBytes(db, testdb::Layout::Base));
  EXPECT_GE(huge->db.hexCount(), 3);
  EXPECT_LE(huge->db.hexCount(), 2 + 1 + 3);
  EXPECT_EQ(huge->db.loadedCount, 0);
  EXPECT_TRUE(DescribeIncompleteLoad(huge->outcome).starts_with("the file ends at hex ")) << huge->outcome.endMetAt;

  // Size words that disagree stop the load after the operator's key.
  db.map.columns = 2;
  db.map.rows = 1;
  testdb::News bad;
  bad.frame.size = 100;
  bad.frame.size2 = 101;
  db.objects.insert(db.objects.begin() + 2, testdb::ToBytes(bad));
  const auto mismatch = Load(testdb::ToBytes(db, testdb::Layout::Base), "  k rest");
  EXPECT_EQ(mismatch->transcript,
            kRecords + "4 objects specified\nWARNING: SIZE MISMATCH IN OBJECT 100 vs 101\nHit any key to continue\n");
  EXPECT_EQ(mismatch->db.loadedCount, 2);
  EXPECT_EQ(mismatch->inputLeft, " rest");
  // From the object that failed to the end.
  const size_t notLoaded = db.objects[2].size() + db.objects[3].size();
  ASSERT_LT(notLoaded, 1000u);
  EXPECT_EQ(DescribeIncompleteLoad(mismatch->outcome),
            "loading stopped at object 3 of 4 (size mismatch); " + std::to_string(notLoaded) + " bytes not loaded");
}

// Where the end of the file was met, told in one line, with the bytes not
// loaded grouped by thousands.
TEST(Loader, AnIncompleteLoadIsDescribedWhereItStopped) {
  using Part = LoadOutcome::Part;
  const auto outcome = [](Part part, int64_t at, FrameResult stop = FrameResult::Read) {
    LoadOutcome o;
    o.announced = 40;
    o.hexesAnnounced = 1200;
    o.loaded = 11;
    o.endMetIn = part;
    o.endMetAt = at;
    o.stop = stop;
    o.stopIndex = at;
    o.inputSize = 1234567;
    o.unloadedFrom = 1000;
    o.wantedPastEnd = part != Part::None;
    return o;
  };
  const std::pair<LoadOutcome, std::string> cases[] = {
      {outcome(Part::Header, 0), "the file ends inside the header; 11 of 40 objects loaded"},
      {outcome(Part::Campaign, 0), "the file ends inside the campaign record; 11 of 40 objects loaded"},
      {outcome(Part::Map, 0), "the file ends inside the map record; 11 of 40 objects loaded"},
      {outcome(Part::Hexes, 6), "the file ends at hex 7 of 1200; 11 of 40 objects loaded"},
      {outcome(Part::Political, 0), "the file ends inside the political record; 11 of 40 objects loaded"},
      {outcome(Part::Objects, 11), "the file ends inside object 12 of 40; 11 of 40 objects loaded"},
      {outcome(Part::Objects, 11, FrameResult::EndOfFile),
       "loading stopped at object 12 of 40 (end of file); 1,233,567 bytes not loaded"},
      {outcome(Part::None, 11, FrameResult::SizeMismatch),
       "loading stopped at object 12 of 40 (size mismatch); 1,233,567 bytes not loaded"},
  };
  for (const auto& [o, line] : cases) EXPECT_EQ(DescribeIncompleteLoad(o), line);

  LoadOutcome nothingAnnounced = outcome(Part::Header, 0);
  nothingAnnounced.announced = 0;
  EXPECT_EQ(DescribeIncompleteLoad(nothingAnnounced), "the file ends inside the header");
}

}  // namespace
}  // namespace campdb
