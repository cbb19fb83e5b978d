// The whole in-memory image of one campaign database.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "format/campaign.h"
#include "format/header.h"
#include "format/map.h"
#include "format/misc_object.h"
#include "format/political.h"

namespace campdb {

struct Database {
  tPrelimData header;
  tCampaignObject campaign;
  tMapObject map;
  // The hexes held: columns * rows of them in a well-formed file, fewer when
  // the file ends early.
  std::vector<std::unique_ptr<tMapHex>> MapHexPtr;
  tPoliticalObject political;
  // Misc-object slots actually read. `capacity` is the number the header
  // announces (objectCount - hexes - 3, at least 0); slots are only made for
  // objects the file really holds.
  std::vector<sMiscObject> slots;
  int64_t capacity = 0;
  int64_t loadedCount = 0;
  // One byte per slot; 1 means the object is not written to the output.
  std::vector<uint8_t> deleteFlags;
  // Lookups by id among the loaded objects.
  ObjectIdIndex idIndex;

  int64_t hexCount() const { return static_cast<int64_t>(MapHexPtr.size()); }
};

// The loaded object with the id, or nullptr. In a list out of id order it is
// the first such object in list order.
inline sMiscObject* FindObjectById(Database& db, int32_t wanted) {
  return db.idIndex.Find(db.slots, db.loadedCount, wanted);
}

}  // namespace campdb
