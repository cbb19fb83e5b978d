// The main edit menu and the lookups it uses to find a player's character
// and a shipyard vessel.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "format/database.h"

namespace campdb {

class Console;

// Loops over the editors until the operator enters Q (or the input ends).
void EditMenu(Database& db, Console& console);

struct EditContext;

// Edits a character found by player name, then up to three of its ships, and
// carries ship changes back into the character's ship entries.
void EditPlayer(Database& db, EditContext& context);

// Edits the ship whose objectId the operator types.
void EditShipyardVessel(Database& db, EditContext& context);

// The first of the loaded objects, in list order, that is a character whose
// name begins with `name` (byte for byte); nullptr when there is none. An
// empty name matches the first character of the list.
tServCharacter* FindCharacterByName(Database& db, std::string_view name);

}  // namespace campdb
