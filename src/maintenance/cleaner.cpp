#include "maintenance/cleaner.h"

#include <algorithm>

#include "console/console.h"

namespace campdb {

namespace {

// The captain is looked up among the loaded objects by id. A ship is not
// kept for its captain's sake when that captain is an AI player, even one
// kept for holding a base: its warships go.
bool CaptainIsHumanPlayer(Database& db, int32_t captainId) {
  sMiscObject* captain = FindObjectById(db, captainId);
  return captain != nullptr && captain->kind == ObjectKind::Character && captain->character != nullptr &&
         !captain->character->isAI;
}

bool Keep(Database& db, const sMiscObject& slot) {
  switch (slot.kind) {
    case ObjectKind::Ship: {
      if (slot.ship == nullptr) return false;
      const tShip& ship = *slot.ship;
      return IsBaseOrPlanetHull(ship.hullClass) || ship.captainId == 0 ||
             CaptainIsHumanPlayer(db, ship.captainId);
    }
    case ObjectKind::Bid:
      return slot.bid != nullptr;
    case ObjectKind::Character: {
      if (slot.character == nullptr) return false;
      const tServCharacter& character = *slot.character;
      if (!character.isAI) return true;
      for (const auto& entry : character.ships) {
        if (IsBaseOrPlanetHull(entry.hullClass)) return true;
      }
      return false;
    }
    case ObjectKind::NewsStory:
    case ObjectKind::Unrecognised:
      return false;
  }
  return false;
}

}  // namespace

bool IsBaseOrPlanetHull(int32_t hullClass) { return (hullClass >= 13 && hullClass <= 16) || hullClass == 18; }

void CleanDatabase(Database& db, Console& console) {
  const int64_t loaded = std::min({db.loadedCount, static_cast<int64_t>(db.slots.size()),
                                   static_cast<int64_t>(db.deleteFlags.size())});
  // Every decision looks at the objects as loaded, never at another
  // decision, so the order of the walk does not matter.
  for (int64_t i = 0; i < loaded; ++i) {
    if (Keep(db, db.slots[static_cast<size_t>(i)])) db.deleteFlags[static_cast<size_t>(i)] = 0;
  }
  int64_t kept = 0;
  for (int64_t i = 0; i < loaded; ++i) {
    if (db.deleteFlags[static_cast<size_t>(i)] == 0) ++kept;
  }
  db.loadedCount = kept;
  db.header.objectCount = static_cast<int32_t>(static_cast<uint32_t>(kept + db.hexCount() + 3));

  console.WriteLine(Cat("After cleaning thinks there are ", db.header.objectCount, " objects"));
  console.WriteLine(Cat("   and numobjects is ", kept));
}

}  // namespace campdb
