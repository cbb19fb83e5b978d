// Helpers of the campaign editor that other code may share.
#pragma once

#include <cstdint>
#include <string_view>

#include "format/byte_stream.h"

namespace campdb {

// Replaces the bytes of `field` with the zero-terminated `text` (the bytes up
// to its first zero byte, all of it when it holds none) and returns the new
// length minus the old one, the change in the record's byte count.
int64_t ReplaceCountedString(CountedString& field, std::string_view text);

}  // namespace campdb
