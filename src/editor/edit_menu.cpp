// The main edit menu. It dispatches to the campaign, map, political, player
// and shipyard-vessel editors until the operator quits. Every change is made
// in place; the database is written once the menu returns.
//
// When the input ends while any editor waits for an answer, one notice is
// printed and editing stops right there: no editor prints or changes
// anything more, and the menu returns so that the changes already made are
// written.

#include "editor/edit_menu.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "console/console.h"
#include "editor/editors.h"
#include "editor/prompts.h"
#include "format/misc_object.h"

namespace campdb {

namespace {

tShip* FindShip(Database& db, int32_t id) {
  const int64_t at = db.FindObjectById(id);
  if (at < 0 || db.Entry(at).kind != ObjectKind::Ship) return nullptr;
  return std::get_if<tShip>(&db.EditObject(at));
}

void ShowDisclaimer(Console& console) {
  console.WriteLine("=================================================");
  console.WriteLine(" DISCLAIMER: there is litte / no error checking,");
  console.WriteLine("   and there is no UNDO facility for the editor,");
  console.WriteLine("   so MAKE BACKUPS BEFORE EDITING and BE CAREFUL!");
  console.WriteLine("=================================================");
}

// Whether the character's ships are to be edited; empty when the input
// ended.
std::optional<bool> AskEditShips(Console& console) {
  const auto answer = console.Ask(ChoiceQuestion{
      {"", "", "Do you wish to edit the player's ship(s)? (Y or N)"}, "yYnN", "Invalid choice entered: "});
  if (!answer) return std::nullopt;
  return *answer == 'y' || *answer == 'Y';
}

}  // namespace

tServCharacter* FindCharacterByName(Database& db, std::string_view name) {
  const int64_t count = std::min<int64_t>(db.loadedCount, db.ObjectCount());
  MiscObject scratch;
  for (int64_t i = 0; i < count; ++i) {
    if (db.Entry(i).kind != ObjectKind::Character) continue;
    const auto& character = std::get<tServCharacter>(db.ReadObject(i, scratch));
    if (character.characterName.starts_with(name)) return &std::get<tServCharacter>(db.EditObject(i));
  }
  return nullptr;
}

void EditPlayer(Database& db, EditContext& context) {
  Console& console = context.console;
  if (db.objects.empty() || db.loadedCount < 1) {
    console.WriteUnusable("UNABLE TO EDIT PLAYER DATABASE");
    return;
  }
  console.WriteLine();
  console.WriteLine("EDITING THE PLAYER DATABASE");
  // The name is the line after the menu choice.
  const auto typed = console.Ask(
      TextQuestion{{"Enter the player name for the character to be modified"}, kNameText, true});
  if (!typed) return;

  tServCharacter* found = FindCharacterByName(db, *typed);
  if (found == nullptr) {
    console.WriteUnusable("UNABLE TO FIND SPECIFIED CHARACTER IN THE DATABASE");
    return;
  }
  tServCharacter& character = *found;

  const int32_t raceBefore = character.race;
  while (!EditCharacter(character, context)) {
    if (console.Ended()) return;
  }
  if (console.Ended()) return;
  const bool raceChanged = character.race != raceBefore;

  const auto editShips = AskEditShips(console);
  if (!editShips) return;
  if (!*editShips && !raceChanged) return;

  // Ships are carried along only for characters with one to three of them.
  const int32_t shipCount = character.shipCount();
  if (shipCount < 1 || shipCount > 3) return;

  if (*editShips) {
    console.WriteLine();
    console.WriteLine(" === NOW EDITING CHARACTERS SHIP(S) ===");
  }
  for (int32_t k = 0; k < shipCount; ++k) {
    CharacterShipEntry& entry = character.ships[static_cast<size_t>(k)];
    if (*editShips) {
      console.WriteLine();
      console.WriteLine(Cat(" === Editing ship ", k + 1, " ==="));
    }
    tShip* ship = FindShip(db, entry.shipId);
    if (ship == nullptr) continue;  // an entry naming no ship is skipped
    ship->race = character.race;
    if (!*editShips) continue;
    const bool changed = EditShip(*ship, context);
    if (console.Ended()) return;
    if (changed) CopyShipIntoEntry(character, entry, *ship);
  }
}

void EditShipyardVessel(Database& db, EditContext& context) {
  Console& console = context.console;
  // The id is read with no prompt of its own.
  const auto id = console.Ask(NumberQuestion{});
  if (!id) return;
  console.WriteLine();
  console.WriteLine(" === NOW EDITING SHIPYARD VESSEL ===");
  tShip* ship = FindShip(db, *id);
  if (ship == nullptr) {
    console.WriteUnusable(Cat("ERROR: unable to find shipyard vessel with id ", *id));
    return;
  }
  EditShip(*ship, context);
}

void EditMenu(Database& db, Console& console) {
  EditContext context{console, db.layout, db.facts, db.store};
  console.SetEndNotice("End of input, leaving the editor");
  ShowDisclaimer(console);
  const Menu menu{
      .rows =
          {
              Line(),
              Line("============== MAIN EDIT MENU =============="),
              Command("Qq", "Enter Q to quit", nullptr, MenuNext::Leave),
              Command("Pp", "   or P to edit a player's statistics or ship", [&] { EditPlayer(db, context); }),
              Command("Tt", "   or T to edit the political tensions", [&] { EditPolitical(db.political, console); }),
              Command("Mm", "   or M to edit the map", [&] { EditHexMap(db.map, db.hexes, console, db.layout); }),
              Command("Cc", "   or C to edit other campaign data", [&] { EditCampaign(db.campaign, context); }),
              Command("Ss", "   or S to edit a ship in the shipyards", [&] { EditShipyardVessel(db, context); }),
              Line("choice>"),
              Unlisted("Oo", nullptr),  // shows the menu again
          },
      .unknown = [](char answer) { return std::vector<std::string>{Cat("Invalid command (", answer, ")")}; },
  };
  console.RunMenu(menu);
  console.SetEndNotice("");
}

}  // namespace campdb
