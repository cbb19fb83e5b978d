// The main edit menu over a small database: characters found by name, ships
// by id, changes carried from a ship into its captain's entry, and the end
// of input wherever it comes.
#include "editor/edit_menu.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "editor_fixture.h"

namespace campdb::testing {
namespace {

const std::string kMainMenu =
    "\n============== MAIN EDIT MENU ==============\nEnter Q to quit\n"
    "   or P to edit a player's statistics or ship\n   or T to edit the political tensions\n"
    "   or M to edit the map\n   or C to edit other campaign data\n   or S to edit a ship in the shipyards\n"
    "choice>\n";
const std::string kShipQuestion = "\n\nDo you wish to edit the player's ship(s)? (Y or N)\n";
const std::string kNotice = kEndNotice + "\n";

// Characters Vanessa (10), Van (20) and Bob (30), AI players of race 1 and
// glicko 0, then ships 100 to 104 of race 1, type F-CA, named Fury. Vanessa
// owns ships 100 and 101 and an entry naming no ship; Bob owns four. With
// `reversed`, the objects stand in the list in the opposite order.
testdb::Database Composed(bool reversed = false) {
  testdb::Database d;
  const std::vector<std::pair<std::string, std::vector<int32_t>>> characters = {
      {"Vanessa", {100, 101, 999}}, {"Van", {}}, {"Bob", {100, 101, 102, 103}}};
  int32_t id = 10;
  for (const auto& [name, shipIds] : characters) {
    testdb::Character character;
    character.human.reset();
    character.objectId = id;
    id += 10;
    character.characterName = name;
    character.race = character.race2 = 1;
    character.glicko = 0;
    for (int32_t shipId : shipIds) {
      testdb::Character::ShipEntry& entry = character.ships.emplace_back();
      entry.shipId = shipId;
      entry.shipType = "F-CA";
      entry.shipName = "Fury";
    }
    d.Add(character);
  }
  for (int32_t shipId = 100; shipId <= 104; ++shipId) {
    testdb::Ship ship;
    ship.objectId = shipId;
    ship.race = 1;
    ship.shipType = "F-CA";
    ship.shipName = "Fury";
    d.Add(ship);
  }
  if (reversed) std::reverse(d.objects.begin(), d.objects.end());
  return d;
}

tServCharacter& CharacterAt(Database& db, size_t index) {
  return std::get<tServCharacter>(db.EditObject(static_cast<int64_t>(index)));
}
tShip& Ship(Database& db, int32_t id) { return std::get<tShip>(db.EditObject(3 + id - 100)); }
// A ship no command reached still has the trans copy it was composed with.
bool Untouched(const tShip& ship) { return ship.At(block::kTransCopy) == 9; }

class EditMenuTest : public ::testing::Test {
 protected:
  Loaded loaded{Composed()};
  Database& db = *loaded.db;
};

TEST_F(EditMenuTest, MainMenuDispatchesToEveryEditor) {
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
  EXPECT_TRUE(Untouched(Ship(db, 102)));
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
  EXPECT_EQ(FindCharacterByName(db, "")->head.objectId, 10);
  EXPECT_EQ(FindCharacterByName(db, "Bob")->head.objectId, 30);
  EXPECT_EQ(FindCharacterByName(db, "Bobby"), nullptr);
  EXPECT_EQ(FindCharacterByName(db, "van"), nullptr);

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
  Script s("p\nVanessa\nR\n4\n3\n5\ns\nN\np\nBob\nr 6 1 1\ns\nn\nq\n");
  EditMenu(db, s.console);
  EXPECT_EQ(Ship(db, 100).race, 4);  // Vanessa's; the entry naming no ship is skipped
  EXPECT_EQ(Ship(db, 101).race, 4);
  EXPECT_EQ(CharacterAt(db, 2).race, 6);
  EXPECT_EQ(Ship(db, 102).race, 1);  // Bob has four ships: none follows
  EXPECT_TRUE(Untouched(Ship(db, 100)));
  EXPECT_FALSE(s.Shows(" === "));
}

TEST_F(EditMenuTest, ChangedShipIsCopiedIntoTheCharactersEntry) {
  tServCharacter& vanessa = CharacterAt(db, 0);
  const int32_t sizeBefore = vanessa.head.declaredSize;
  // Ship 100 gets a longer name and a new BPV; ship 101 is left as it was.
  Script s("p\nVan\nS\ny\nn\nFury Rising\nB\n150\nq\nq\nq\n");
  EditMenu(db, s.console);
  EXPECT_TRUE(s.Shows(kShipQuestion + "\n === NOW EDITING CHARACTERS SHIP(S) ===\n\n === Editing ship 1 ===\n"));
  EXPECT_TRUE(s.Shows("\n === Editing ship 3 ===\n" + kMainMenu));
  EXPECT_EQ(vanessa.ships[0].shipName, "Fury Rising");
  EXPECT_EQ(vanessa.ships[0].bpv, 150);
  EXPECT_EQ(vanessa.ships[1].shipName, "Fury");
  EXPECT_EQ(vanessa.head.declaredSize, sizeBefore + 7);
  ExpectSizesTrue(vanessa);
}

// Ships are found by id in a list out of order too: a shipyard vessel, and
// the ships a character's entries name.
TEST(EditMenuOrderTest, ShipsAreFoundInAListOutOfOrder) {
  Loaded reversed(Composed(true));  // ships 104..100, then Bob, Van, Vanessa
  Database& db = *reversed.db;
  Script s("S 104\nB 77\nQ\nP\nVanessa\nR 4 1 1\nS\nN\nq\n");
  EditMenu(db, s.console);
  EXPECT_FALSE(s.Shows("ERROR: unable to find shipyard vessel"));
  const auto shipAt = [&](size_t index) -> tShip& { return std::get<tShip>(db.EditObject(static_cast<int64_t>(index))); };
  EXPECT_EQ(shipAt(0).head.objectId, 104);
  EXPECT_EQ(shipAt(0).bpv, 77);
  EXPECT_EQ(shipAt(4).race, 4);  // ship 100
  EXPECT_EQ(shipAt(3).race, 4);  // ship 101
  EXPECT_EQ(shipAt(2).race, 1);  // ship 102 is not Vanessa's
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
         return db.campaign.campaignName == run(255, 'q') && db.campaign.campaignNameCopy == run(255, 'q') &&
                db.campaign.description == "Short description";
       }},
      {"player name", "P\n" + run(254, 'V') + "anessa\nq\n", [](Database&) { return true; }},
      {"character name after a long command line",
       "P\nVanessa\nN" + run(300, 'x') + "\n" + run(300, 'y') + "\nS\nN\nQ\n",
       [&](Database& db) { return CharacterAt(db, 0).characterName == run(254, 'y'); }},
      {"ship name", "S 100\nN " + run(300, 'x') + "\n" + run(260, 'z') + "\nQ\nQ\n",
       [&](Database& db) { return Ship(db, 100).shipName == run(254, 'z'); }},
      {"shiplist name after the ship type", "S 101\nT\nF-XX\nno-such-dir/" + run(300, 's') + "\nQ\nQ\n",
       [&](Database& db) { return Ship(db, 101).shipType == "F-XX"; }},
      {"fighter type", "S 102\nF 7 " + run(300, 'x') + "\n" + run(255, 'h') + "\n0\nA\n0\nB\n0\nC\nQ\nQ\n",
       [&](Database& db) { return Ship(db, 102).bays[0].fighterType2 == run(254, 'h'); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Loaded fresh(Composed());
    Database& db = *fresh.db;
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
  tServCharacter& vanessa = CharacterAt(db, 0);
  const int32_t sizeBefore = vanessa.head.declaredSize;
  // Race 5, then ship 1 is renamed and the input ends at its next command:
  // no copy into the entry, and ship 2 is not reached.
  Script s("P\nVa\nR\n5\n1\n1\nS\nY\nN\nRenamed\n");
  EditMenu(db, s.console);
  EXPECT_EQ(Ship(db, 100).shipName, "Renamed");
  EXPECT_EQ(vanessa.ships[0].shipName, "Fury");
  EXPECT_EQ(vanessa.head.declaredSize, sizeBefore);
  EXPECT_EQ(Ship(db, 101).race, 1);
  EXPECT_TRUE(s.Transcript().ends_with("   or Q to quit editing this ship\n" + kNotice));

  // The end met by the character editor ends the menu: no ship question.
  Script early("p\nVa\n");
  EditMenu(db, early.console);
  EXPECT_TRUE(early.Transcript().ends_with("BE CAREFUL!\n" + kNotice));

  // The notice is armed only while the menu runs.
  Script quit("q\n");
  EditMenu(db, quit.console);
  EXPECT_EQ(quit.console.ReadAnswerChar(), std::nullopt);
  EXPECT_TRUE(quit.Transcript().ends_with(kMainMenu));
}

}  // namespace
}  // namespace campdb::testing
