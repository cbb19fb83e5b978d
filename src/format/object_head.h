// The head every framed record begins with: its declared size twice, its
// class tag, and the three words that open every body.
#pragma once

#include <array>
#include <cstdint>

#include "format/byte_stream.h"

namespace campdb {

// Declared sizes are int32 words in the file; edits add length differences
// to them with two's complement wrap-around, never undefined overflow.
inline int32_t AddToSize(int32_t size, int64_t delta) {
  return static_cast<int32_t>(static_cast<uint32_t>(size) + static_cast<uint32_t>(static_cast<uint64_t>(delta)));
}

struct ObjectHead {
  // The bytes after the two size words: the tag's length word and bytes,
  // then the body. The campaign, map, hex and political records keep both
  // words as read, even when they differ; a misc object whose words differ
  // is not loaded, so its two copies are always equal.
  int32_t declaredSize = 0;
  int32_t declaredSize2 = 0;
  // The class tag as read for the campaign, map, hex and political records;
  // the canonical tag of its kind for a misc object, which is written back
  // with that tag whatever its closing bytes were.
  Text tag;
  int32_t leadWord = 0;              // uninterpreted
  std::array<uint8_t, 6> leadRun{};  // uninterpreted
  // The record's identity. The map and hex records hold a word here too,
  // which nothing uses.
  int32_t objectId = 0;

  // Adds a change in the record's byte count to both size copies, so that
  // the size written still counts the bytes that follow it.
  void AdjustDeclaredSize(int64_t delta) {
    declaredSize = AddToSize(declaredSize, delta);
    declaredSize2 = AddToSize(declaredSize2, delta);
  }
};

}  // namespace campdb
