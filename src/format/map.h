// The map record, which gives the map's dimensions, and the hex records that
// follow it in the file, row by row: the hex at (row, column) is hex number
// row * columns + column.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "format/byte_stream.h"
#include "format/layout.h"
#include "format/object_head.h"

namespace campdb {

struct tMapObject {
  static constexpr std::string_view kClassTag = ".?AVtMapObject@@";

  ObjectHead head;
  int32_t unknown1 = 0;  // printed by the report only
  int32_t columns = 0;
  int32_t rows = 0;
  Text tail;

  // columns * rows, exact; 0 when it is negative.
  int64_t HexesAnnounced() const {
    const int64_t count = int64_t{columns} * rows;
    return count < 0 ? 0 : count;
  }

  template <class Io>
  void Fields(Io& io, Layout /*layout*/) {
    io.Head(head);
    io.Int32("unknown1", unknown1);
    io.Int32("columns", columns);
    io.Int32("rows", rows);
    io.Tail(tail);
  }
};

struct tMapHex {
  static constexpr std::string_view kClassTag = ".?AVtMapHex@@";

  ObjectHead head;
  std::array<uint8_t, 9> hexRun{};  // uninterpreted
  int32_t hexX = 0;
  int32_t hexY = 0;
  int32_t ownerRace = 0;
  int32_t terrain = 0;
  int32_t planet = 0;
  int32_t base = 0;
  int32_t econMax = 0;
  int32_t econCurrent = 0;
  int32_t dvMax = 0;
  int32_t dvCurrent = 0;
  // Kept verbatim; the barrier command clears them.
  std::array<int32_t, 4> trailingWords{};
  // Stored only in the Ostrel layout: the cartel in the hex and its
  // defences, and nine uninterpreted words, named after their places.
  int32_t cartelRace = 0;
  int32_t cartelDvMax = 0;
  int32_t cartelDvCurrent = 0;
  std::array<int32_t, 9> ostrelWords{};
  Text tail;

  template <class Io>
  void Fields(Io& io, Layout layout) {
    const bool ostrel = IsOstrel(layout);
    io.Head(head);
    io.Run("hexRun", hexRun);
    io.Int32("hexX", hexX);
    io.Int32("hexY", hexY);
    if (ostrel) {
      io.Int32("ostrelWord1", ostrelWords[0]);
      io.Int32("ostrelWord2", ostrelWords[1]);
    }
    io.Int32("ownerRace", ownerRace);
    if (ostrel) {
      io.Int32("ostrelWord3", ostrelWords[2]);
      io.Int32("cartelRace", cartelRace);
    }
    io.Int32("terrain", terrain);
    io.Int32("planet", planet);
    io.Int32("base", base);
    io.Int32("econMax", econMax);
    io.Int32("econCurrent", econCurrent);
    if (ostrel) {
      io.Int32("ostrelWord4", ostrelWords[3]);
      io.Int32("ostrelWord5", ostrelWords[4]);
    }
    io.Int32("dvMax", dvMax);
    if (ostrel) {
      io.Int32("ostrelWord6", ostrelWords[5]);
      io.Int32("cartelDvMax", cartelDvMax);
      io.Int32("ostrelWord7", ostrelWords[6]);
      io.Int32("ostrelWord8", ostrelWords[7]);
    }
    io.Int32("dvCurrent", dvCurrent);
    if (ostrel) {
      io.Int32("ostrelWord9", ostrelWords[8]);
      io.Int32("cartelDvCurrent", cartelDvCurrent);
    }
    io.Int32("trailingWord1", trailingWords[0]);
    io.Int32("trailingWord2", trailingWords[1]);
    io.Int32("trailingWord3", trailingWords[2]);
    io.Int32("trailingWord4", trailingWords[3]);
    io.Tail(tail);
  }
};

// The cartel of a hex. The base layout stores none: an empire's cartel is its
// code + 8, every other owner's is 23, and the cartel's defences are the
// hex's own.
inline int32_t CartelRaceOf(const tMapHex& hex, Layout layout) {
  if (IsOstrel(layout)) return hex.cartelRace;
  return hex.ownerRace >= 8 ? 23 : hex.ownerRace + 8;
}
inline int32_t CartelDvMaxOf(const tMapHex& hex, Layout layout) {
  return IsOstrel(layout) ? hex.cartelDvMax : hex.dvMax;
}
inline int32_t CartelDvCurrentOf(const tMapHex& hex, Layout layout) {
  return IsOstrel(layout) ? hex.cartelDvCurrent : hex.dvCurrent;
}

}  // namespace campdb
