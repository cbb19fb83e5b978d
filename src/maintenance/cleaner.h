// Decides which misc objects survive a Clean run.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "format/database.h"

namespace campdb {

class Console;
class ProgressLine;

// Bases and planets: listening post, base station, battle station, starbase
// (hull classes 13 to 16) and planet (18).
bool IsBaseOrPlanetHull(int32_t hullClass);

// Why Clean keeps or drops one object.
enum class CleanReason : uint8_t {
  Kept,
  NewsStory,            // every news story goes
  AiWithoutBase,        // an AI player that holds no base or planet
  CaptainMissing,       // a ship whose captain is not among the objects
  CaptainIsAi,          // a ship captained by an AI player
  CaptainNotCharacter,  // a ship whose captain id names something else
  Unrecognised,         // an object of unrecognised class
};

inline constexpr size_t kCleanReasons = static_cast<size_t>(CleanReason::Unrecognised) + 1;

// The word for a reason, as the check prints it ("kept" for Kept).
std::string_view CleanReasonWord(CleanReason reason);

// Clean's decision for one object as far as the object alone makes it: a
// reason, or the captain whose kind of player decides.
struct CleanDecision {
  CleanDecision(CleanReason r = CleanReason::Kept) : reason(r) {}
  CleanReason reason;
  bool byCaptain = false;
  int32_t captainId = 0;
};

// Those decisions, taken while the load reads the objects (Take, from a
// LoadObserver's ObjectParsed), so that Clean need not read every ship and
// AI player again. Valid for the database that load made, before anything
// in it changes.
class LoadedDecisions {
 public:
  void Take(int64_t index, const MiscObject& object);
  // The decisions of the first `count` objects, or nullptr unless every one
  // of them is here.
  const CleanDecision* Of(int64_t count) const {
    return whole_ && static_cast<int64_t>(decisions_.size()) >= count ? decisions_.data() : nullptr;
  }

 private:
  std::vector<CleanDecision> decisions_;
  bool whole_ = true;
};

// Clean's decision for the loaded object at `index`: kept are every human
// player, every ship captained by one, every shipyard vessel and bid, every
// base or planet whoever holds it, and AI players that hold a base or
// planet. A decision looks only at the objects as loaded, never at another
// decision.
CleanReason DecideClean(const Database& db, int64_t index);
// The same, reading the object into `scratch` when it must be looked at.
CleanReason DecideClean(const Database& db, int64_t index, MiscObject& scratch);
// DecideClean for each of the first `count` loaded objects, with the
// captains of all the ships looked up together; what `loaded` holds, when it
// covers them, is not read again.
std::vector<CleanReason> DecideCleanAll(const Database& db, int64_t count, const LoadedDecisions* loaded = nullptr);

// What a Clean run did.
struct CleanSummary {
  int64_t loaded = 0;   // objects loaded before cleaning
  int64_t removed = 0;  // of those, the ones dropped
  // How many were dropped for each reason (Kept counts those kept).
  std::array<int64_t, kCleanReasons> byReason{};
};

// Marks every loaded object for deletion, then clears the marks of the
// objects to keep; sets the loaded count to the number kept and the
// header's object count to match, and says so on the console.
// `progress`, when given, follows the objects.
// `loaded`, when given, holds the decisions taken as the database loaded.
CleanSummary CleanDatabase(Database& db, Console& console, ProgressLine* progress = nullptr,
                           const LoadedDecisions* loaded = nullptr);

}  // namespace campdb
