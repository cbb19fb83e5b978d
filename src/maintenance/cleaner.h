// Decides which misc objects survive a Clean run.
#pragma once

#include "format/database.h"

namespace campdb {

class Console;

// Bases and planets: listening post, base station, battle station, starbase
// (hull classes 13 to 16) and planet (18).
bool IsBaseOrPlanetHull(int32_t hullClass);

// On entry every loaded object is marked for deletion. Clears the marks of
// the objects to keep: every human player, every ship captained by one,
// every shipyard vessel and bid, every base or planet whoever holds it, and
// AI players that hold a base or planet. Drops news stories, other AI
// players, ships of AI players or of captains that no longer exist, and
// objects of unrecognised class. Then sets the loaded count to the number
// kept and the header's object count to match, and says so on the console.
void CleanDatabase(Database& db, Console& console);

}  // namespace campdb
