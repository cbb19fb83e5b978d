// Display texts for the integer codes stored in the database. Every code
// outside a table gets the table's fallback text. The planet, terrain and
// base texts carry their own trailing separator, because the hex report
// prints them back to back.
#pragma once

#include <cstdint>
#include <string_view>

namespace campdb {

// Depends on the layout variant of the run: the Ostrel table has 24 codes.
std::string_view RaceName(int32_t code);
std::string_view PlanetName(int32_t code);
std::string_view TerrainName(int32_t code);
std::string_view BaseName(int32_t code);
std::string_view HullClassName(int32_t code);

}  // namespace campdb
