#include <gtest/gtest.h>

#include "editor_session.h"
#include "format/campaign.h"
#include "format/run_settings.h"

namespace campdb {
namespace {

using testing::EditorSession;
using testing::ExpectSizesTrue;
using testing::kEndNotice;

class CampaignEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetRunSettings();
    c.classTag = CountedString(".?AVtCampaignObject@@");
    c.campaignName = CountedString("Alpha");
    c.campaignNameCopy = CountedString("Alpha");
    c.description = CountedString("A long description");
    c.version = CountedString("2.5");
    c.versionCopy = CountedString("2.5");
    c.missionList = {CountedString("Met_10Patrol.scr"), CountedString("Met_20Escort.scr")};
    c.playableRaces = {0, 3, 5, 3};
    c.tail = "tail";
    c.declaredSize = c.declaredSize2 = static_cast<int32_t>(c.ContentSize());
  }

  tCampaignObject c;
};

TEST_F(CampaignEditorTest, NumbersAreReadAsIntegerConstants) {
  // 09 is octal 0 followed by a 9, which is then taken as the next command.
  EditorSession s("Y 010\ny 0x10\nY\n09\nd -2\nE 7 9\nA nope\n12\nQ\n");
  c.Edit(s.console);
  EXPECT_EQ(c.turnsPerYear, 0);
  EXPECT_EQ(c.difficulty, -2);
  EXPECT_EQ(c.midEraStart, 7);
  EXPECT_EQ(c.lateEraStart, 9);
  EXPECT_EQ(c.maxAccounts, 12);
  EXPECT_TRUE(s.Has("Enter the number of turns per year (currently:8)"));
  EXPECT_TRUE(s.Has("Enter the number of turns per year (currently:16)"));
  EXPECT_EQ(s.Count("Invalid command entered, please try again"), 1u);
  EXPECT_TRUE(s.Has("That is not a number, please try again"));
  EXPECT_EQ(s.Lines().back(), "Leaving campaign modification menu");
  EXPECT_EQ(s.Lines()[0], "");
  EXPECT_EQ(s.Lines()[1], "EDITING MAIN CAMPAIGN DETAILS");
}

TEST_F(CampaignEditorTest, NameDescriptionAndVersionKeepSizesTrue) {
  const int32_t before = c.declaredSize;
  // The name answer is the line after the command; the description follows
  // it directly. A zero byte ends a version answer.
  EditorSession s(std::string("C ignored\nBravo123\n\nv\n3.0\0junk\nq\n", 33));
  c.Edit(s.console);
  EXPECT_EQ(c.campaignName.bytes, "Bravo123");
  EXPECT_EQ(c.campaignNameCopy.bytes, "Bravo123");
  EXPECT_TRUE(c.description.Empty());
  EXPECT_EQ(c.version.bytes, "3.0");
  EXPECT_EQ(c.versionCopy.bytes, "3.0");
  EXPECT_EQ(c.declaredSize, before + 6 - 18);
  EXPECT_EQ(c.declaredSize2, c.declaredSize);
  ExpectSizesTrue(c);
  EXPECT_TRUE(s.Has("Enter the new campaign name (max 255 characters, currently:Alpha)"));
  EXPECT_TRUE(s.Has("Enter the new campaign description (max 255 characters, currently:A long description)"));
  EXPECT_TRUE(s.Has("Enter the new version number (currently:2.5)"));

  // Read back, the record ends where it did: its tail is intact.
  const std::string bytes = testing::WrittenBytes(c);
  ByteReader in = testing::ReaderOver(bytes);
  const tCampaignObject back(in);
  EXPECT_EQ(back.campaignNameCopy.bytes, "Bravo123");
  EXPECT_EQ(back.versionCopy.bytes, "3.0");
  EXPECT_EQ(back.tail, "tail");
  EXPECT_EQ(in.Remaining(), 0u);
}

// The 45 characters past the limit are dropped with the rest of their line,
// not read as 45 commands.
TEST_F(CampaignEditorTest, LongTextAnswerIsCutAndTheRestOfItsLineDropped) {
  EditorSession s("T 500\n" + std::string(255, 'm') + std::string(45, 'x') + "\nQ\n");
  c.Edit(s.console);
  EXPECT_EQ(c.specialTriggerPrestige, 500);
  EXPECT_EQ(c.specialFirstMission.bytes, std::string(255, 'm'));
  EXPECT_FALSE(s.Has("Invalid command entered, please try again"));
  EXPECT_EQ(s.Lines().back(), "Leaving campaign modification menu");
  EXPECT_TRUE(s.Has("Enter the prestige level at which the special campaign missions will trigger (currently:0)"));
  ExpectSizesTrue(c);
}

TEST_F(CampaignEditorTest, RaceAndMissionLists) {
  const int32_t before = c.declaredSize;
  // Remove 3 (listed twice); add 5 (already there); an unknown answer asks
  // again; add 12, not shown in the base legend.
  EditorSession s("R 3 R\nr 5 a\nR 12 z A\nR 0 c\nQ\n");
  c.Edit(s.console);
  EXPECT_EQ(c.playableRaces, (std::vector<int32_t>{0, 5, 12}));
  EXPECT_EQ(c.declaredSize, before - 8 + 4);
  EXPECT_FALSE(s.Has("8=Ori,9=Kor,10=Pri,11=Tig,12=Bea,13=Syn,14=Wyl,15=Cam"));
  EXPECT_EQ(s.Count("Enter A to add the race to the current list (make it playable)"), 5u);
  ExpectSizesTrue(c);

  const int32_t beforeMissions = c.declaredSize;
  EditorSession m("M\nMet_10Patrol.scr\nA\nM\nmet_10patrol.scr\na\nm\nMet_20Escort.scr\nR\nQ\n");
  c.Edit(m.console);
  ASSERT_EQ(c.missionList.size(), 2u);
  EXPECT_EQ(c.missionList[0].bytes, "Met_10Patrol.scr");
  EXPECT_EQ(c.missionList[1].bytes, "met_10patrol.scr");
  EXPECT_EQ(c.declaredSize, beforeMissions);  // one 16-byte name in, one out
  ExpectSizesTrue(c);
}

TEST_F(CampaignEditorTest, CaptainDialogue) {
  campdb::Run().variant = Variant::Ostrel;
  campdb::Run().publishedCaptainName = "Old";
  c.declaredSize = c.declaredSize2 = static_cast<int32_t>(c.ContentSize());  // Ostrel layout
  EditorSession s("S 4 1200 n\ns 0x5 7 Y\nVance\nQ\n");
  c.Edit(s.console);
  EXPECT_EQ(c.captainRace, 5);
  EXPECT_EQ(c.captainPrestige, 7);
  EXPECT_EQ(c.captainName.bytes, "Vance");
  EXPECT_EQ(*campdb::Run().publishedCaptainName, "Old");
  EXPECT_EQ(s.Count("NOTE: you muast also go to the character edit section and"), 2u);
  EXPECT_EQ(s.Count("Enter the new name (max 255 characters, currently:)"), 1u);
  EXPECT_TRUE(s.Has("8=Ori,9=Kor,10=Pri,11=Tig,12=Bea,13=Syn,14=Wyl,15=Cam"));
  ExpectSizesTrue(c);
}

TEST_F(CampaignEditorTest, EndOfInputStopsTheEditorAtOnce) {
  {
    // Ends after the name: the name is changed, the description is not.
    EditorSession s("C\nNewName\n");
    c.Edit(s.console);
    EXPECT_EQ(c.campaignName.bytes, "NewName");
    EXPECT_EQ(c.description.bytes, "A long description");
    EXPECT_EQ(s.Lines().back(), kEndNotice);
    EXPECT_EQ(s.Count(kEndNotice), 1u);
    EXPECT_TRUE(s.console.Ended());
    ExpectSizesTrue(c);
  }
  for (const char* script : {"R 3\n", "R 3 x y", "D", "M\n", "S 1 2", "Y 1\n"}) {
    SetUp();
    EditorSession s(script);
    c.Edit(s.console);
    EXPECT_EQ(s.Lines().back(), kEndNotice) << script;
    EXPECT_EQ(s.Count(kEndNotice), 1u) << script;
    EXPECT_EQ(c.playableRaces.size(), 4u) << script;
    EXPECT_FALSE(s.Has("Leaving campaign modification menu")) << script;
  }
}

}  // namespace
}  // namespace campdb
