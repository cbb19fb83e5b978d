#include "maintenance/cleaner.h"

#include <algorithm>
#include <optional>

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

namespace {

CleanDecision ByCaptain(int32_t captainId) {
  CleanDecision decision(CleanReason::Kept);
  decision.captainId = captainId;
  decision.byCaptain = true;
  return decision;
}

// A ship's decision when its captain is the object at `at` (-1: none).
CleanReason CaptainDecides(const Database& db, int64_t at) {
  if (at < 0) return CleanReason::CaptainMissing;
  const ObjectEntry& captain = db.Entry(at);
  if (captain.kind != ObjectKind::Character) return CleanReason::CaptainNotCharacter;
  return captain.human ? CleanReason::Kept : CleanReason::CaptainIsAi;
}

// Bids are kept and news stories dropped as they are; ships and AI players
// are looked at.
std::optional<CleanDecision> DecideByKind(ObjectKind kind, bool human) {
  if (kind == ObjectKind::Bid) return CleanReason::Kept;
  if (kind == ObjectKind::NewsStory) return CleanReason::NewsStory;
  if (kind == ObjectKind::Unrecognised) return CleanReason::Unrecognised;
  if (kind == ObjectKind::Character && human) return CleanReason::Kept;
  return std::nullopt;
}

CleanDecision DecideByObject(const MiscObject& object) {
  if (const auto* ship = std::get_if<tShip>(&object)) {
    if (IsBaseOrPlanetHull(ship->hullClass) || ship->captainId == 0) return CleanReason::Kept;
    // A ship is not kept for its captain's sake when that captain is an AI
    // player, even one kept for holding a base: its warships go.
    return ByCaptain(ship->captainId);
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

CleanDecision Decide(const Database& db, int64_t index, MiscObject& scratch) {
  const ObjectEntry& entry = db.Entry(index);
  if (const auto decided = DecideByKind(entry.kind, entry.human)) return *decided;
  return DecideByObject(db.ReadObject(index, scratch));
}

}  // namespace

CleanReason DecideClean(const Database& db, int64_t index, MiscObject& scratch) {
  const CleanDecision decision = Decide(db, index, scratch);
  return decision.byCaptain ? CaptainDecides(db, db.FindObjectById(decision.captainId)) : decision.reason;
}

void LoadedDecisions::Take(int64_t index, const MiscObject& object) {
  // An object the load did not show leaves the list incomplete.
  if (index != static_cast<int64_t>(decisions_.size())) whole_ = false;
  if (!whole_) return;
  const ObjectKind kind = KindOf(object);
  const auto* character = std::get_if<tServCharacter>(&object);
  const auto decided = DecideByKind(kind, character != nullptr && character->isHuman);
  decisions_.push_back(decided ? *decided : DecideByObject(object));
}

std::vector<CleanReason> DecideCleanAll(const Database& db, int64_t count, const LoadedDecisions* loaded) {
  count = std::clamp<int64_t>(count, 0, db.ObjectCount());
  std::vector<CleanReason> reasons(static_cast<size_t>(count));
  std::vector<int32_t> captains;
  std::vector<int64_t> ships;
  MiscObject scratch;
  const CleanDecision* known = loaded != nullptr ? loaded->Of(count) : nullptr;
  for (int64_t i = 0; i < count; ++i) {
    const CleanDecision decision = known != nullptr ? known[i] : Decide(db, i, scratch);
    reasons[static_cast<size_t>(i)] = decision.reason;
    if (decision.byCaptain) {
      captains.push_back(decision.captainId);
      ships.push_back(i);
    }
  }
  const std::vector<int64_t> found = db.index.FindAll(db.objects, captains);
  for (size_t k = 0; k < ships.size(); ++k) reasons[static_cast<size_t>(ships[k])] = CaptainDecides(db, found[k]);
  return reasons;
}

CleanReason DecideClean(const Database& db, int64_t index) {
  MiscObject scratch;
  return DecideClean(db, index, scratch);
}

CleanSummary CleanDatabase(Database& db, Console& console, ProgressLine* progress, const LoadedDecisions* loaded) {
  CleanSummary summary;
  summary.loaded = std::min({db.loadedCount, db.ObjectCount(), static_cast<int64_t>(db.deleteFlags.size())});
  // Every decision looks at the objects as loaded, never at another
  // decision, so the order of the walk does not matter.
  int64_t kept = 0;
  if (progress != nullptr) progress->Stage("cleaning", summary.loaded);
  const std::vector<CleanReason> reasons = DecideCleanAll(db, summary.loaded, loaded);
  for (int64_t i = 0; i < summary.loaded; ++i) {
    if (progress != nullptr) progress->Step(i);
    const CleanReason reason = reasons[static_cast<size_t>(i)];
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
