#include "maintenance/cleaner.h"

#include <algorithm>

#include "console/console.h"
#include "console/progress.h"

namespace campdb {

bool IsBaseOrPlanetHull(int32_t hullClass) { return (hullClass >= 13 && hullClass <= 16) || hullClass == 18; }

std::string_view CleanReasonWord(CleanReason reason) {
  switch (reason) {
    case CleanReason::Kept: return "kept";
    case CleanReason::NewsStory: return "news-story";
    case CleanReason::AiWithoutBase: return "ai-without-base";
    case CleanReason::CaptainMissing: return "captain-missing";
    case CleanReason::CaptainIsAi: return "captain-is-ai";
    case CleanReason::CaptainNotCharacter: return "captain-not-character";
    case CleanReason::Unrecognised: return "unrecognised-class";
  }
  return "kept";
}

CleanReason DecideClean(const Database& db, int64_t index, MiscObject& scratch) {
  const ObjectKind kind = db.Entry(index).kind;
  // Bids are kept and news stories dropped as they are; ships and AI
  // players are looked at.
  if (kind == ObjectKind::Bid) return CleanReason::Kept;
  if (kind == ObjectKind::NewsStory) return CleanReason::NewsStory;
  if (kind == ObjectKind::Unrecognised) return CleanReason::Unrecognised;
  if (kind == ObjectKind::Character && db.Entry(index).human) return CleanReason::Kept;
  const MiscObject& object = db.ReadObject(index, scratch);
  if (const auto* ship = std::get_if<tShip>(&object)) {
    if (IsBaseOrPlanetHull(ship->hullClass) || ship->captainId == 0) return CleanReason::Kept;
    // A ship is not kept for its captain's sake when that captain is an AI
    // player, even one kept for holding a base: its warships go.
    const int64_t at = db.FindObjectById(ship->captainId);
    if (at < 0) return CleanReason::CaptainMissing;
    const ObjectEntry& captain = db.Entry(at);
    if (captain.kind != ObjectKind::Character) return CleanReason::CaptainNotCharacter;
    return captain.human ? CleanReason::Kept : CleanReason::CaptainIsAi;
  }
  if (const auto* character = std::get_if<tServCharacter>(&object)) {
    if (!character->isAI()) return CleanReason::Kept;
    for (const CharacterShipEntry& entry : character->ships) {
      if (IsBaseOrPlanetHull(entry.hullClass)) return CleanReason::Kept;
    }
    return CleanReason::AiWithoutBase;
  }
  return CleanReason::Unrecognised;
}

CleanReason DecideClean(const Database& db, int64_t index) {
  MiscObject scratch;
  return DecideClean(db, index, scratch);
}

CleanSummary CleanDatabase(Database& db, Console& console, ProgressLine* progress) {
  CleanSummary summary;
  summary.loaded = std::min({db.loadedCount, db.ObjectCount(), static_cast<int64_t>(db.deleteFlags.size())});
  // Every decision looks at the objects as loaded, never at another
  // decision, so the order of the walk does not matter.
  int64_t kept = 0;
  MiscObject scratch;
  if (progress != nullptr) progress->Stage("cleaning", summary.loaded);
  for (int64_t i = 0; i < summary.loaded; ++i) {
    if (progress != nullptr) progress->Step(i);
    const CleanReason reason = DecideClean(db, i, scratch);
    ++summary.byReason[static_cast<size_t>(reason)];
    const bool keep = reason == CleanReason::Kept;
    db.deleteFlags[static_cast<size_t>(i)] = keep ? 0 : 1;
    kept += keep ? 1 : 0;
  }
  summary.removed = summary.loaded - kept;
  db.loadedCount = kept;
  db.header.objectCount = static_cast<int32_t>(static_cast<uint32_t>(kept + db.hexCount() + 3));

  console.WriteLine(Cat("After cleaning thinks there are ", db.header.objectCount, " objects"));
  console.WriteLine(Cat("   and numobjects is ", kept));
  return summary;
}

}  // namespace campdb
