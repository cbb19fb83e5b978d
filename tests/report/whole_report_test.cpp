// Whole reports of databases composed byte by byte: loaded by the tool's
// own loader, then reported in process, and once through the built tool.
#include <gtest/gtest.h>

#include <array>
#include <sstream>
#include <string>

#include "console/console.h"
#include "driver/scratch.h"
#include "format/record_loader.h"
#include "report/report_driver.h"
#include "report/report_stream.h"
#include "support/db_builder.h"

namespace campdb {
namespace {

using testdb::Layout;

testdb::Database SampleDatabase() {
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

  testdb::RawObject unknown;
  unknown.frame.tag = ".?AVtFleet@@";
  testdb::PutI32(unknown.body, 0x55);
  unknown.body += "LEADRN";
  testdb::PutI32(unknown.body, 32);
  db.Add(unknown);

  return db;
}

// The report of SampleDatabase, written out from its values. Race names
// are listed here on their own, not taken from the tool's tables.
std::string ExpectedReport(Layout layout) {
  const bool ostrel = layout == Layout::Ostrel;
  std::string text =
      "save version:SV07\n"
      "Object count: 11, last object id 5000\n"
      "\n"
      "Test Campaign\n"
      "=============\n"
      "A campaign made for tests.\n"
      "\n"
      "Difficulty level: medium\n"
      "Starts in early era, year 160 with map: early.map\n"
      "Mid era starts in year 170, late era starts in year 180\n"
      "Current date is 162.6\n"
      "\n"
      "Mission list (2)\n"
      "==================\n"
      "Patrol_01.scr\n"
      "Escort_02.scr\n"
      "No special campaign missions\n"
      "\n"
      "Playable races:Federation,Klingon,Lyran,\n"
      "\n"
      "Accounts created: 4, of maximum 200\n"
      "Currently online: 1, of maximum 50\n"
      "\n"
      "Running version 2.5.1\n"
      "\n"
      "   Unknown campaign variable: 77\n"
      "\n"
      "\n"
      "Map size 2 hexes: 2 columns by 1 rows\n"
      "Map variable(s) of unknown purpose (unknown1): 9\n"
      "\n";
  if (ostrel) {
    text +=
        "Federation hex (0,0) DV 15/20,  cartel: Orion cartel, DV 4/6\n"
        "   Econ 7/10, contents: starbase, core world, nebula, \n"
        "Unknown hex (1,0) DV 0/0,  cartel: Unknown, DV 0/0\n"
        "   Econ 0/0, contents: no base, no planet, empty space, \n";
  } else {
    text +=
        "Federation hex (0,0) DV 15/20, Econ 7/10, contents: starbase, core world, nebula, \n"
        "Unknown hex (1,0) DV 0/0, Econ 0/0, contents: no base, no planet, empty space, \n";
  }

  static constexpr std::array<const char*, 10> kBase = {"Federation", "Klingon", "Romulan", "Lyran", "Hydran",
                                                        "Gorn",       "ISC",     "Mirak",   "Orion", "Monster"};
  static constexpr std::array<const char*, 18> kOstrel = {
      "Federation",   "Klingon",        "Romulan",      "Lyran",             "Hydran",
      "Gorn",         "ISC",            "Mirak",        "Orion cartel",      "Korgath cartel",
      "Prime cartel", "TigerHeart cartel", "BeastRaiders cartel", "Syndicate cartel", "Wyldefire cartel",
      "Camboro cartel", "Orion (npc)",  "Monster"};
  const size_t races = ostrel ? kOstrel.size() : kBase.size();
  auto name = [&](size_t code) { return std::string(ostrel ? kOstrel[code] : kBase[code]); };
  const std::array<std::array<const char*, 2>, 2> tension = {{{"0", "500"}, {"1000", "65535"}}};
  text += "\nPolitical tension matrix:\n=========================\n";
  for (size_t i = 0; i < races; ++i) {
    text += name(i) + " tensions\n";
    for (size_t j = 0; j < races; ++j) {
      text += "   vs " + name(j) + ": " + (i < 2 && j < 2 ? tension[i][j] : "unknown") + "\n";
    }
    text += "\n";
  }
  text += "\n";

  text +=
      "Human 10: Lieutenant Commander Alice (Federation) in hex (4,3), glicko 1500, prestige 300, lifetime 900, "
      "missions 12, bids in on 1 ships, email player@example.org, IP 192.0.2.10, homeworld (1,2)\n"
      "   ship 20 Type Name, class heavy cruiser, bpv 100\n"
      "Character variables of unknown purpose (unknowns 1, 6, 8, 11):113,,116,117,118?\n"
      "\n"
      "AI 11: Bot (Federation) in hex (1,1), glicko 1500, prestige 300, lifetime 900, missions 12, "
      "bids in on 0 ships, homeworld (0,0)\n"
      "Character variables of unknown purpose (unknowns 1, 6, 8, 11):113,,116,117,118?\n"
      "\n"
      "Ship 20:Type, Name, bpv 125, class heavy cruiser, race Federation, captained by 10,\n"
      "     r. warp 5/6, trans 4/4, weapons 2/3, shuttles 1/2, marines 3/4, bombs 2/2, parts 5/5,\n"
      "     I-med drones 6/8 in 2 rack(s) on 1 hardpoint(s), hdpt stats (#racks, rack size, storage): (2,4,8) ,\n"
      "     ftr bays: 3/4 F-1,\n"
      "\n"
      "Shipyard bid by 10: turn 28, closing 33 amount 450 on ship 24 Yard vessel bpv 110\n"
      "\n"
      "News story: Nothing\nhappened.\n"
      "\n"
      "\n\n";
  return text;
}

const std::string kProgress =
    "Writing object 0 from position 0\nWriting object 1 from position 1\nWriting object 2 from position 2\n"
    "Writing object 3 from position 3\nWriting object 4 from position 4\nWriting object 5 from position 5\n";

TEST(WholeReport, LoadedBaseDatabase) {
  const auto db = testdb::LoadBytes(testdb::ToBytes(SampleDatabase(), Layout::Base), Layout::Base);
  ASSERT_EQ(db->loadedCount, 6);

  std::istringstream noInput;
  std::ostringstream progress;
  Console console(noInput, progress);
  ReportStream out;
  ReportDatabase(*db, out, console);
  EXPECT_EQ(out.Text(), ExpectedReport(Layout::Base));
  EXPECT_EQ(progress.str(), kProgress);
}

TEST(WholeReport, OstrelDatabaseThroughTheTool) {
  testing::ScratchFolder folder;
  testing::WriteFile("in.db", testdb::ToBytes(SampleDatabase(), Layout::Ostrel));
  const testing::ToolRun run = testing::RunTool({"in.db", "report.txt"}, "y\nR\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.transcript.find("now generating report\n" + kProgress + "== finished with sMiscObject array"),
            std::string::npos)
      << run.transcript;
  EXPECT_EQ(testing::ReadFile("report.txt"), ExpectedReport(Layout::Ostrel));
}

}  // namespace
}  // namespace campdb
