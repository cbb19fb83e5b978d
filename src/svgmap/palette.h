// The colours of the map picture. Every race code of the layout's table has
// a colour of its own (the base layout names 16 codes, the Ostrel layout 24:
// its codes 8 to 15 are the cartels). A hex whose owner code names no race
// is grey: a light grey for the negative codes, which no race has, and a
// darker one for the others; a barrier hex (owner 32) is nearly black.
#pragma once

#include <cstdint>
#include <string_view>

#include "format/layout.h"

namespace campdb {

// The owner code of a barrier hex.
constexpr int32_t kBarrierOwner = 32;

// How many race codes the layout's table names.
int32_t RaceCodes(Layout layout);

// The colour of a race code of the layout's table, as #rrggbb.
std::string_view RaceColour(int32_t code, Layout layout);

// What fills a hex, told from its owner code: a race of the table, or one
// of the three kinds of code that name none.
enum class OwnerKind { Race, Unowned, Unknown, Barrier };
OwnerKind OwnerKindOf(int32_t code, Layout layout);

constexpr std::string_view kUnownedColour = "#d2d2cc";
constexpr std::string_view kUnknownColour = "#94948e";
constexpr std::string_view kBarrierColour = "#262626";

}  // namespace campdb
