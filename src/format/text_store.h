// Storage for the texts and byte runs of a database that did not come from
// its input: what an editor puts in place of a name, a ship's systems block
// once it is edited, everything a restored dump holds. Pieces are never
// moved or freed before the store itself, so views of them stay valid as
// long as the database that owns the store.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "format/byte_stream.h"

namespace campdb {

class TextStore {
 public:
  TextStore() = default;
  TextStore(const TextStore&) = delete;
  TextStore& operator=(const TextStore&) = delete;
  TextStore(TextStore&&) = default;
  TextStore& operator=(TextStore&&) = default;

  // A copy of `bytes` that lives as long as the store.
  Text Keep(std::string_view bytes);
  // `size` new bytes, all `fill`, to be written by the caller.
  std::span<uint8_t> Fresh(size_t size, uint8_t fill = 0);
  // Whether `bytes` lie in the store.
  bool Holds(std::string_view bytes) const;

 private:
  // Small pieces are cut from blocks of up to this size; larger ones get
  // their own.
  static constexpr size_t kFirstBlockSize = 1024;
  static constexpr size_t kBlockSize = size_t{64} << 10;

  std::span<uint8_t> Take(size_t size);

  std::vector<std::unique_ptr<uint8_t[]>> blocks_;  // the last one is being filled
  std::vector<size_t> blockSizes_;
  size_t blockSize_ = 0;
  size_t blockUsed_ = 0;
  std::vector<std::unique_ptr<uint8_t[]>> large_;
  std::vector<size_t> largeSizes_;
};

}  // namespace campdb
