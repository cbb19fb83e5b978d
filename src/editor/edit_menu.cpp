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
#include <string>

#include "console/console.h"
#include "editor/map_editor.h"
#include "format/misc_object.h"

namespace campdb {

namespace {

constexpr size_t kNameLimit = 254;

tShip* FindShip(Database& db, int32_t id) {
  sMiscObject* slot = FindObjectById(db, id);
  if (slot == nullptr || slot->kind != ObjectKind::Ship) return nullptr;
  return slot->ship.get();
}

void ShowDisclaimer(Console& console) {
  console.WriteLine("=================================================");
  console.WriteLine(" DISCLAIMER: there is litte / no error checking,");
  console.WriteLine("   and there is no UNDO facility for the editor,");
  console.WriteLine("   so MAKE BACKUPS BEFORE EDITING and BE CAREFUL!");
  console.WriteLine("=================================================");
}

void ShowMainMenu(Console& console) {
  console.WriteLine();
  console.WriteLine("============== MAIN EDIT MENU ==============");
  console.WriteLine("Enter Q to quit");
  console.WriteLine("   or P to edit a player's statistics or ship");
  console.WriteLine("   or T to edit the political tensions");
  console.WriteLine("   or M to edit the map");
  console.WriteLine("   or C to edit other campaign data");
  console.WriteLine("   or S to edit a ship in the shipyards");
  console.WriteLine("choice>");
}

// Asks whether the character's ships are to be edited; empty when the input
// ended.
std::optional<bool> AskEditShips(Console& console) {
  while (true) {
    console.WriteLine();
    console.WriteLine();
    console.WriteLine("Do you wish to edit the player's ship(s)? (Y or N)");
    const auto answer = console.ReadAnswerChar();
    if (!answer) return std::nullopt;
    if (*answer == 'y' || *answer == 'Y') return true;
    if (*answer == 'n' || *answer == 'N') return false;
    console.WriteLine(Cat("Invalid choice entered: ", *answer));
  }
}

// The character's ship entry mirrors the ship's identity: copy it over and
// keep the character's declared size counting the entry's new strings.
void CopyShipIntoEntry(tServCharacter& character, CharacterShipEntry& entry, const tShip& ship) {
  const int64_t delta = int64_t{ship.shipType.Length()} + ship.shipName.Length() - entry.shipType.Length() -
                        entry.shipName.Length();
  character.AdjustDeclaredSize(delta);
  entry.bpv = ship.bpv;
  entry.hullClass = ship.hullClass;
  entry.shipType = ship.shipType;
  entry.shipName = ship.shipName;
}

}  // namespace

sMiscObject* FindCharacterByName(std::vector<sMiscObject>& slots, int64_t loadedCount, std::string_view name) {
  const int64_t count = std::min<int64_t>(loadedCount, static_cast<int64_t>(slots.size()));
  for (int64_t i = 0; i < count; ++i) {
    sMiscObject& slot = slots[static_cast<size_t>(i)];
    if (slot.kind != ObjectKind::Character || !slot.character) continue;
    if (slot.character->characterName.View().starts_with(name)) return &slot;
  }
  return nullptr;
}

void EditPlayer(Database& db, Console& console) {
  if (db.slots.empty() || db.loadedCount < 1) {
    console.WriteLine("UNABLE TO EDIT PLAYER DATABASE");
    return;
  }
  console.WriteLine();
  console.WriteLine("EDITING THE PLAYER DATABASE");
  console.WriteLine("Enter the player name for the character to be modified");
  console.DiscardRestOfLine();  // the rest of the menu-choice line
  const auto typed = console.ReadTextLine(kNameLimit);
  if (!typed) return;

  sMiscObject* slot = FindCharacterByName(db.slots, db.loadedCount, UpToZero(*typed));
  if (slot == nullptr) {
    console.WriteLine("UNABLE TO FIND SPECIFIED CHARACTER IN THE DATABASE");
    return;
  }
  tServCharacter& character = *slot->character;

  const int32_t raceBefore = character.race;
  while (!character.Edit(console)) {
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
    const bool changed = ship->Edit(console);
    if (console.Ended()) return;
    if (changed) CopyShipIntoEntry(character, entry, *ship);
  }
}

void EditShipyardVessel(Database& db, Console& console) {
  const auto id = console.ReadNumber();
  if (!id) return;
  console.WriteLine();
  console.WriteLine(" === NOW EDITING SHIPYARD VESSEL ===");
  tShip* ship = FindShip(db, *id);
  if (ship == nullptr) {
    console.WriteLine(Cat("ERROR: unable to find shipyard vessel with id ", *id));
    return;
  }
  ship->Edit(console);
}

void EditMenu(Database& db, Console& console) {
  console.SetEndNotice("End of input, leaving the editor");
  ShowDisclaimer(console);
  while (!console.Ended()) {
    ShowMainMenu(console);
    const auto choice = console.ReadAnswerChar();
    if (!choice || *choice == 'Q' || *choice == 'q') break;
    switch (*choice) {
      case 'P':
      case 'p':
        EditPlayer(db, console);
        break;
      case 'T':
      case 't':
        db.political.Edit(console);
        break;
      case 'M':
      case 'm':
        EditHexMap(db.map, db.MapHexPtr, console);
        break;
      case 'C':
      case 'c':
        db.campaign.Edit(console);
        break;
      case 'S':
      case 's':
        EditShipyardVessel(db, console);
        break;
      case 'O':
      case 'o':
        break;  // shows the menu again
      default:
        console.WriteLine(Cat("Invalid command (", *choice, ")"));
        break;
    }
  }
  console.SetEndNotice("");
}

}  // namespace campdb
