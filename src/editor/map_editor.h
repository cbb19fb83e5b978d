// The map editor: changes the hexes of the loaded map in place, either all
// hexes at once by fixed adjustments or one hex at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "format/map.h"

namespace campdb {

class Console;

// Runs the map dialogue over the hexes as the database holds them (row by
// row, columns per row). Refuses a map whose hexes are missing or fewer
// than rows x columns.
void EditHexMap(tMapObject& map, std::vector<std::unique_ptr<tMapHex>>& hexes, Console& console);

// 1 when n <= 0, else 2 to the power n, wrapping as a 32-bit value.
int32_t PowerOfTwo(int32_t n);

}  // namespace campdb
