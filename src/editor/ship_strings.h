// Replacing a ship's variable-length strings. A ship's declared size counts
// every byte its Write produces, so each replacement adds the change in
// length to both copies of the size.
#pragma once

#include <string>

#include "format/ship.h"

namespace campdb {

// Gives one of the ship's strings (shipType, shipName) new bytes.
inline void ReplaceShipString(tShip& ship, CountedString& field, std::string text) {
  const int64_t delta = static_cast<int64_t>(text.size()) - field.Length();
  field.bytes = std::move(text);
  ship.AdjustDeclaredSize(delta);
}

// Sets both fighter-type strings of a bay to the same text.
inline void SetBayFighterType(tShip& ship, FighterBay& bay, const std::string& text) {
  const int64_t delta =
      2 * static_cast<int64_t>(text.size()) - bay.fighterType.Length() - bay.fighterType2.Length();
  bay.fighterType.bytes = text;
  bay.fighterType2.bytes = text;
  ship.AdjustDeclaredSize(delta);
}

}  // namespace campdb
