#include <string>

#include "format/campaign.h"
#include "format/header.h"
#include "report/report_stream.h"
#include "report/report_test_fixture.h"

namespace campdb {
namespace {

using namespace std::string_literals;
using CampaignReportTest = ReportTest;

std::string HeaderText(const tPrelimData& header) {
  ReportStream out;
  header.Report(out);
  return out.Text();
}

std::string CampaignText(const tCampaignObject& campaign) {
  ReportStream out;
  campaign.Report(out);
  return out.Text();
}

tCampaignObject SinglePlayerCampaign() {
  tCampaignObject c;
  c.campaignName = CountedString("Orion");
  c.description = CountedString("A test");
  c.difficulty = 1;
  c.startEra = 0;
  c.earlyEraMap = CountedString("map1.mvm");
  c.baseYear = 2260;
  c.earlyEraStart = 0;
  c.midEraStart = 10;
  c.lateEraStart = 20;
  c.currentTurn = 30;
  c.turnsPerYear = 12;
  c.missionList = {CountedString("Met_10Patrol.scr"), CountedString("Met_20Escort.scr")};
  c.specialFirstMission = CountedString("Spc_01.scr");
  c.specialTriggerPrestige = 500;
  c.playableRaces = {0, 8};
  c.accountsCreated = 3;
  c.maxAccounts = 100;
  c.currentlyOnline = 1;
  c.maxOnline = 20;
  c.version = CountedString("2.5");
  c.captainName = CountedString("Vance");
  c.captainRace = 1;
  c.captainPrestige = 42;
  c.unknownCampaignVariable = -7;
  return c;
}

TEST_F(CampaignReportTest, HeaderCopiesVersionBytesAndSignedCounts) {
  tPrelimData header;
  header.saveVersion = {'1', '.', '0', '7'};
  header.objectCount = 42;
  header.lastObjectId = 9000;
  EXPECT_EQ(HeaderText(header), "save version:1.07\nObject count: 42, last object id 9000\n");

  header.saveVersion = {0, 0, 0xFF, '\n'};
  header.objectCount = -3;
  header.lastObjectId = -2147483647 - 1;
  EXPECT_EQ(HeaderText(header), "save version:\0\0\xFF\n\nObject count: -3, last object id -2147483648\n"s);
}

TEST_F(CampaignReportTest, WholeSectionInBothVariants) {
  const std::string expected =
      "\n"
      "Orion\n"
      "=====\n"
      "A test\n"
      "\n"
      "Difficulty level: medium\n"
      "Starts in early era, year 2260 with map: map1.mvm\n"
      "Mid era starts in year 2270, late era starts in year 2280\n"
      "Current date is 2262.6\n"
      "\n"
      "Mission list (2)\n"
      "==================\n"
      "Met_10Patrol.scr\n"
      "Met_20Escort.scr\n"
      "Special campaign missions begin with Spc_01.scr starting at prestige 500\n"
      "\n"
      "Playable races:Federation,Orion,\n"
      "\n"
      "Accounts created: 3, of maximum 100\n"
      "Currently online: 1, of maximum 20\n"
      "\n"
      "Running version 2.5\n"
      "\n"
      "Single player campaign: captain Vance, Klingon, prestige 42\n"
      "   Unknown campaign variable: -7\n"
      "\n";
  EXPECT_EQ(CampaignText(SinglePlayerCampaign()), expected);

  // Only the race names differ in the Ostrel layout.
  UseOstrel();
  std::string ostrel = expected;
  ostrel.replace(ostrel.find("Federation,Orion,"), 17, "Federation,Orion cartel,");
  EXPECT_EQ(CampaignText(SinglePlayerCampaign()), ostrel);
}

TEST_F(CampaignReportTest, UnnamedMultiplayerCampaignWithoutCalendar) {
  tCampaignObject c;
  c.difficulty = 7;
  c.startEra = 1;
  c.baseYear = 2300;
  c.midEraStart = 4;
  c.lateEraStart = 9;
  c.currentTurn = 37;
  c.turnsPerYear = 0;  // no year arithmetic: the turn stands on its own
  c.playableRaces = {};
  EXPECT_EQ(CampaignText(c),
            "\n"
            "Campaign Information\n"
            "====================\n"
            "No description given\n"
            "\n"
            "Difficulty level: unknown (7)\n"
            "Start in middle era, year 2304 with map: unspecified\n"
            "Late era starts in year 2309\n"
            "Current date is 2300.37\n"
            "\n"
            "Mission list (0)\n"
            "==================\n"
            "No special campaign missions\n"
            "\n"
            "Playable races:\n"
            "\n"
            "Accounts created: 0, of maximum 0\n"
            "Currently online: 0, of maximum 0\n"
            "\n"
            "Running version \n"
            "\n"
            "   Unknown campaign variable: 0\n"
            "\n");
}

// Lines 6 and 7 of the section hold the calendar.
std::string CalendarLines(const tCampaignObject& c) {
  const std::string text = CampaignText(c);
  const size_t start = text.find("Difficulty level:");
  const size_t from = text.find('\n', start) + 1;
  return text.substr(from, text.find("\n\nMission list") - from);
}

TEST_F(CampaignReportTest, EraCalendarAndDateArithmetic) {
  tCampaignObject c;
  c.baseYear = 100;
  c.turnsPerYear = 12;
  c.currentTurn = 30;
  c.startEra = 2;
  c.lateEraStart = 7;
  c.lateEraMap = CountedString("late.mvm");
  EXPECT_EQ(CalendarLines(c), "Start in late era, year 107 with map: late.mvm\nCurrent date is 102.6");

  c.startEra = 5;
  EXPECT_EQ(CalendarLines(c), "Unspecified start era: 5\nCurrent date is 102.6");

  // Truncation toward zero: the remainder takes the turn's sign.
  c.currentTurn = -5;
  EXPECT_EQ(CalendarLines(c), "Unspecified start era: 5\nCurrent date is 100.-5");

  // Sums and quotients beyond 32 bits are printed exactly.
  c.startEra = 2;
  c.baseYear = 2147483647;
  c.lateEraStart = 2147483647;
  c.currentTurn = -2147483647 - 1;
  c.turnsPerYear = -1;
  EXPECT_EQ(CalendarLines(c), "Start in late era, year 4294967294 with map: late.mvm\nCurrent date is 4294967295.0");

  c.startEra = 0;
  c.baseYear = -2147483647 - 1;
  c.earlyEraStart = -2147483647 - 1;
  c.midEraStart = -1;
  c.lateEraStart = 0;
  c.earlyEraMap = CountedString("a\0b"s);
  EXPECT_EQ(CalendarLines(c), "Starts in early era, year -4294967296 with map: a\0b\n"
            "Mid era starts in year -2147483649, late era starts in year -2147483648\n"
            "Current date is 0.0"s);
}

}  // namespace
}  // namespace campdb
