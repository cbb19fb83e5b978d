// Display texts for the integer codes stored in the database. Every code
// outside a table gets the table's fallback text. The planet, terrain and
// base texts carry their own trailing separator, because the hex report
// prints them back to back.
#pragma once

#include <cstdint>
#include <string_view>

#include "format/layout.h"

namespace campdb {

// The Ostrel layout's table has 24 codes, the base layout's 16.
std::string_view RaceName(int32_t code, Layout layout);
std::string_view PlanetName(int32_t code);
std::string_view TerrainName(int32_t code);
std::string_view BaseName(int32_t code);
std::string_view HullClassName(int32_t code);

}  // namespace campdb
