// Telling the layouts apart: every file one layout reads cleanly and the
// other does not is named for the one that reads it, files on the boundary
// are decided by the values each reading finds, and a file whose values do
// not clearly decide is "cannot tell", never a guess.
#include "format/layout_detection.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <optional>

#include "record_loader.h"
#include "support/boundary_database.h"

namespace campdb::testdb {
namespace {

testdb::Database WithObjects() {
  testdb::Database db;
  db.SetGrid(3, 2);
  db.political.Fill(4);
  Character c;
  c.objectId = 10;
  News n;
  n.objectId = 11;
  db.Add(c);
  db.Add(n);
  return db;
}

TEST(LayoutDetection, FilesOfEitherLayoutAndFilesOnTheBoundary) {
  struct Case {
    const char* name;
    Layout madeIn;
    std::function<void(testdb::Database&)> shape;
    // The answer: the layout it was made in, or none.
    bool decided;
    const char* reason;  // the start of the reason
  };
  const auto none = [](testdb::Database&) {};
  const std::vector<Case> cases = {
      {"base with hexes", Layout::Base, none, true, "read as Ostrel"},
      {"ostrel with hexes", Layout::Ostrel, none, true, "read as base"},
      {"base without hexes or objects", Layout::Base,
       [](testdb::Database& d) {
         d.SetGrid(0, 0);
         d.objects.clear();
       },
       true, "read as Ostrel"},
      // Hex tails of 48 bytes fit the Ostrel fields; the version does not.
      {"base whose hexes have room for the Ostrel fields", Layout::Base,
       [](testdb::Database& d) {
         for (Hex& h : d.hexes) h.frame.tail = Bytes(48, '\x01');
       },
       true, "read as Ostrel"},
      // The base reading takes maxOnline 0 as an empty version and the
      // version as its copy, and fits: the values read decide.
      {"ostrel whose campaign fits the base fields too", Layout::Ostrel,
       [](testdb::Database& d) { d.campaign.maxOnline = 0; }, true, "the values fit"},
      {"the same without hexes or with a campaign tail", Layout::Ostrel,
       [](testdb::Database& d) {
         d.campaign.maxOnline = 0;
         d.campaign.frame.tail = "tail";
         d.SetGrid(0, 0);
       },
       true, "the values fit"},
      // Without versions the counters decide: the base reading finds more
      // accounts and players online than their limits.
      {"the same with no version at all", Layout::Ostrel,
       [](testdb::Database& d) {
         d.campaign.maxOnline = 0;
         d.campaign.version = d.campaign.versionCopy = "";
         d.SetGrid(0, 0);
       },
       true, "the values fit: read as base, 3 doubtful"},
      // With the counters at 0 a single odd value is left: nothing decides.
      {"the same with the counters at 0", Layout::Ostrel,
       [](testdb::Database& d) {
         d.campaign.maxOnline = d.campaign.currentlyOnline = d.campaign.maxAccounts = d.campaign.accountsCreated = 0;
         d.campaign.version = d.campaign.versionCopy = "";
         d.SetGrid(0, 0);
       },
       false, "both layouts frame every record: read as base, 1 doubtful"},
      // Damaged files: the reading that meets the damage gets further.
      {"base cut inside its hexes", Layout::Base,
       [](testdb::Database& d) { d.hexes[4].frame.size = 1 << 20; }, true, "neither layout reads it whole"},
      {"ostrel whose first object does not frame", Layout::Ostrel,
       [](testdb::Database& d) {
         News bad;
         bad.frame.size2 = 3;
         d.objects.insert(d.objects.begin(), ToBytes(bad));
       },
       true, "neither layout reads it whole"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testdb::Database d = WithObjects();
    c.shape(d);
    const LayoutVerdict verdict = DetectLayout(Span(ToBytes(d, c.madeIn)));
    if (c.decided) {
      ASSERT_TRUE(verdict.layout.has_value()) << verdict.reason;
      EXPECT_EQ(*verdict.layout, ToolLayout(c.madeIn)) << verdict.reason;
    } else {
      EXPECT_FALSE(verdict.layout.has_value()) << verdict.reason;
    }
    EXPECT_TRUE(verdict.reason.starts_with(c.reason)) << verdict.reason;
  }

  // Nothing to read at all, and the sample databases.
  EXPECT_FALSE(DetectLayout({}).layout.has_value());
  for (const auto& [file, layout] : {std::pair{"sample-base.db", Layout::Base}, {"sample-ostrel.db", Layout::Ostrel}}) {
    std::ifstream in(std::string(CAMPDB_SOURCE_DIR) + "/examples/" + file, std::ios::binary);
    const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(DetectLayout(Span(bytes)).layout, ToolLayout(layout)) << file;
  }
}

// Files that both layouts frame record by record: never a wrong answer, and
// seldom none.
TEST(LayoutDetection, BoundaryFilesAreNeverNamedWrongly) {
  int undecided = 0;
  for (uint64_t seed = 1; seed <= 300; ++seed) {
    const BoundaryFile file = BoundaryDatabase(seed);
    SCOPED_TRACE(seed);
    const auto bytes = Span(file.bytes);
    ASSERT_TRUE(ReadsCleanly(bytes, campdb::Layout::Base) && ReadsCleanly(bytes, campdb::Layout::Ostrel));
    const LayoutVerdict verdict = DetectLayout(bytes);
    if (verdict.layout) {
      EXPECT_EQ(*verdict.layout, ToolLayout(file.madeIn)) << verdict.reason;
    } else {
      ++undecided;
      EXPECT_NE(verdict.reason.find("read as base"), std::string::npos) << verdict.reason;
      EXPECT_NE(verdict.reason.find("read as Ostrel"), std::string::npos) << verdict.reason;
    }
  }
  EXPECT_LE(undecided, 6);
}

// The strict readings the runs act on: which layouts read the records
// cleanly, whether the answer is contradicted, whether the campaign record
// was read whole.
TEST(LayoutReadings, CleanContradictedAndCampaignWhole) {
  struct Case {
    const char* name;
    Layout madeIn;
    std::function<void(testdb::Database&)> shape;
    bool baseClean, ostrelClean, baseCampaign, ostrelCampaign;
  };
  const std::vector<Case> cases = {
      {"base", Layout::Base, [](testdb::Database&) {}, true, false, true, false},
      {"ostrel", Layout::Ostrel, [](testdb::Database&) {}, false, true, false, true},
      // Both read cleanly: the answer is never contradicted.
      {"ostrel whose campaign fits both", Layout::Ostrel, [](testdb::Database& d) { d.campaign.maxOnline = 0; },
       true, true, true, true},
      {"base with a hex too long", Layout::Base, [](testdb::Database& d) { d.hexes[4].frame.size = 1 << 20; },
       false, false, true, false},
      {"base whose campaign says too much", Layout::Base, [](testdb::Database& d) { d.campaign.frame.size = 1 << 20; },
       false, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testdb::Database d = WithObjects();
    c.shape(d);
    const Bytes bytes = ToBytes(d, c.madeIn);
    EXPECT_EQ(ReadsCleanly(Span(bytes), campdb::Layout::Base), c.baseClean);
    EXPECT_EQ(ReadsCleanly(Span(bytes), campdb::Layout::Ostrel), c.ostrelClean);
    EXPECT_EQ(LayoutContradicted(Span(bytes), campdb::Layout::Base), !c.baseClean && c.ostrelClean);
    EXPECT_EQ(LayoutContradicted(Span(bytes), campdb::Layout::Ostrel), !c.ostrelClean && c.baseClean);
    EXPECT_EQ(CampaignReadWhole(Span(bytes), campdb::Layout::Base), c.baseCampaign);
    EXPECT_EQ(CampaignReadWhole(Span(bytes), campdb::Layout::Ostrel), c.ostrelCampaign);
  }
  EXPECT_FALSE(ReadsCleanly({}, campdb::Layout::Base));
  EXPECT_FALSE(CampaignReadWhole({}, campdb::Layout::Ostrel));
}

}  // namespace
}  // namespace campdb::testdb
