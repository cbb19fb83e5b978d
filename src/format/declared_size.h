// Declared sizes are int32 words in the file; edits add length differences
// to them with two's complement wrap-around, never undefined overflow.
#pragma once

#include <cstdint>

namespace campdb {

inline int32_t AddToSize(int32_t size, int64_t delta) {
  return static_cast<int32_t>(static_cast<uint32_t>(size) + static_cast<uint32_t>(static_cast<uint64_t>(delta)));
}

}  // namespace campdb
