// What the fuzz targets share: the check that stops a run where a property
// fails, and a database whose input bytes are a copy of the fuzzer's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "format/database.h"

namespace campdb_fuzz {

inline void Expect(bool holds) {
  if (!holds) __builtin_trap();
}

inline void SetSource(campdb::Database& db, const uint8_t* data, size_t size) {
  db.source.data = std::make_unique<uint8_t[]>(size);
  if (size > 0) std::memcpy(db.source.data.get(), data, size);
  db.source.size = size;
}

}  // namespace campdb_fuzz
