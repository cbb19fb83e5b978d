// The header record: the first 12 bytes of every database, with no size
// words and no class tag.
#pragma once

#include <array>
#include <cstdint>

#include "format/layout.h"

namespace campdb {

struct tPrelimData {
  // Save format version: four raw bytes, printed as characters.
  std::array<uint8_t, 4> saveVersion{};
  // Number of records after the header: campaign, map, political record,
  // every hex and every misc object.
  int32_t objectCount = 0;
  // Last object id the server handed out; never changed by the tool.
  int32_t lastObjectId = 0;

  template <class Io>
  void Fields(Io& io, Layout /*layout*/) {
    io.Run("saveVersion", saveVersion);
    io.Int32("objectCount", objectCount);
    io.Int32("lastObjectId", lastObjectId);
  }
};

}  // namespace campdb
