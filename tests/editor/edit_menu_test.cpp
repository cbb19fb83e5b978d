#include "editor/edit_menu.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/ship_fixture.h"
#include "format/run_settings.h"

namespace campdb::testing {
namespace {

const std::string kMainMenu =
    "\n============== MAIN EDIT MENU ==============\nEnter Q to quit\n"
    "   or P to edit a player's statistics or ship\n   or T to edit the political tensions\n"
    "   or M to edit the map\n   or C to edit other campaign data\n   or S to edit a ship in the shipyards\n"
    "choice>\n";
const std::string kShipQuestion = "\n\nDo you wish to edit the player's ship(s)? (Y or N)\n";
const std::string kEndNotice = "End of input, leaving the editor\n";

// Characters Vanessa (10), Van (20) and Bob (30), then ships 100 to 104.
// Vanessa owns ships 100 and 101 and an entry naming no ship; Bob owns four.
Database MakeDatabase() {
  Database db;
  const std::vector<std::pair<std::string, std::vector<int32_t>>> characters = {
      {"Vanessa", {100, 101, 999}}, {"Van", {}}, {"Bob", {100, 101, 102, 103}}};
  int32_t id = 10;
  for (const auto& [name, shipIds] : characters) {
    auto character = std::make_unique<tServCharacter>();
    character->isAI = true;
    character->objectId = id;
    id += 10;
    character->characterName.bytes = name;
    character->race = 1;
    for (int32_t shipId : shipIds) {
      CharacterShipEntry& entry = character->ships.emplace_back();
      entry.shipId = shipId;
      entry.shipType.bytes = "F-CA";
      entry.shipName.bytes = "Fury";
    }
    character->declaredSize = character->declaredSize2 = static_cast<int32_t>(character->ContentSize());
    sMiscObject& slot = db.slots.emplace_back();
    slot.kind = ObjectKind::Character;
    slot.character = std::move(character);
  }
  for (int32_t shipId = 100; shipId <= 104; ++shipId) {
    ShipFields fields;
    fields.objectId = shipId;
    sMiscObject& slot = db.slots.emplace_back();
    slot.kind = ObjectKind::Ship;
    slot.ship = ReadShip(ShipBytes(fields));
  }
  db.loadedCount = db.capacity = static_cast<int64_t>(db.slots.size());
  db.deleteFlags.assign(db.slots.size(), 0);
  return db;
}

tServCharacter& CharacterAt(Database& db, size_t index) { return *db.slots[index].character; }
tShip& Ship(Database& db, int32_t id) { return *db.slots[static_cast<size_t>(3 + id - 100)].ship; }

class EditMenuTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetRunSettings(); }
  void TearDown() override { ResetRunSettings(); }
};

TEST_F(EditMenuTest, MainMenuDispatchesToEveryEditor) {
  Database db = MakeDatabase();
  Script s("o\nx q\n");
  EditMenu(db, s.console);
  EXPECT_TRUE(s.Transcript().ends_with("=\n" + kMainMenu + kMainMenu + "Invalid command (x)\n" + kMainMenu));
  EXPECT_TRUE(s.Transcript().starts_with("=================================================\n DISCLAIMER: "));

  // Shipyard vessels by id: hexadecimal, missing, not a number, then octal.
  Script vessel("s 0x68\nb\n77\nq\nS\n999\nS abc\n0146 Q\nq\n");
  EditMenu(db, vessel.console);
  EXPECT_EQ(Ship(db, 104).bpv, 77);
  EXPECT_TRUE(vessel.Shows("\n === NOW EDITING SHIPYARD VESSEL ===\n"
                           "ERROR: unable to find shipyard vessel with id 999\n"));
  EXPECT_TRUE(vessel.Shows("That is not a number, please try again\n\n === NOW EDITING SHIPYARD VESSEL ===\n"
                           "\nEnter R to repair"));
  EXPECT_FALSE(Ship(db, 102).modified);
  for (uint8_t flag : db.deleteFlags) EXPECT_EQ(flag, 0);

  // An empty database: every editor is reached and returns.
  Database empty;
  Script none("p\nM\nt\nC Q\nq\n");
  EditMenu(empty, none.console);
  EXPECT_TRUE(none.Shows("choice>\nUNABLE TO EDIT PLAYER DATABASE\n" + kMainMenu));
  EXPECT_TRUE(none.Shows("Bad map construction, unable to edit\n" + kMainMenu));
  EXPECT_TRUE(none.Shows("The tension matrix is empty, nothing to edit\n" + kMainMenu));
  EXPECT_TRUE(none.Shows("Leaving campaign modification menu\n" + kMainMenu));
  EXPECT_FALSE(none.console.Ended());
}

TEST_F(EditMenuTest, PlayerNameSelectsTheFirstCharacterItBegins) {
  Database db = MakeDatabase();
  EXPECT_EQ(FindCharacterByName(db.slots, db.loadedCount, "")->character->objectId, 10);
  EXPECT_EQ(FindCharacterByName(db.slots, db.loadedCount, "Bob")->character->objectId, 30);
  EXPECT_EQ(FindCharacterByName(db.slots, db.loadedCount, "Bobby"), nullptr);
  EXPECT_EQ(FindCharacterByName(db.slots, db.loadedCount, "van"), nullptr);

  // The rest of the menu line is discarded; the name is the next line.
  Script s("P Bob\nVa\ng\n1500\nS\nx\nn\nP\nZed\nq\n");
  EditMenu(db, s.console);
  EXPECT_EQ(CharacterAt(db, 0).glicko, 1500);
  EXPECT_EQ(CharacterAt(db, 2).glicko, 0);
  EXPECT_TRUE(s.Shows(kMainMenu + "\nEDITING THE PLAYER DATABASE\n"
                                  "Enter the player name for the character to be modified\n"));
  EXPECT_TRUE(s.Shows(kShipQuestion + "Invalid choice entered: x\n" + kShipQuestion + kMainMenu));
  EXPECT_TRUE(s.Shows("UNABLE TO FIND SPECIFIED CHARACTER IN THE DATABASE\n" + kMainMenu));
}

TEST_F(EditMenuTest, RaceChangeReachesUpToThreeShipsWithoutEditingThem) {
  Database db = MakeDatabase();
  Script s("p\nVanessa\nR\n4\n3\n5\ns\nN\np\nBob\nr 6 1 1\ns\nn\nq\n");
  EditMenu(db, s.console);
  EXPECT_EQ(Ship(db, 100).race, 4);  // Vanessa's; the entry naming no ship is skipped
  EXPECT_EQ(Ship(db, 101).race, 4);
  EXPECT_EQ(CharacterAt(db, 2).race, 6);
  EXPECT_EQ(Ship(db, 102).race, 1);  // Bob has four ships: none follows
  EXPECT_FALSE(Ship(db, 100).modified);
  EXPECT_FALSE(s.Shows(" === "));
}

TEST_F(EditMenuTest, ChangedShipIsCopiedIntoTheCharactersEntry) {
  Database db = MakeDatabase();
  tServCharacter& vanessa = CharacterAt(db, 0);
  const int32_t sizeBefore = vanessa.declaredSize;
  // Ship 100 gets a longer name and a new BPV; ship 101 is left as it was.
  Script s("p\nVan\nS\ny\nn\nFury Rising\nB\n150\nq\nq\nq\n");
  EditMenu(db, s.console);
  EXPECT_TRUE(s.Shows(kShipQuestion + "\n === NOW EDITING CHARACTERS SHIP(S) ===\n\n === Editing ship 1 ===\n"));
  EXPECT_TRUE(s.Shows("\n === Editing ship 3 ===\n" + kMainMenu));
  EXPECT_EQ(vanessa.ships[0].shipName.bytes, "Fury Rising");
  EXPECT_EQ(vanessa.ships[0].bpv, 150);
  EXPECT_EQ(vanessa.ships[1].shipName.bytes, "Fury");
  EXPECT_EQ(vanessa.declaredSize, sizeBefore + 7);
  EXPECT_EQ(vanessa.declaredSize2, vanessa.declaredSize);
  EXPECT_EQ(vanessa.declaredSize, vanessa.ContentSize());
}

// Ships are found by id in a list out of order too: a shipyard vessel, and
// the ships a character's entries name.
TEST_F(EditMenuTest, ShipsAreFoundInAListOutOfOrder) {
  Database db = MakeDatabase();
  std::reverse(db.slots.begin(), db.slots.end());  // ships 104..100, then Bob, Van, Vanessa
  Script s("S 104\nB 77\nQ\nP\nVanessa\nR 4 1 1\nS\nN\nq\n");
  EditMenu(db, s.console);
  EXPECT_FALSE(s.Shows("ERROR: unable to find shipyard vessel"));
  EXPECT_EQ(db.slots[0].ship->objectId, 104);
  EXPECT_EQ(db.slots[0].ship->bpv, 77);
  EXPECT_EQ(db.slots[4].ship->race, 4);  // ship 100
  EXPECT_EQ(db.slots[3].ship->race, 4);  // ship 101
  EXPECT_EQ(db.slots[2].ship->race, 1);  // ship 102 is not Vanessa's
}

// Every text answer is cut at its limit and the rest of its line dropped,
// with one note; none of it is taken for the answers or commands after it.
// The first of the character and ship editors' two reads passes over the
// rest of the command's line whole, however long, without a note.
TEST_F(EditMenuTest, OverLongTextAnswersLoseTheRestOfTheirLine) {
  const auto run = [](size_t n, char c) { return std::string(n, c); };
  struct Case {
    const char* what;
    std::string script;
    std::function<bool(Database&)> applied;
  };
  const std::vector<Case> cases = {
      {"campaign name, then its description",
       "C\nC\n" + run(828, 'q') + "\nShort description\nQ\nQ\n",
       [&](Database& db) {
         return db.campaign.campaignName.bytes == run(255, 'q') &&
                db.campaign.campaignNameCopy.bytes == run(255, 'q') &&
                db.campaign.description.bytes == "Short description";
       }},
      {"player name", "P\n" + run(254, 'V') + "anessa\nq\n", [](Database&) { return true; }},
      {"character name after a long command line",
       "P\nVanessa\nN" + run(300, 'x') + "\n" + run(300, 'y') + "\nS\nN\nQ\n",
       [&](Database& db) { return CharacterAt(db, 0).characterName.bytes == run(254, 'y'); }},
      {"ship name", "S 100\nN " + run(300, 'x') + "\n" + run(260, 'z') + "\nQ\nQ\n",
       [&](Database& db) { return Ship(db, 100).shipName.bytes == run(254, 'z'); }},
      {"shiplist name after the ship type", "S 101\nT\nF-XX\nno-such-dir/" + run(300, 's') + "\nQ\nQ\n",
       [&](Database& db) { return Ship(db, 101).shipType.bytes == "F-XX"; }},
      {"fighter type", "S 102\nF 7 " + run(300, 'x') + "\n" + run(255, 'h') + "\n0\nA\n0\nB\n0\nC\nQ\nQ\n",
       [&](Database& db) { return Ship(db, 102).bays[0].fighterType2.bytes == run(254, 'h'); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Database db = MakeDatabase();
    Script s(c.script);
    EditMenu(db, s.console);
    EXPECT_TRUE(c.applied(db));
    EXPECT_FALSE(s.Shows("Invalid")) << s.Transcript();
    EXPECT_FALSE(s.console.Ended());
    EXPECT_TRUE(s.Transcript().ends_with(kMainMenu));
    // One note, naming the limit the answer was cut to (an unopenable
    // shiplist adds its own reason after it).
    const std::string err = s.err.str();
    const std::string note = err.substr(0, err.find('\n') + 1);
    EXPECT_TRUE(note.starts_with("campdb: note: answer cut to 25")) << err;
    EXPECT_TRUE(note.ends_with(" characters; the rest of its line was dropped\n")) << err;
    EXPECT_EQ(err.find("note:", note.size()), std::string::npos) << err;
  }
}

TEST_F(EditMenuTest, EndOfInputStopsEditingWhereItIs) {
  Database db = MakeDatabase();
  tServCharacter& vanessa = CharacterAt(db, 0);
  const int32_t sizeBefore = vanessa.declaredSize;
  // Race 5, then ship 1 is renamed and the input ends at its next command:
  // no copy into the entry, and ship 2 is not reached.
  Script s("P\nVa\nR\n5\n1\n1\nS\nY\nN\nRenamed\n");
  EditMenu(db, s.console);
  EXPECT_EQ(Ship(db, 100).shipName.bytes, "Renamed");
  EXPECT_EQ(vanessa.ships[0].shipName.bytes, "Fury");
  EXPECT_EQ(vanessa.declaredSize, sizeBefore);
  EXPECT_EQ(Ship(db, 101).race, 1);
  EXPECT_TRUE(s.Transcript().ends_with("   or Q to quit editing this ship\n" + kEndNotice));

  // The end met by the character editor ends the menu: no ship question.
  Script early("p\nVa\n");
  EditMenu(db, early.console);
  EXPECT_TRUE(early.Transcript().ends_with("BE CAREFUL!\n" + kEndNotice));

  // The notice is armed only while the menu runs.
  Script quit("q\n");
  EditMenu(db, quit.console);
  EXPECT_EQ(quit.console.ReadAnswerChar(), std::nullopt);
  EXPECT_TRUE(quit.Transcript().ends_with(kMainMenu));
}

}  // namespace
}  // namespace campdb::testing
