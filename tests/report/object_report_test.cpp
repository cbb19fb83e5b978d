#include <string>

#include "format/bid_news.h"
#include "format/character.h"
#include "report/report_stream.h"
#include "report/report_test_fixture.h"

namespace campdb {
namespace {

using namespace std::string_literals;
using ObjectReportTest = ReportTest;

template <typename Record>
std::string TextOf(const Record& record) {
  ReportStream out;
  record.Report(out);
  return out.Text();
}

TEST_F(ObjectReportTest, BidAndNewsEntries) {
  tAuctionItem bid;
  bid.bidderId = 12;
  bid.bidTurn = 30;
  bid.closingTurn = 33;
  bid.amount = 500;
  bid.shipId = 4711;
  bid.shipName = CountedString("CA-7");
  bid.bpv = 125;
  EXPECT_EQ(TextOf(bid), "Shipyard bid by 12: turn 30, closing 33 amount 500 on ship 4711 CA-7 bpv 125\n\n");

  bid.shipName = CountedString();
  bid.amount = -1;
  EXPECT_EQ(TextOf(bid), "Shipyard bid by 12: turn 30, closing 33 amount -1 on ship 4711  bpv 125\n\n");

  tNewsStory news;
  EXPECT_EQ(TextOf(news), "News story: \n\n");
  news.storyText = CountedString("Line one\r\nLine\0two\n"s);
  EXPECT_EQ(TextOf(news), "News story: Line one\r\nLine\0two\n\n\n"s);
}

tServCharacter Vance() {
  tServCharacter c;
  c.isAI = false;
  c.objectId = 101;
  c.rank = 3;
  c.characterName = CountedString("Vance");
  c.race = 1;
  c.hexRow = 5;
  c.hexColumn = 7;
  c.glicko = 1500;
  c.prestige = 200;
  c.lifetimePrestige = 900;
  c.missionsFlown = 12;
  c.homeworldColumn = 2;
  c.homeworldRow = 3;
  c.unknown1 = 1;
  c.unknown6 = 2;
  c.unknown8 = 3;
  c.unknown11 = -4;
  return c;
}

TEST_F(ObjectReportTest, HumanCharacterWithShips) {
  tServCharacter vance = Vance();
  EXPECT_EQ(TextOf(vance),
            "Human 101: Captain Vance (Klingon) in hex (5,7), glicko 1500, prestige 200, lifetime 900, missions 12, "
            "bids in on 0 ships, email , IP , homeworld (2,3)\n"
            "Character variables of unknown purpose (unknowns 1, 6, 8, 11):1,,2,3,-4?\n"
            "\n");

  CharacterShipEntry ship;
  ship.shipId = 4711;
  ship.shipType = CountedString("F-CA");
  ship.shipName = CountedString("Enterprise");
  ship.hullClass = 7;
  ship.bpv = 125;
  vance.ships.push_back(ship);
  ship.shipId = 4712;
  ship.shipType = CountedString();
  ship.shipName = CountedString();
  ship.hullClass = 20;
  ship.bpv = -1;
  vance.ships.push_back(ship);
  vance.bids.resize(2);
  vance.rank = 8;
  vance.email = CountedString("vance@example.org");
  vance.ipAddress = CountedString("10.0.0.1");
  EXPECT_EQ(TextOf(vance),
            "Human 101: Vance (Klingon) in hex (5,7), glicko 1500, prestige 200, lifetime 900, missions 12, "
            "bids in on 2 ships, email vance@example.org, IP 10.0.0.1, homeworld (2,3)\n"
            "   ship 4711 F-CA Enterprise, class heavy cruiser, bpv 125\n"
            "   ship 4712  , class unknown, bpv -1\n"
            "Character variables of unknown purpose (unknowns 1, 6, 8, 11):1,,2,3,-4?\n"
            "\n");
}

TEST_F(ObjectReportTest, AiCharacterHasNoHumanSectionAndNoHomeworld) {
  UseOstrel();
  tServCharacter ai;
  ai.isAI = true;
  ai.objectId = 102;
  ai.rank = 7;
  ai.characterName = CountedString("Kor");
  ai.race = 8;
  ai.prestige = -5;
  // Never stored for an AI character, so never shown.
  ai.email = CountedString("stray");
  ai.homeworldColumn = 9;
  ai.homeworldRow = 9;
  EXPECT_EQ(TextOf(ai),
            "AI 102: FleetAdmiral Kor (Orion cartel) in hex (0,0), glicko 0, prestige -5, lifetime 0, missions 0, "
            "bids in on 0 ships, homeworld (0,0)\n"
            "Character variables of unknown purpose (unknowns 1, 6, 8, 11):0,,0,0,0?\n"
            "\n");
}

}  // namespace
}  // namespace campdb
