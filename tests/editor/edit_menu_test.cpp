#include "editor/edit_menu.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "editor/ship_fixture.h"
#include "format/run_settings.h"

namespace campdb::testing {
namespace {

const std::string kDisclaimer =
    "=================================================\n"
    " DISCLAIMER: there is litte / no error checking,\n"
    "   and there is no UNDO facility for the editor,\n"
    "   so MAKE BACKUPS BEFORE EDITING and BE CAREFUL!\n"
    "=================================================\n";
const std::string kMainMenu =
    "\n"
    "============== MAIN EDIT MENU ==============\n"
    "Enter Q to quit\n"
    "   or P to edit a player's statistics or ship\n"
    "   or T to edit the political tensions\n"
    "   or M to edit the map\n"
    "   or C to edit other campaign data\n"
    "   or S to edit a ship in the shipyards\n"
    "choice>\n";
const std::string kShipQuestion = "\n\nDo you wish to edit the player's ship(s)? (Y or N)\n";
const std::string kEndNotice = "End of input, leaving the editor\n";

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}
bool Contains(const std::string& text, const std::string& part) { return Count(text, part) > 0; }

std::unique_ptr<tServCharacter> MakeCharacter(int32_t id, const std::string& name, std::vector<int32_t> shipIds) {
  auto character = std::make_unique<tServCharacter>();
  character->isAI = true;
  character->objectId = id;
  character->characterName.bytes = name;
  character->race = 1;
  character->race2 = 1;
  for (int32_t shipId : shipIds) {
    CharacterShipEntry entry;
    entry.shipId = shipId;
    entry.bpv = 125;
    entry.hullClass = 7;
    entry.shipType.bytes = "F-CA";
    entry.shipName.bytes = "Fury";
    character->ships.push_back(entry);
  }
  character->declaredSize = static_cast<int32_t>(character->ContentSize());
  character->declaredSize2 = character->declaredSize;
  return character;
}

// Characters Vanessa (10), Van (20) and Bob (30); Vanessa owns ships 100 and
// 101 and an entry for a ship that is not in the list; Bob owns four ships.
// Ship 104 lies in the shipyard.
Database MakeDatabase() {
  Database db;
  auto addCharacter = [&db](std::unique_ptr<tServCharacter> character) {
    sMiscObject& slot = db.slots.emplace_back();
    slot.kind = ObjectKind::Character;
    slot.character = std::move(character);
  };
  addCharacter(MakeCharacter(10, "Vanessa", {100, 101, 999}));
  addCharacter(MakeCharacter(20, "Van", {}));
  addCharacter(MakeCharacter(30, "Bob", {100, 101, 102, 103}));
  for (int32_t id = 100; id <= 104; ++id) {
    ShipSpec spec;
    spec.objectId = id;
    spec.captainId = id == 104 ? 0 : 10;
    sMiscObject& slot = db.slots.emplace_back();
    slot.kind = ObjectKind::Ship;
    slot.ship = ReadShip(ShipBytes(spec));
  }
  db.loadedCount = static_cast<int64_t>(db.slots.size());
  db.capacity = db.loadedCount;
  db.deleteFlags.assign(db.slots.size(), 0);
  return db;
}

tServCharacter& CharacterAt(Database& db, size_t index) { return *db.slots[index].character; }
tShip& ShipWithId(Database& db, int32_t id) { return *db.slots[static_cast<size_t>(3 + id - 100)].ship; }

class EditMenuTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetRunSettings(); }
  void TearDown() override { ResetRunSettings(); }
};

TEST_F(EditMenuTest, MainMenuDispatchesAndShowsItselfAgain) {
  Database db = MakeDatabase();
  Script s("o\nx q\n");
  EditMenu(db, s.console);
  EXPECT_EQ(s.Transcript(), kDisclaimer + kMainMenu + kMainMenu + "Invalid command (x)\n" + kMainMenu);
  EXPECT_FALSE(s.console.Ended());

  Script vessel("s 0x68\nb\n77\nq\nS\n999\nS abc\n0146 Q\nq\n");
  EditMenu(db, vessel.console);
  const std::string out = vessel.Transcript();
  EXPECT_EQ(ShipWithId(db, 104).bpv, 77);
  EXPECT_EQ(Count(out, "\n === NOW EDITING SHIPYARD VESSEL ===\n"), 3u);
  EXPECT_TRUE(Contains(out, "ERROR: unable to find shipyard vessel with id 999\n"));
  EXPECT_TRUE(Contains(out, "That is not a number, please try again\n"));
  EXPECT_FALSE(Contains(out, "with id 102\n"));  // octal 0146 names ship 102
  EXPECT_FALSE(ShipWithId(db, 102).modified);     // quit at once
  EXPECT_TRUE(out.ends_with(kMainMenu));
  for (uint8_t flag : db.deleteFlags) EXPECT_EQ(flag, 0);

  // An empty database: the other editors are reached and return at once.
  Database empty;
  Script none("p\nM\nt\nC Q\nq\n");
  EditMenu(empty, none.console);
  const std::string lines = none.Transcript();
  EXPECT_TRUE(lines.starts_with(kDisclaimer + kMainMenu + "UNABLE TO EDIT PLAYER DATABASE\n" + kMainMenu));
  EXPECT_TRUE(Contains(lines, "Bad map construction, unable to edit\n" + kMainMenu));
  EXPECT_TRUE(Contains(lines, "The tension matrix is empty, nothing to edit\n" + kMainMenu));
  EXPECT_TRUE(Contains(lines, "EDITING MAIN CAMPAIGN DETAILS\n"));
  EXPECT_TRUE(Contains(lines, "Leaving campaign modification menu\n" + kMainMenu));
  EXPECT_TRUE(lines.ends_with(kMainMenu));
  EXPECT_FALSE(none.console.Ended());
}

TEST_F(EditMenuTest, PlayerNameSelectsTheFirstCharacterItBegins) {
  Database db = MakeDatabase();
  sMiscObject* found = FindCharacterByName(db.slots, db.loadedCount, "Va");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->character->objectId, 10);
  EXPECT_EQ(FindCharacterByName(db.slots, db.loadedCount, "")->character->objectId, 10);
  EXPECT_EQ(FindCharacterByName(db.slots, db.loadedCount, "Bob")->character->objectId, 30);
  EXPECT_EQ(FindCharacterByName(db.slots, db.loadedCount, "Bobby"), nullptr);  // longer than the name
  EXPECT_EQ(FindCharacterByName(db.slots, db.loadedCount, "van"), nullptr);
  EXPECT_EQ(FindCharacterByName(db.slots, 0, "Va"), nullptr);

  // The rest of the menu line is discarded; the name is the next line.
  Script s("P Bob\nVa\ng\n1500\nS\nx\nn\nP\nZed\nq\n");
  EditMenu(db, s.console);
  EXPECT_EQ(CharacterAt(db, 0).glicko, 1500);
  EXPECT_EQ(CharacterAt(db, 2).glicko, 0);
  const std::string out = s.Transcript();
  EXPECT_TRUE(Contains(out, kMainMenu +
                                "\nEDITING THE PLAYER DATABASE\n"
                                "Enter the player name for the character to be modified\n"));
  EXPECT_TRUE(Contains(out, kShipQuestion + "Invalid choice entered: x\n" + kShipQuestion + kMainMenu));
  EXPECT_TRUE(Contains(out, "UNABLE TO FIND SPECIFIED CHARACTER IN THE DATABASE\n" + kMainMenu));
  EXPECT_FALSE(Contains(out, "=== Editing ship"));
  EXPECT_EQ(ShipWithId(db, 100).race, 1);  // N and the same race: ships untouched
}

TEST_F(EditMenuTest, RaceChangeReachesUpToThreeShipsWithoutEditingThem) {
  Database db = MakeDatabase();
  Script s("p\nVanessa\nR\n4\n3\n5\ns\nN\np\nBob\nr 6 1 1\ns\nn\nq\n");
  EditMenu(db, s.console);
  EXPECT_EQ(CharacterAt(db, 0).race, 4);
  EXPECT_EQ(ShipWithId(db, 100).race, 4);  // Vanessa's ships; 999 is skipped
  EXPECT_EQ(ShipWithId(db, 101).race, 4);
  EXPECT_EQ(CharacterAt(db, 2).race, 6);   // Bob has four ships: none follows
  EXPECT_EQ(ShipWithId(db, 102).race, 1);
  EXPECT_EQ(ShipWithId(db, 103).race, 1);
  EXPECT_FALSE(ShipWithId(db, 100).modified);
  EXPECT_FALSE(Contains(s.Transcript(), "=== NOW EDITING CHARACTERS SHIP(S) ==="));
  EXPECT_FALSE(Contains(s.Transcript(), "=== Editing ship"));
}

TEST_F(EditMenuTest, ChangedShipIsCopiedIntoTheCharactersEntry) {
  Database db = MakeDatabase();
  tServCharacter& vanessa = CharacterAt(db, 0);
  const int32_t sizeBefore = vanessa.declaredSize;
  // Ship 100 gets a longer name and a new BPV; ship 101 is left as it was.
  Script s("p\nVan\nS\ny\nn\nFury Rising\nB\n150\nq\nq\nq\n");
  EditMenu(db, s.console);
  const std::string out = s.Transcript();
  EXPECT_TRUE(Contains(out, kShipQuestion + "\n === NOW EDITING CHARACTERS SHIP(S) ===\n\n === Editing ship 1 ===\n"));
  EXPECT_TRUE(Contains(out, "\n === Editing ship 2 ===\n"));
  EXPECT_TRUE(Contains(out, "\n === Editing ship 3 ===\n" + kMainMenu));  // no ship 999

  const CharacterShipEntry& first = vanessa.ships[0];
  EXPECT_EQ(first.shipName.bytes, "Fury Rising");
  EXPECT_EQ(first.bpv, 150);
  EXPECT_EQ(first.shipId, 100);
  EXPECT_EQ(vanessa.ships[1].shipName.bytes, "Fury");
  EXPECT_EQ(vanessa.declaredSize, sizeBefore + 7);
  EXPECT_EQ(vanessa.declaredSize2, vanessa.declaredSize);
  EXPECT_EQ(vanessa.declaredSize, vanessa.ContentSize());
  ByteWriter written;
  vanessa.Write(written);
  EXPECT_EQ(written.Buffer().size(), 8u + static_cast<size_t>(vanessa.declaredSize));
}

TEST_F(EditMenuTest, EndOfInputStopsEditingWhereItIs) {
  Database db = MakeDatabase();
  tServCharacter& vanessa = CharacterAt(db, 0);
  const int32_t sizeBefore = vanessa.declaredSize;
  // Race 5, then ship 1 is renamed and the input ends at its next command:
  // no copy into the entry, and ship 2 neither gets the race nor a banner.
  Script s("P\nVa\nR\n5\n1\n1\nS\nY\nN\nRenamed\n");
  EditMenu(db, s.console);
  const std::string out = s.Transcript();
  EXPECT_EQ(ShipWithId(db, 100).shipName.bytes, "Renamed");
  EXPECT_EQ(ShipWithId(db, 100).race, 5);
  EXPECT_EQ(vanessa.ships[0].shipName.bytes, "Fury");
  EXPECT_EQ(vanessa.declaredSize, sizeBefore);
  EXPECT_EQ(ShipWithId(db, 101).race, 1);
  EXPECT_EQ(Count(out, kEndNotice), 1u);
  EXPECT_TRUE(out.ends_with("   or Q to quit editing this ship\n" + kEndNotice));
  EXPECT_FALSE(Contains(out, "=== Editing ship 2 ==="));

  // The end met by the character editor ends the menu as well.
  Script menuEnd("p\nVa\n");
  EditMenu(db, menuEnd.console);
  EXPECT_TRUE(menuEnd.Transcript().ends_with(kEndNotice));
  EXPECT_FALSE(Contains(menuEnd.Transcript(), kShipQuestion));

  // The notice is armed only while the menu runs.
  Script quit("q\n");
  EditMenu(db, quit.console);
  EXPECT_EQ(quit.console.ReadAnswerChar(), std::nullopt);
  EXPECT_TRUE(quit.Transcript().ends_with(kMainMenu));
}

}  // namespace
}  // namespace campdb::testing
