#include "maintenance/writer.h"

#include <gtest/gtest.h>

#include <sstream>

#include "console/console.h"
#include "driver/loader.h"
#include "driver/scratch.h"
#include "format/run_settings.h"
#include "report/info_files.h"
#include "support/db_builder.h"

namespace campdb {
namespace {

using testdb::Layout;
using testing::ReadFile;

struct Loaded {
  std::istringstream in;
  std::ostringstream out;
  Console console{in, out};
  Database db;
};

void Load(Loaded& loaded, const testdb::Database& source, Layout layout) {
  ResetRunSettings();
  Run().variant = layout == Layout::Ostrel ? Variant::Ostrel : Variant::Base;
  const testdb::Bytes bytes = testdb::ToBytes(source, layout);
  ByteReader reader(testdb::Span(bytes));
  loaded.db = Database{};
  LoadDatabase(reader, loaded.db, loaded.console);
  loaded.out.str("");
}

TEST(Writer, WritesUnflaggedObjectsUntilTheLoadedCountIsReached) {
  testing::ScratchFolder folder;
  testdb::Database source;
  source.SetGrid(1, 2);
  testdb::News news;
  news.objectId = 7;
  testdb::Bid bid;
  bid.objectId = 8;
  testdb::Ship ship;
  ship.objectId = 10;
  source.Add(news);
  source.Add(bid);
  // An object of a class the tool does not know is written back whole.
  testdb::RawObject unknown;
  unknown.frame.tag = ".?AVtFleet@@";
  unknown.body = "0123456789\x09\0\0\0 and the rest of it";
  source.Add(unknown);
  source.Add(ship);
  Loaded loaded;
  Load(loaded, source, Layout::Base);
  loaded.db.deleteFlags = {0, 1, 0, 1};
  loaded.db.loadedCount = 2;

  testdb::Database expected = source;
  expected.header.objectCount = 3 + 2 + 4;  // as read: the writer does not recount
  expected.objects = {source.objects[0], source.objects[2]};
  ByteWriter out;
  InfoFiles infoFiles;
  EXPECT_EQ(WriteRecords(loaded.db, out, loaded.console, infoFiles), 2 + 2 + 3);
  EXPECT_EQ(out.Buffer(), testdb::ToBytes(expected, Layout::Base));

}

TEST(InfoFiles, SummariseTheCampaignInBothLayouts) {
  testing::ScratchFolder folder;
  testdb::Database source;
  source.campaign.frame.tail = "opaque tail bytes";
  size_t baseSize = 0;
  for (Layout layout : {Layout::Base, Layout::Ostrel}) {
    Loaded loaded;
    Load(loaded, source, layout);
    InfoFiles infoFiles;
    loaded.db.campaign.WriteInfoFiles(loaded.console, infoFiles);
    EXPECT_EQ(loaded.out.str(), "Producing an updated camp.info file\nProducing an updated version.info file\n");
    infoFiles.Commit(std::nullopt, loaded.console);

    // The record as stored, less its second size word, its class tag and
    // its tail, and with the declared size less 23 in front.
    const testdb::Bytes record = testdb::ToBytes(source.campaign, layout);
    const size_t framing = 4 + 4 + 4 + source.campaign.frame.tag.bytes.size();
    testdb::Bytes expected;
    testdb::PutI32(expected, static_cast<int64_t>(record.size()) - 8 - 23);
    expected += record.substr(framing, record.size() - framing - source.campaign.frame.tail.size());
    EXPECT_EQ(ReadFile("camp.info"), expected);
    EXPECT_EQ(ReadFile("version.info"), "2.5.1\n");
    if (layout == Layout::Base) baseSize = expected.size();
    else EXPECT_EQ(expected.size(), baseSize + 4);
  }

  source.campaign.version = "";
  source.campaign.frame.size = 500;
  Loaded loaded;
  Load(loaded, source, Layout::Base);
  InfoFiles infoFiles;
  loaded.db.campaign.WriteInfoFiles(loaded.console, infoFiles);
  infoFiles.Commit(std::nullopt, loaded.console);
  EXPECT_EQ(ReadFile("version.info"), "\n");
  EXPECT_EQ(ReadFile("camp.info")->substr(0, 4), std::string("\xDD\x01\0\0", 4));  // 477
}

}  // namespace
}  // namespace campdb
