#include "format/text_store.h"

#include <algorithm>
#include <cstring>

namespace campdb {

std::span<uint8_t> TextStore::Take(size_t size) {
  if (size == 0) return {};
  if (size > kBlockSize / 4) {
    large_.push_back(std::make_unique_for_overwrite<uint8_t[]>(size));
    largeSizes_.push_back(size);
    return {large_.back().get(), size};
  }
  if (blockSize_ - blockUsed_ < size) {
    // Blocks start small and grow, so that a store that keeps a few texts
    // holds little memory.
    blockSize_ = blocks_.empty() ? kFirstBlockSize : std::min(kBlockSize, blockSize_ * 2);
    // A piece larger than the block size reached so far gets a block that
    // holds it.
    blockSize_ = std::max(blockSize_, size);
    blocks_.push_back(std::make_unique_for_overwrite<uint8_t[]>(blockSize_));
    blockSizes_.push_back(blockSize_);
    blockUsed_ = 0;
  }
  uint8_t* piece = blocks_.back().get() + blockUsed_;
  blockUsed_ += size;
  return {piece, size};
}

Text TextStore::Keep(std::string_view bytes) {
  const std::span<uint8_t> piece = Take(bytes.size());
  if (!piece.empty()) std::memcpy(piece.data(), bytes.data(), bytes.size());
  return {reinterpret_cast<const char*>(piece.data()), piece.size()};
}

std::span<uint8_t> TextStore::Fresh(size_t size, uint8_t fill) {
  const std::span<uint8_t> piece = Take(size);
  if (!piece.empty()) std::memset(piece.data(), fill, size);
  return piece;
}

bool TextStore::Holds(std::string_view bytes) const {
  const auto at = reinterpret_cast<uintptr_t>(bytes.data());
  const auto within = [&](const std::unique_ptr<uint8_t[]>& piece, size_t size) {
    const auto begin = reinterpret_cast<uintptr_t>(piece.get());
    return at >= begin && at + bytes.size() <= begin + size;
  };
  for (size_t i = 0; i < blocks_.size(); ++i) {
    if (within(blocks_[i], blockSizes_[i])) return true;
  }
  for (size_t i = 0; i < large_.size(); ++i) {
    if (within(large_[i], largeSizes_[i])) return true;
  }
  return false;
}

}  // namespace campdb
