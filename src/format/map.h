// The map record, which gives the map's dimensions, and the hex records that
// follow it in the file, row by row: the hex at (row, column) is hex number
// row * columns + column.
#pragma once

#include <array>
#include <cstdint>

#include "format/byte_stream.h"

namespace campdb {

class ReportStream;
class Console;

class tMapObject {
 public:
  tMapObject() = default;
  explicit tMapObject(ByteReader& in);
  void Write(ByteWriter& out) const;
  void Report(ReportStream& out, int64_t hexCount) const;

  // columns * rows, exact; 0 when it is negative.
  int64_t HexesAnnounced() const;

  int32_t declaredSize = 0;
  int32_t declaredSize2 = 0;
  CountedString classTag;
  int32_t leadWord = 0;              // uninterpreted
  std::array<uint8_t, 6> leadRun{};  // uninterpreted
  int32_t idWord = 0;                // uninterpreted
  int32_t unknown1 = 0;              // printed by the report only
  int32_t columns = 0;
  int32_t rows = 0;
  std::string tail;
};

class tMapHex {
 public:
  tMapHex() = default;
  explicit tMapHex(ByteReader& in);
  void Write(ByteWriter& out) const;
  void Report(ReportStream& out) const;
  // Shows the hex's menu, performs at most one change and returns.
  void Edit(Console& console);

  int32_t declaredSize = 0;
  int32_t declaredSize2 = 0;
  CountedString classTag;
  int32_t leadWord = 0;              // uninterpreted
  std::array<uint8_t, 6> leadRun{};  // uninterpreted
  int32_t idWord = 0;                // uninterpreted
  std::array<uint8_t, 9> hexRun{};   // uninterpreted
  int32_t hexX = 0;
  int32_t hexY = 0;
  // The nine uninterpreted words only the Ostrel layout stores (zero in the
  // base layout), in file order: two after hexY, one before cartelRace, two
  // after econCurrent, one before cartelDvMax, two after it, one before
  // cartelDvCurrent.
  std::array<int32_t, 9> ostrelWords{};
  int32_t ownerRace = 0;
  // Cartel fields: stored in the Ostrel layout, derived in the base layout.
  int32_t cartelRace = 0;
  int32_t terrain = 0;
  int32_t planet = 0;
  int32_t base = 0;
  int32_t econMax = 0;
  int32_t econCurrent = 0;
  int32_t dvMax = 0;
  int32_t cartelDvMax = 0;
  int32_t dvCurrent = 0;
  int32_t cartelDvCurrent = 0;
  // Kept verbatim; the barrier command clears them.
  std::array<int32_t, 4> trailingWords{};
  std::string tail;
};

}  // namespace campdb
