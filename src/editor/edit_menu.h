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

// Edits a character found by player name, then up to three of its ships, and
// carries ship changes back into the character's ship entries.
void EditPlayer(Database& db, Console& console);

// Edits the ship whose objectId the operator types.
void EditShipyardVessel(Database& db, Console& console);

// The first of the loaded slots, in list order, that holds a character whose
// name begins with `name` (byte for byte); nullptr when there is none. An
// empty name matches the first character of the list.
sMiscObject* FindCharacterByName(std::vector<sMiscObject>& slots, int64_t loadedCount, std::string_view name);

}  // namespace campdb
