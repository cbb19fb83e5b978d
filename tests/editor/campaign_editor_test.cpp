// The campaign menu, one scripted session per case on a freshly loaded
// campaign record. After every session both declared sizes count the bytes
// written, and the record read back from them ends where it did.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "editor_fixture.h"

namespace campdb::testing {
namespace {

using namespace std::string_literals;

testdb::Database Composed(const char* captain = "") {
  testdb::Database d;
  testdb::Campaign& c = d.campaign;
  c.campaignName = "Alpha";
  c.campaignNameCopy = "Alpha";
  c.description = "A long description";
  c.version = "2.5";
  c.versionCopy = "2.5";
  c.missions = {"Met_10Patrol.scr", "Met_20Escort.scr"};
  c.races = {0, 3, 5, 3};
  c.turnsPerYear = 0;
  c.specialTriggerPrestige = 0;
  c.captainName = captain;
  c.frame.tail = "tail";
  return d;
}

struct Case {
  const char* what;
  std::string script;
  // Gets the record before and after the session, and the session.
  std::function<void(const tCampaignObject& before, const tCampaignObject& after, const Script&)> check;
  testdb::Layout layout = testdb::Layout::Base;
  const char* captain = "";  // a single-player campaign's captain
};

const std::string kLeaving = "Leaving campaign modification menu";

const std::vector<Case> kCases = {
    {"numbers are read as integer constants",
     // 09 is octal 0 followed by a 9, which is then taken as the next
     // command; "nope" is no number and is read again.
     "Y 010\ny 0x10\nY\n09\nd -2\nE 7 9\nA nope\n12\nQ\n",
     [](const tCampaignObject&, const tCampaignObject& c, const Script& s) {
       EXPECT_EQ(c.turnsPerYear, 0);
       EXPECT_EQ(c.difficulty, -2);
       EXPECT_EQ(c.midEraStart, 7);
       EXPECT_EQ(c.lateEraStart, 9);
       EXPECT_EQ(c.maxAccounts, 12);
       EXPECT_TRUE(s.Has("Enter the number of turns per year (currently:8)"));
       EXPECT_TRUE(s.Has("Enter the number of turns per year (currently:16)"));
       EXPECT_EQ(s.Count("Invalid command entered, please try again"), 1u);
       EXPECT_TRUE(s.Has("That is not a number, please try again"));
       EXPECT_EQ(s.LastLine(), kLeaving);
       EXPECT_EQ(s.Lines()[0], "");
       EXPECT_EQ(s.Lines()[1], "EDITING MAIN CAMPAIGN DETAILS");
     }},
    {"name, description and version",
     // The name is the line after the command; the description follows it
     // directly. A zero byte ends a version answer.
     "C ignored\nBravo123\n\nv\n3.0\0junk\nq\n"s,
     [](const tCampaignObject& before, const tCampaignObject& c, const Script& s) {
       EXPECT_EQ(c.campaignName, "Bravo123");
       EXPECT_EQ(c.campaignNameCopy, "Bravo123");
       EXPECT_TRUE(c.description.empty());
       EXPECT_EQ(c.version, "3.0");
       EXPECT_EQ(c.versionCopy, "3.0");
       EXPECT_EQ(c.head.declaredSize, before.head.declaredSize + 3 + 3 - 18);
       EXPECT_TRUE(s.Has("Enter the new campaign name (max 255 characters, currently:Alpha)"));
       EXPECT_TRUE(s.Has("Enter the new campaign description (max 255 characters, currently:A long description)"));
       EXPECT_TRUE(s.Has("Enter the new version number (currently:2.5)"));
     }},
    {"a long text answer is cut and the rest of its line dropped",
     // The 45 characters past the limit are not read as 45 commands.
     "T 500\n" + std::string(255, 'm') + std::string(45, 'x') + "\nQ\n",
     [](const tCampaignObject&, const tCampaignObject& c, const Script& s) {
       EXPECT_EQ(c.specialTriggerPrestige, 500);
       EXPECT_EQ(c.specialFirstMission, std::string(255, 'm'));
       EXPECT_FALSE(s.Has("Invalid command entered, please try again"));
       EXPECT_EQ(s.LastLine(), kLeaving);
       EXPECT_TRUE(s.Has("Enter the prestige level at which the special campaign missions will trigger (currently:0)"));
       EXPECT_EQ(s.err.str(), "campdb: note: answer cut to 255 characters; the rest of its line was dropped\n");
     }},
    {"race list",
     // Remove 3 (listed twice); add 5 (already there); an unknown answer
     // asks again; add 12, which the base legend does not show.
     "R 3 R\nr 5 a\nR 12 z A\nR 0 c\nQ\n",
     [](const tCampaignObject& before, const tCampaignObject& c, const Script& s) {
       EXPECT_EQ(c.playableRaces, (std::vector<int32_t>{0, 5, 12}));
       EXPECT_EQ(c.head.declaredSize, before.head.declaredSize - 8 + 4);
       EXPECT_FALSE(s.Has("8=Ori,9=Kor,10=Pri,11=Tig,12=Bea,13=Syn,14=Wyl,15=Cam"));
       EXPECT_EQ(s.Count("Enter A to add the race to the current list (make it playable)"), 5u);
     }},
    {"mission list",
     // Adding a listed name changes nothing; another letter case is
     // another name.
     "M\nMet_10Patrol.scr\nA\nM\nmet_10patrol.scr\na\nm\nMet_20Escort.scr\nR\nQ\n",
     [](const tCampaignObject& before, const tCampaignObject& c, const Script&) {
       EXPECT_EQ(c.missionList, (std::vector<Text>{"Met_10Patrol.scr", "met_10patrol.scr"}));
       EXPECT_EQ(c.head.declaredSize, before.head.declaredSize);  // one 16-byte name in, one out
     }},
    {"single-player captain in the Ostrel layout",
     // The captain name published for the run stays as it was read.
     "S 4 1200 n\ns 0x5 7 Y\nVance\nQ\n",
     [](const tCampaignObject&, const tCampaignObject& c, const Script& s) {
       EXPECT_EQ(c.captainRace, 5);
       EXPECT_EQ(c.captainPrestige, 7);
       EXPECT_EQ(c.captainName, "Vance");
       EXPECT_EQ(s.Count("NOTE: you muast also go to the character edit section and"), 2u);
       EXPECT_EQ(s.Count("Enter the new name (max 255 characters, currently:Old)"), 1u);
       EXPECT_TRUE(s.Has("8=Ori,9=Kor,10=Pri,11=Tig,12=Bea,13=Syn,14=Wyl,15=Cam"));
     },
     testdb::Layout::Ostrel, "Old"},
    {"end of input after the name: the description stays", "C\nNewName\n",
     [](const tCampaignObject&, const tCampaignObject& c, const Script& s) {
       EXPECT_EQ(c.campaignName, "NewName");
       EXPECT_EQ(c.description, "A long description");
       EXPECT_EQ(s.LastLine(), kEndNotice);
       EXPECT_TRUE(s.console.Ended());
     }},
};

TEST(CampaignEditorTest, Sessions) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    Loaded loaded(Composed(c.captain), c.layout);
    const Layout layout = loaded.db->layout;
    const tCampaignObject before = loaded.db->campaign;
    const CampaignFacts facts = loaded.db->facts;
    Script s(c.script);
    EditContext context = loaded.Context(s.console);
    EditCampaign(loaded.db->campaign, context);
    const tCampaignObject& after = loaded.db->campaign;
    c.check(before, after, s);
    EXPECT_LE(s.Count(kEndNotice), 1u);
    ExpectSizesTrue(after, layout);
    // The facts derived from the record as read are not derived again.
    EXPECT_EQ(loaded.db->facts.publishedCaptainName, facts.publishedCaptainName);
    EXPECT_EQ(loaded.db->facts.publishedCaptainName, c.captain);
    EXPECT_EQ(loaded.db->facts.currentEra, facts.currentEra);

    // Read back, the record ends where it did: its tail is intact.
    const std::string bytes = Written(after, layout);
    ByteReader in(testdb::Span(bytes));
    tCampaignObject back;
    ReadRecord(in, back, ReadContext{layout, nullptr, &loaded.db->store});
    EXPECT_EQ(back.campaignNameCopy, after.campaignNameCopy);
    EXPECT_EQ(back.versionCopy, after.versionCopy);
    EXPECT_EQ(back.tail, "tail");
    EXPECT_EQ(in.Remaining(), 0u);
  }
}

// Wherever the input ends, the editor stops there: one notice, no quit
// line, no list changed.
TEST(CampaignEditorTest, EndOfInputStopsTheEditorAtOnce) {
  for (const char* script : {"", "R 3\n", "R 3 x y", "D", "M\n", "S 1 2", "S 1 2 y", "Y 1\n", "C\n", "T 5"}) {
    SCOPED_TRACE(script);
    Loaded loaded(Composed());
    Script s(script);
    EditContext context = loaded.Context(s.console);
    EditCampaign(loaded.db->campaign, context);
    EXPECT_EQ(s.LastLine(), kEndNotice);
    EXPECT_EQ(s.Count(kEndNotice), 1u);
    EXPECT_EQ(loaded.db->campaign.playableRaces.size(), 4u);
    EXPECT_FALSE(s.Has(kLeaving));
    EXPECT_FALSE(s.Has("NOTE: you muast also go to the character edit section and"));
    ExpectSizesTrue(loaded.db->campaign);
  }
}

}  // namespace
}  // namespace campdb::testing
