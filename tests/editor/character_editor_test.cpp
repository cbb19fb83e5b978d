// The character menu, called the way the edit menu calls it: one command a
// pass, again until a pass returns true.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "editor_fixture.h"

namespace campdb::testing {
namespace {

using namespace std::string_literals;

// A human player (or an AI character, without the human section) named
// Vance with one ship entry and a tail, in a multiplayer campaign.
testdb::Database Composed(bool ai) {
  testdb::Character c;
  c.characterName = "Vance";
  c.human->email = "v@example.org";
  c.human->homeworldRow = 0;
  c.race = c.race2 = 0;
  c.hexRow = c.hexColumn = 0;
  c.ships.resize(1);
  c.ships[0].shipName = "Dauntless";
  c.frame.tail = "xyz";
  if (ai) c.human.reset();
  testdb::Database d;
  d.Add(c);
  return d;
}

// Calls the editor until it returns true; the number of passes.
int EditUntilDone(tServCharacter& character, EditContext& context) {
  int passes = 0;
  while (passes < 100) {
    ++passes;
    if (EditCharacter(character, context)) break;
  }
  return passes;
}

struct Case {
  const char* what;
  std::string script;
  int passes;
  std::function<void(const tServCharacter& before, const tServCharacter& after, const Script&)> check;
  bool ai = false;
  testdb::Layout layout = testdb::Layout::Base;
};

const std::string kInvalid = "Invalid command entered, please try again";

const std::vector<Case> kCases = {
    {"numbers, race and rank", "h 010 0x1F\nR 3\n7 9\ng 1500 p -4 l 99 k 6 w S trailing", 8,
     [](const tServCharacter&, const tServCharacter& c, const Script& s) {
       EXPECT_EQ(c.hexRow, 8);
       EXPECT_EQ(c.hexColumn, 31);
       EXPECT_EQ(c.race, 3);
       EXPECT_EQ(c.race2, 3);
       EXPECT_EQ(c.human.homeworldRow, 7);  // row first
       EXPECT_EQ(c.human.homeworldColumn, 9);
       EXPECT_EQ(c.glicko, 1500);
       EXPECT_EQ(c.prestige, -4);
       EXPECT_EQ(c.lifetimePrestige, 99);
       EXPECT_EQ(c.rank, 6);
       EXPECT_TRUE(s.Has("Enter the new row number (currently:0)"));
       EXPECT_TRUE(s.Has("Enter their new race (currently:0)"));
       EXPECT_TRUE(s.Has("0=Ensn,1=Lt,2=LtCmdr,3=Capt,4=Comm,5=R.Adm,6=Adm,7=Flt.Adm"));
       EXPECT_FALSE(s.Has("8=Ori,9=Kor,10=Pri,11=Tig,12=Bea,13=Syn,14=Wyl,15=Cam"));
       EXPECT_TRUE(s.Has("(Remember to edit their ship(s) to change the race there also)"));
       EXPECT_EQ(s.Count(kInvalid), 1u);
       EXPECT_EQ(s.LastLine(), "Ending character modification, moving on to ship modification");
       EXPECT_FALSE(s.console.Ended());
     }},
    {"race in the Ostrel layout", "R 12 1 1 S", 2,
     [](const tServCharacter&, const tServCharacter& c, const Script& s) {
       EXPECT_TRUE(s.Has("8=Ori,9=Kor,10=Pri,11=Tig,12=Bea,13=Syn,14=Wyl,15=Cam"));
       EXPECT_EQ(c.race2, 12);
     },
     false, testdb::Layout::Ostrel},
    {"name and e-mail address",
     // Text after the command letter is passed over; zero bytes in the
     // answer are kept.
     "n ignored\nVance Junior\nE\na\0b\nS\n"s, 3,
     [](const tServCharacter& before, const tServCharacter& c, const Script& s) {
       EXPECT_EQ(c.characterName, "Vance Junior");
       EXPECT_EQ(c.human.email, "a\0b"s);
       EXPECT_EQ(c.head.declaredSize, before.head.declaredSize + 7 - 10);
       EXPECT_EQ(Written(c).size(), Written(before).size() - 3);
       EXPECT_TRUE(s.Has("Enter their new character name (currently:Vance)"));
       EXPECT_TRUE(s.Has("Enter their new email address (currently:v@example.org)"));
     }},
    {"a name longer than 254 characters is cut; the rest of its line goes with it",
     "N\n" + std::string(254, 'a') + "q\nS\n", 2,
     [](const tServCharacter&, const tServCharacter& c, const Script& s) {
       EXPECT_EQ(c.characterName, std::string(254, 'a'));
       EXPECT_EQ(s.Count(kInvalid), 0u);
     }},
    {"an AI character has no e-mail address to change",
     // The line after E is read as the next command.
     "E\nx\nS\n", 3,
     [](const tServCharacter& before, const tServCharacter& c, const Script& s) {
       EXPECT_TRUE(s.Has("This character is an AI player and has no email address"));
       EXPECT_FALSE(s.Shows("Enter their new email address"));
       EXPECT_EQ(s.Count(kInvalid), 1u);
       EXPECT_EQ(Written(c), Written(before));
     },
     true},
};

TEST(CharacterEditorTest, Sessions) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    Loaded loaded(Composed(c.ai), c.layout);
    tServCharacter& character = loaded.Object<tServCharacter>(0);
    ASSERT_EQ(character.isAI(), c.ai);
    const tServCharacter before = character;
    Script s(c.script);
    EditContext context = loaded.Context(s.console);
    EXPECT_EQ(EditUntilDone(character, context), c.passes);
    c.check(before, character, s);
    ExpectSizesTrue(character);

    // Read back through the framing, the record ends where it did: the
    // human section is found again and the tail is intact.
    const std::string written = Written(character);  // the read texts lie in it
    const MiscObject back = testdb::ReadOneObject(written);
    const auto& read = std::get<tServCharacter>(back);
    EXPECT_EQ(read.isAI(), c.ai);
    EXPECT_EQ(read.human.email, character.human.email);
    EXPECT_EQ(read.tail, "xyz");
  }
}

// The end of input ends the caller's loop at once, changing nothing more.
TEST(CharacterEditorTest, EndOfInputEndsTheCallersLoop) {
  for (const char* script : {"", "G", "H 5", "R 3", "N\n", "K\n", "x"}) {
    SCOPED_TRACE(script);
    Loaded loaded(Composed(false));
    tServCharacter& character = loaded.Object<tServCharacter>(0);
    Script s(script);
    EditContext context = loaded.Context(s.console);
    EXPECT_LE(EditUntilDone(character, context), 2);
    EXPECT_EQ(s.LastLine(), kEndNotice);
    EXPECT_EQ(s.Count(kEndNotice), 1u);
    EXPECT_EQ(character.characterName, "Vance");
    EXPECT_EQ(character.human.homeworldRow, 0);
    EXPECT_FALSE(s.Has("(Remember to edit their ship(s) to change the race there also)"));
  }
}

}  // namespace
}  // namespace campdb::testing
