// Every framed record begins with its declared size twice and its class tag.
// Declared sizes are int32 words in the file; edits add length differences
// to them with two's complement wrap-around, never undefined overflow.
#pragma once

#include <cstdint>

#include "format/byte_stream.h"

namespace campdb {

inline int32_t AddToSize(int32_t size, int64_t delta) {
  return static_cast<int32_t>(static_cast<uint32_t>(size) + static_cast<uint32_t>(static_cast<uint64_t>(delta)));
}

// Writes the two declared-size words and the class tag.
inline void WriteFrame(ByteWriter& out, int32_t size, int32_t size2, const CountedString& tag) {
  WriteInt32(out, size);
  WriteInt32(out, size2);
  WriteCountedString(out, tag);
}

}  // namespace campdb
