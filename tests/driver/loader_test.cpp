#include "driver/loader.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>

#include "console/console.h"
#include "format/run_settings.h"
#include "support/allocation_probe.h"
#include "support/db_builder.h"

namespace campdb {
namespace {

using testdb::Layout;

const std::string kRecords =
    "finished reading prelim data\nfinished reading campaign data\nfinished reading initial map data\n"
    "finished reading map data\nfinished reading political data\n";

struct Loaded {
  Database db;
  std::string transcript;
  std::string inputLeft;
};

Loaded Load(const testdb::Bytes& bytes, const std::string& input = "") {
  ResetRunSettings();
  std::istringstream in(input);
  std::ostringstream out;
  Console console(in, out);
  Loaded loaded;
  ByteReader reader(testdb::Span(bytes));
  LoadDatabase(reader, loaded.db, console);
  loaded.transcript = out.str();
  loaded.inputLeft.assign(std::istreambuf_iterator<char>(in), {});
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
  testdb::AllocationProbe probe;
  const Loaded announced = Load(testdb::ToBytes(db, Layout::Base));
  EXPECT_LT(probe.Largest(), size_t{1} << 16);
  EXPECT_EQ(announced.transcript, kRecords + "2147483642 objects specified\nEND OF FILE\n");
  EXPECT_EQ(announced.db.hexCount(), 2);
  EXPECT_EQ(announced.db.capacity, 2147483642);
  EXPECT_EQ(announced.db.loadedCount, 3);
  EXPECT_EQ(announced.db.slots.size(), 3u);
  EXPECT_EQ(announced.db.deleteFlags, (std::vector<uint8_t>{0, 0, 0}));

  // A map far larger than the file: hexes stop where the input does (the
  // political record and the objects after them are taken as hexes).
  db.header.objectCount.reset();
  db.map.columns = 100000;
  db.map.rows = 100000;
  const Loaded huge = Load(testdb::ToBytes(db, Layout::Base));
  EXPECT_GE(huge.db.hexCount(), 3);
  EXPECT_LE(huge.db.hexCount(), 2 + 1 + 3);
  EXPECT_EQ(huge.db.loadedCount, 0);

  // Size words that disagree stop the load after the operator's key.
  db.map.columns = 2;
  db.map.rows = 1;
  testdb::News bad;
  bad.frame.size = 100;
  bad.frame.size2 = 101;
  db.objects.insert(db.objects.begin() + 2, testdb::ToBytes(bad));
  const Loaded mismatch = Load(testdb::ToBytes(db, Layout::Base), "  k rest");
  EXPECT_EQ(mismatch.transcript,
            kRecords + "4 objects specified\nWARNING: SIZE MISMATCH IN OBJECT 100 vs 101\nHit any key to continue\n");
  EXPECT_EQ(mismatch.db.loadedCount, 2);
  EXPECT_EQ(mismatch.inputLeft, " rest");
}

}  // namespace
}  // namespace campdb
