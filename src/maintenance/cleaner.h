// Decides which misc objects survive a Clean run.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "format/database.h"

namespace campdb {

class Console;
class ProgressLine;

// Bases and planets: listening post, base station, battle station, starbase
// (hull classes 13 to 16) and planet (18).
bool IsBaseOrPlanetHull(int32_t hullClass);

// Why Clean keeps or drops one object.
enum class CleanReason {
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

// Clean's decision for the loaded object at `index`: kept are every human
// player, every ship captained by one, every shipyard vessel and bid, every
// base or planet whoever holds it, and AI players that hold a base or
// planet. A decision looks only at the objects as loaded, never at another
// decision.
CleanReason DecideClean(const Database& db, int64_t index);
// The same, reading the object into `scratch` when it must be looked at.
CleanReason DecideClean(const Database& db, int64_t index, MiscObject& scratch);

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
CleanSummary CleanDatabase(Database& db, Console& console, ProgressLine* progress = nullptr);

}  // namespace campdb
