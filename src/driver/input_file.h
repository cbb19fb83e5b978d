// Reading the input database into memory, whole, before any of it is parsed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "format/run_settings.h"

namespace campdb {

// The whole input database, with the identity of the file it came from.
struct InputImage {
  std::unique_ptr<uint8_t[]> data;
  size_t size = 0;
  FileIdentity identity;

  std::span<const uint8_t> Bytes() const { return {data.get(), size}; }

  // Gives the memory of the first `count` bytes back to the system, in
  // whole pages; they must not be read again (they would read as zeros).
  // The image keeps its size, and the bytes after them are untouched.
  void Discard(size_t count);

 private:
  size_t discarded_ = 0;  // bytes from data on whose pages have been given back
};

// Reads the named file whole. Empty when it cannot be opened or read, or is
// a folder; `error`, when given, then receives the system's error number
// (EISDIR for a folder, EFBIG for a stream past the bound). A regular file
// is read whole, however large, straight into one buffer of its size; a
// pipe or device is read up to a generous bound, so that one that never
// ends (/dev/zero) is refused rather than read until memory runs out.
std::optional<InputImage> ReadInputImage(const std::string& name, int* error = nullptr);

}  // namespace campdb
