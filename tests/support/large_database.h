// Generates large, well-formed campaign databases for the benchmark and for
// tests that need a realistic amount of everything: a 40 x 30 hex map, a mix
// of human and AI players with their ships (each character's ship entries
// mirror ship records that follow it), shipyard vessels with bids on them,
// and news stories. The objects are in ascending objectId order, as the
// server stores them; a player's ships follow the player, or lie anywhere
// after it (`farShips`).
//
// The bytes are composed with the same field-by-field builder as the test
// databases, one object at a time, and handed out in pieces, so a database
// of any size is streamed to its file without being held in memory.
// The same options and seed always give the same bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "support/db_builder.h"

namespace campdb::testdb {

struct LargeDatabaseOptions {
  int64_t objects = 1000;  // misc objects after the political record
  uint64_t seed = 1;
  Layout layout = Layout::Base;
  int32_t columns = 40;
  int32_t rows = 30;
  // Every player's ships lie anywhere after the player in the list, rather
  // than right after: ids still ascend, so each ship takes the id of its
  // place, and finding a ship's captain means looking far away.
  bool farShips = false;
};

// What was generated, counted while generating. `keptByClean` is what a
// Clean run must keep, worked out from how each object was made: every
// human player and every ship they captain, AI players that hold a base or
// planet, every base or planet ship, every shipyard vessel and every bid.
struct LargeDatabaseSummary {
  int64_t humanCharacters = 0;
  int64_t aiCharacters = 0;
  int64_t aiCharactersHoldingBases = 0;
  int64_t captainedShips = 0;
  int64_t orphanShips = 0;  // their captain is no longer in the database
  int64_t shipyardVessels = 0;
  int64_t bids = 0;
  int64_t newsStories = 0;
  int64_t keptByClean = 0;
  int64_t hexes = 0;
  int64_t bytes = 0;
};

// Hands the database to `put` in consecutive pieces.
LargeDatabaseSummary GenerateLargeDatabase(const LargeDatabaseOptions& options,
                                           const std::function<void(std::string_view)>& put);

// The whole database in one buffer, for tests.
Bytes LargeDatabaseBytes(const LargeDatabaseOptions& options, LargeDatabaseSummary* summary = nullptr);

}  // namespace campdb::testdb
