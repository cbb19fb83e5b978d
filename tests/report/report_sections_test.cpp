// Report sections of records set up in memory, for what a whole report of a
// loaded database does not show: the line wrap of ship systems, calendar
// arithmetic at the limits, matrix indexing and the texts of edge values.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "report/report_sections.h"
#include "report/report_stream.h"

namespace campdb {
namespace {

using namespace std::string_literals;

class ReportSections : public ::testing::Test {
 protected:
  Layout layout = Layout::Base;
  void UseOstrel() { layout = Layout::Ostrel; }

  template <typename Record, typename... Context>
  std::string TextOf(void (*section)(ReportStream&, const Record&, Context...), const Record& record,
                     Context... context) {
    ReportStream out;
    section(out, record, context...);
    return out.Text();
  }
};

TEST_F(ReportSections, HeaderAndCampaignEdgeValues) {
  tPrelimData header;
  header.objectCount = -3;
  header.lastObjectId = -2147483647 - 1;
  EXPECT_EQ(TextOf(ReportHeader, header), "save version:\0\0\0\0\nObject count: -3, last object id -2147483648\n"s);

  tCampaignObject c;
  c.difficulty = 7;
  c.startEra = 1;
  c.baseYear = 2300;
  c.midEraStart = 4;
  c.lateEraStart = 9;
  c.currentTurn = 37;  // no turns per year: the turn stands on its own
  EXPECT_EQ(TextOf(ReportCampaign, c, layout),
            "\nCampaign Information\n====================\nNo description given\n\n"
            "Difficulty level: unknown (7)\n"
            "Start in middle era, year 2304 with map: unspecified\n"
            "Late era starts in year 2309\n"
            "Current date is 2300.37\n\n"
            "Mission list (0)\n==================\n"
            "No special campaign missions\n\n"
            "Playable races:\n\n"
            "Accounts created: 0, of maximum 0\nCurrently online: 0, of maximum 0\n\n"
            "Running version \n\n"
            "   Unknown campaign variable: 0\n\n");

  c.campaignName = Text("Orion");
  c.captainName = Text("Vance");
  c.captainRace = 1;
  c.captainPrestige = 42;
  c.specialFirstMission = Text("Spc_01.scr");
  c.specialTriggerPrestige = 500;
  c.playableRaces = {0, 8};
  c.startEra = 2;
  c.baseYear = 2147483647;
  c.lateEraStart = 2147483647;
  c.currentTurn = -2147483647 - 1;
  c.turnsPerYear = -1;
  const std::string text = TextOf(ReportCampaign, c, layout);
  EXPECT_TRUE(text.starts_with("\nOrion\n=====\nNo description")) << text;
  EXPECT_NE(text.find("Start in late era, year 4294967294 with map: unspecified\nCurrent date is 4294967295.0\n"),
            std::string::npos);
  EXPECT_NE(text.find("Special campaign missions begin with Spc_01.scr starting at prestige 500\n"), std::string::npos);
  EXPECT_NE(text.find("\nPlayable races:Federation,Orion,\n"), std::string::npos);
  EXPECT_NE(text.find("\n\nSingle player campaign: captain Vance, Klingon, prestige 42\n   Unknown"), std::string::npos);

  c.startEra = 5;
  c.baseYear = 100;
  c.currentTurn = -5;
  c.turnsPerYear = 12;
  EXPECT_NE(TextOf(ReportCampaign, c, layout).find("\nUnspecified start era: 5\nCurrent date is 100.-5\n"), std::string::npos);
}

TEST_F(ReportSections, HexBidAndCharacterLines) {
  tMapHex hex;
  hex.hexX = 3;
  hex.hexY = 4;
  hex.dvCurrent = 10;
  hex.dvMax = 20;
  hex.econCurrent = 5;
  hex.econMax = 10;
  hex.base = 1;
  hex.planet = 8;
  hex.terrain = 4096;
  hex.cartelRace = 8;
  EXPECT_EQ(TextOf(ReportHex, hex, layout), "Federation hex (3,4) DV 10/20, Econ 5/10, contents: starbase, core world, nebula, \n");

  tAuctionItem bid;
  bid.bidderId = 12;
  bid.bidTurn = 30;
  bid.closingTurn = 33;
  bid.amount = 500;
  bid.shipId = 4711;
  bid.shipName = Text("CA-7");
  bid.bpv = 125;
  EXPECT_EQ(TextOf(ReportBid, bid), "Shipyard bid by 12: turn 30, closing 33 amount 500 on ship 4711 CA-7 bpv 125\n\n");

  tServCharacter vance;
  vance.head.objectId = 101;
  vance.isHuman = true;
  vance.rank = 3;
  vance.characterName = Text("Vance");
  EXPECT_TRUE(TextOf(ReportCharacter, vance, layout).starts_with("Human 101: Captain Vance (Federation) in hex (0,0), glicko 0, prestige 0, "
                                        "lifetime 0, missions 0, bids in on 0 ships, email , IP , homeworld (0,0)\n"));

  UseOstrel();
  EXPECT_EQ(TextOf(ReportHex, hex, layout),
            "Federation hex (3,4) DV 10/20,  cartel: Orion cartel, DV 0/0\n"
            "   Econ 5/10, contents: starbase, core world, nebula, \n");
}

TEST_F(ReportSections, TensionCellsAreFoundByRowAndColumn) {
  tPoliticalObject political;
  political.matrixSize = 16;
  for (int32_t n = 0; n < 256; ++n) political.cells.push_back({n * 10, 0});
  const std::string base = TextOf(ReportPolitical, political, layout);
  EXPECT_NE(base.find("Klingon tensions\n   vs Federation: 160\n   vs Klingon: 170\n"), std::string::npos);
  EXPECT_TRUE(base.ends_with("   vs Monster: 1530\n\n\n"));  // cell (9,9)
  EXPECT_EQ(base.find("unknown"), std::string::npos);

  // 18 races in the Ostrel layout: the last two lie outside a 16 x 16 matrix.
  UseOstrel();
  const std::string ostrel = TextOf(ReportPolitical, political, layout);
  EXPECT_NE(ostrel.find("   vs Camboro cartel: 2550\n   vs Orion (npc): unknown\n   vs Monster: unknown\n\n"),
            std::string::npos);
  EXPECT_NE(ostrel.find("\nMonster tensions\n   vs Federation: unknown\n"), std::string::npos);
  EXPECT_TRUE(ostrel.ends_with("   vs Monster: unknown\n\n\n"));
}

TEST_F(ReportSections, ShipSystemsWrapAfterTenItems) {
  std::string systems(block::kSize, '\0');
  const auto put = [&](int offset, uint8_t value) { systems[static_cast<size_t>(offset)] = static_cast<char>(value); };
  for (int s = kRWarp; s <= kArmour; ++s) {
    put(PairOffset(static_cast<SystemIndex>(s)), static_cast<uint8_t>(s));
    put(PairOffset(static_cast<SystemIndex>(s)) + 1, static_cast<uint8_t>(s));
  }
  put(PairOffset(kFHull), 200);  // intact, working
  put(PairOffset(kFHull) + 1, 150);
  put(block::kCloak, 12);
  put(block::kHardpoints, 8);  // weapons: intact, working
  put(block::kHardpoints + 1, 6);
  put(block::kDroneRackTotal, 3);
  // Two schematic entries with drone racks: storage, racks and rack size
  // two bytes apart; a maximum of -56 and a rack size of -1 as signed bytes.
  for (const auto& [at, storage, racks, size] :
       {std::array<int, 4>{block::kSchematic, 8, 2, 4}, std::array<int, 4>{block::kSchematic + 16, 200, 1, 255}}) {
    put(at, static_cast<uint8_t>(storage));
    put(at + 2, static_cast<uint8_t>(racks));
    put(at + 4, static_cast<uint8_t>(size));
  }

  tShip ship;
  ship.head.objectId = 4711;
  ship.captainId = 77;
  ship.shipType = "F-CA";
  ship.shipName = "Enterprise";
  ship.bpv = 125;
  ship.hullClass = 7;
  ship.systemsBlock = systems;
  ship.bays[1] = {2, 200, 0, 0, "F-18", {}};  // a maximum of -56 as a signed byte
  ship.bays[3] = {4, 100, 0, 0, "A-10", {}};
  EXPECT_EQ(TextOf(ReportShip, ship, layout),
            "Ship 4711:F-CA, Enterprise, bpv 125, class heavy cruiser, race Federation, captained by 77,\n"
            "     l. warp 1/1, c. warp 2/2, impulse 3/3, apr 4/4, bridge 5/5, sensor 6/6, scanner 7/7, "
            "dam ctrl 8/8, repair 9/9, f. hull 150/200,\n"
            "     a. hull 11/11, c. hull 12/12, trac 13/13, ex dam 14/14, trans 15/15, btty 16/16, labs 17/17, "
            "cargo 18/18, armour 19/19, cloak cost 12,\n"
            "     weapons 6/8 in 3 rack(s) on 2 hardpoint(s), hdpt stats (#racks, rack size, storage): "
            "(2,4,8) (1,-1,-56) ,\n"
            "     ftr bays: 4/100 A-10,\n\n");

  // No system, a cloak cost of -56, no weapons; the drones of an unknown
  // type at medium speed, none working.
  std::string bare(block::kSize, '\0');
  bare.replace(block::kSchematic, 3 * block::kSchematicStride, systems, block::kSchematic,
               3 * block::kSchematicStride);
  bare[block::kDroneRackTotal] = 3;
  bare[block::kCloak] = static_cast<char>(200);
  bare[block::kDroneType] = 7;
  bare[block::kDroneSpeed] = 1;
  bare[block::kDroneStorageIntact] = 5;
  ship.captainId = 0;
  ship.systemsBlock = bare;
  ship.bays = {};
  UseOstrel();
  ship.race = 16;
  EXPECT_EQ(TextOf(ReportShip, ship, layout),
            "Shipyard vessel 4711:F-CA, Enterprise, bpv 125, class heavy cruiser, race Orion (npc),\n"
            "     ~med drones 0/5 in 3 rack(s) on 2 hardpoint(s), hdpt stats (#racks, rack size, storage): "
            "(2,4,8) (1,-1,-56) \n\n");
}

}  // namespace
}  // namespace campdb
