// The header record: the first 12 bytes of every database, with no size
// words and no class tag.
#pragma once

#include <array>
#include <cstdint>

#include "format/byte_stream.h"

namespace campdb {

class ReportStream;

class tPrelimData {
 public:
  tPrelimData() = default;
  explicit tPrelimData(ByteReader& in);
  void Write(ByteWriter& out) const;
  void Report(ReportStream& out) const;

  // Save format version: four raw bytes, printed as characters.
  std::array<uint8_t, 4> saveVersion{};
  // Number of records after the header: campaign, map, political record,
  // every hex and every misc object.
  int32_t objectCount = 0;
  // Last object id the server handed out; never changed by the tool.
  int32_t lastObjectId = 0;
};

}  // namespace campdb
