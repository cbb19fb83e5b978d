// The editors of the records, one per record type, and what they share.
// Every change is made in place in the loaded records; texts an editor puts
// in place of old ones are kept in the database's text store.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "format/campaign.h"
#include "format/character.h"
#include "format/layout.h"
#include "format/map.h"
#include "format/object_head.h"
#include "format/political.h"
#include "format/ship.h"
#include "format/text_store.h"

namespace campdb {

class Console;

// What every editor works with besides its record.
struct EditContext {
  Console& console;
  Layout layout;
  // The campaign's facts as loaded: the ship editor and the shiplist import
  // store the current era in a ship as its drone speed.
  const CampaignFacts& facts;
  TextStore& store;
};

// Gives a text field new bytes, kept in the store, and adds the change in
// length to both copies of the record's declared size.
void ReplaceText(ObjectHead& head, Text& field, std::string_view bytes, TextStore& store);

// The campaign menu, until the operator quits it.
void EditCampaign(tCampaignObject& campaign, EditContext& context);

// The map dialogue over the hexes as the database holds them (row by row,
// columns per row). Refuses a map without hexes, with fewer hexes than its
// rows x columns, or whose rows or columns are not positive.
void EditHexMap(const tMapObject& map, std::vector<tMapHex>& hexes, Console& console, Layout layout);
// 1 when n <= 0, else 2 to the power n, wrapping as a 32-bit value.
int32_t PowerOfTwo(int32_t n);

// Changes one cell of the tension matrix, then returns.
void EditPolitical(tPoliticalObject& political, Console& console);

// One pass of the character menu: performs one command and returns true only
// for the command that ends the character segment (or when the input ended).
bool EditCharacter(tServCharacter& character, EditContext& context);

// The ship menu, until the operator quits; true when the battle point value,
// hull class, type or name was changed.
bool EditShip(tShip& ship, EditContext& context);

// A ship's systems block made the editor's own: copied into the store the
// first time, so that changes never touch the loaded input.
std::span<uint8_t> EditableBlock(tShip& ship, TextStore& store);

// Fills hull class, bpv, systems, hardpoints, drones, supplies and fighter
// bays from the shiplist line of the ship's type.
void ImportFromShiplist(tShip& ship, std::span<uint8_t> block, EditContext& context);

}  // namespace campdb
