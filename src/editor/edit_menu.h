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

}  // namespace campdb
