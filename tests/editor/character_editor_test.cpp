#include <gtest/gtest.h>

#include "editor_session.h"
#include "format/character.h"
#include "format/run_settings.h"

namespace campdb {
namespace {

using testing::EditorSession;
using testing::ExpectSizesTrue;
using testing::kEndNotice;

tServCharacter Character(bool ai) {
  tServCharacter c;
  c.isAI = ai;
  c.characterName = CountedString("Vance");
  c.email = CountedString(ai ? "" : "v@example.org");
  c.ships.resize(1);
  c.ships[0].shipName = CountedString("Dauntless");
  c.tail = "xyz";
  c.declaredSize = c.declaredSize2 = static_cast<int32_t>(c.ContentSize());
  return c;
}

// Calls Edit the way the edit menu does, until it returns true.
int EditUntilDone(tServCharacter& c, EditorSession& s) {
  int passes = 0;
  while (passes < 100) {
    ++passes;
    if (c.Edit(s.console)) break;
  }
  return passes;
}

TEST(CharacterEditorTest, NumbersRaceAndRank) {
  ResetRunSettings();
  auto c = Character(false);
  EditorSession s("h 010 0x1F\nR 3\n7 9\ng 1500 p -4 l 99 k 6 w S trailing");
  EXPECT_EQ(EditUntilDone(c, s), 8);
  EXPECT_EQ(c.hexRow, 8);
  EXPECT_EQ(c.hexColumn, 31);
  EXPECT_EQ(c.race, 3);
  EXPECT_EQ(c.race2, 3);
  EXPECT_EQ(c.homeworldRow, 7);
  EXPECT_EQ(c.homeworldColumn, 9);
  EXPECT_EQ(c.glicko, 1500);
  EXPECT_EQ(c.prestige, -4);
  EXPECT_EQ(c.lifetimePrestige, 99);
  EXPECT_EQ(c.rank, 6);
  EXPECT_TRUE(s.Has("Enter the new row number (currently:0)"));
  EXPECT_TRUE(s.Has("Enter their new race (currently:0)"));
  EXPECT_FALSE(s.Has("8=Ori,9=Kor,10=Pri,11=Tig,12=Bea,13=Syn,14=Wyl,15=Cam"));
  EXPECT_TRUE(s.Has("(Remember to edit their ship(s) to change the race there also)"));
  EXPECT_EQ(s.Count("Invalid command entered, please try again"), 1u);
  EXPECT_EQ(s.Lines().back(), "Ending character modification, moving on to ship modification");
  EXPECT_FALSE(s.console.Ended());

  campdb::Run().variant = Variant::Ostrel;
  EditorSession o("R 12 1 1 S");
  EditUntilDone(c, o);
  EXPECT_TRUE(o.Has("8=Ori,9=Kor,10=Pri,11=Tig,12=Bea,13=Syn,14=Wyl,15=Cam"));
  EXPECT_EQ(c.race2, 12);
}

TEST(CharacterEditorTest, NameAndEmailKeepTheDeclaredSizeTrue) {
  ResetRunSettings();
  auto c = Character(false);
  const int32_t before = c.declaredSize;
  const size_t writtenBefore = testing::WrittenBytes(c).size();
  // Text after the command letter is the first of the two reads; zero bytes
  // in the answer are kept.
  EditorSession s(std::string("n ignored\nVance Junior\nE\na\0b\nS\n", 31));
  EXPECT_EQ(EditUntilDone(c, s), 3);
  EXPECT_EQ(c.characterName.bytes, "Vance Junior");
  EXPECT_EQ(c.email.bytes, std::string("a\0b", 3));
  EXPECT_EQ(c.declaredSize, before + 7 - 10);
  EXPECT_EQ(c.declaredSize2, c.declaredSize);
  EXPECT_EQ(testing::WrittenBytes(c).size(), writtenBefore - 3);
  ExpectSizesTrue(c);
  EXPECT_TRUE(s.Has("Enter their new character name (currently:Vance)"));
  EXPECT_TRUE(s.Has("Enter their new email address (currently:v@example.org)"));

  // Read back after the framing's size words and tag, the record ends where
  // it did: its tail is intact.
  const std::string body = testing::WrittenBytes(c).substr(8 + 4 + 20);
  ByteReader in = testing::ReaderOver(body);
  const tServCharacter back(in, c.declaredSize);
  EXPECT_FALSE(back.isAI);
  EXPECT_EQ(back.email, c.email);
  EXPECT_EQ(back.tail, "xyz");
  EXPECT_EQ(in.Remaining(), 0u);

  // A name longer than 254 characters is cut; the rest of its line goes
  // with it and is never read as a command.
  EditorSession l("N\n" + std::string(254, 'a') + "q\nS\n");
  EXPECT_EQ(EditUntilDone(c, l), 2);
  EXPECT_EQ(c.characterName.Length(), 254);
  EXPECT_EQ(l.Count("Invalid command entered, please try again"), 0u);
  ExpectSizesTrue(c);
}

TEST(CharacterEditorTest, AnAICharacterHasNoEmailToChange) {
  ResetRunSettings();
  auto c = Character(true);
  const std::string bytes = testing::WrittenBytes(c);
  EditorSession s("E\nx\nS\n");
  EXPECT_EQ(EditUntilDone(c, s), 3);  // the next line is read as a command
  EXPECT_TRUE(s.Has("This character is an AI player and has no email address"));
  EXPECT_FALSE(s.Has("Enter their new email address (currently:)"));
  EXPECT_EQ(s.Count("Invalid command entered, please try again"), 1u);
  EXPECT_TRUE(c.email.Empty());
  EXPECT_EQ(testing::WrittenBytes(c), bytes);
}

TEST(CharacterEditorTest, EndOfInputEndsTheCallersLoop) {
  ResetRunSettings();
  for (const char* script : {"", "G", "H 5", "R 3", "N\n", "K\n", "x"}) {
    auto c = Character(false);
    EditorSession s(script);
    const int passes = EditUntilDone(c, s);
    EXPECT_LE(passes, 2) << script;
    EXPECT_EQ(s.Lines().back(), kEndNotice) << script;
    EXPECT_EQ(s.Count(kEndNotice), 1u) << script;
    EXPECT_EQ(c.characterName.bytes, "Vance") << script;
    EXPECT_EQ(c.homeworldRow, 0) << script;
    EXPECT_FALSE(s.Has("(Remember to edit their ship(s) to change the race there also)")) << script;
  }
}

}  // namespace
}  // namespace campdb
