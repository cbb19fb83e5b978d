#include "report/report_driver.h"

#include <memory>
#include <sstream>
#include <string>

#include "console/console.h"
#include "report/report_stream.h"
#include "report/report_test_fixture.h"

namespace campdb {
namespace {

using ReportDriverTest = ReportTest;

template <typename Record>
std::string TextOf(const Record& record) {
  ReportStream out;
  record.Report(out);
  return out.Text();
}

struct Outcome {
  std::string report;
  std::string console;
};

Outcome ReportOf(const Database& db) {
  std::istringstream in;
  std::ostringstream consoleOut;
  Console console(in, consoleOut);
  ReportStream out;
  ReportDatabase(db, out, console);
  return {out.Text(), consoleOut.str()};
}

Database SmallDatabase() {
  Database db;
  db.header.saveVersion = {'v', '2', '.', '1'};
  db.header.objectCount = 5;
  db.header.lastObjectId = 300;
  db.campaign.campaignName = CountedString("Test");
  db.map.columns = 2;
  db.map.rows = 1;
  for (int32_t x = 0; x < 2; ++x) {
    auto hex = std::make_unique<tMapHex>();
    hex->hexX = x;
    hex->ownerRace = x;
    db.MapHexPtr.push_back(std::move(hex));
  }
  db.political.matrixSize = 1;
  db.political.cells = {TensionCell{250, 25}};
  return db;
}

// The sections every report starts with, each as its record prints it.
std::string FixedSections(const Database& db) {
  ReportStream map;
  db.map.Report(map, db.hexCount());
  std::string text = TextOf(db.header) + TextOf(db.campaign) + map.Text();
  for (const auto& hex : db.MapHexPtr) text += TextOf(*hex);
  return text + TextOf(db.political);
}

TEST_F(ReportDriverTest, EmptyObjectListEndsWithTwoEmptyLines) {
  const Database db = SmallDatabase();
  const Outcome run = ReportOf(db);
  EXPECT_EQ(run.console, "");
  EXPECT_EQ(run.report, FixedSections(db) + "\n\n");
  EXPECT_TRUE(run.report.starts_with("save version:v2.1\nObject count: 5, last object id 300\n\nTest\n====\n"));
  EXPECT_NE(run.report.find("\nMap size 2 hexes: 2 columns by 1 rows\nMap variable(s) of unknown purpose (unknown1): 0\n\n"
                            "Federation hex (0,0) DV 0/0, Econ 0/0, contents: no base, no planet, unknown terrain, \n"
                            "Klingon hex (1,0) DV 0/0, Econ 0/0, contents: no base, no planet, unknown terrain, \n"
                            "\nPolitical tension matrix:\n"),
            std::string::npos);
}

TEST_F(ReportDriverTest, MiscObjectsInListOrderWithProgressLines) {
  Database db = SmallDatabase();
  db.slots.resize(4);
  db.slots[0].kind = ObjectKind::NewsStory;
  db.slots[0].news = std::make_unique<tNewsStory>();
  db.slots[0].news->storyText = CountedString("War!");
  db.slots[1].kind = ObjectKind::Unrecognised;
  db.slots[1].unrecognised = std::make_unique<UnrecognisedObject>();
  db.slots[2].kind = ObjectKind::Bid;
  db.slots[2].bid = std::make_unique<tAuctionItem>();
  db.slots[2].bid->bidderId = 7;
  db.slots[3].kind = ObjectKind::Ship;  // its record is missing: nothing to print
  db.loadedCount = 4;

  const Outcome run = ReportOf(db);
  EXPECT_EQ(run.console,
            "Writing object 0 from position 0\n"
            "Writing object 1 from position 1\n"
            "Writing object 2 from position 2\n"
            "Writing object 3 from position 3\n");
  EXPECT_EQ(run.report, FixedSections(db) +
                            "News story: War!\n\n"
                            "Shipyard bid by 7: turn 0, closing 0 amount 0 on ship 0  bpv 0\n\n"
                            "\n\n");

  // Only the loaded objects are reported.
  db.loadedCount = 1;
  const Outcome first = ReportOf(db);
  EXPECT_EQ(first.console, "Writing object 0 from position 0\n");
  EXPECT_EQ(first.report, FixedSections(db) + "News story: War!\n\n\n\n");
}

}  // namespace
}  // namespace campdb
