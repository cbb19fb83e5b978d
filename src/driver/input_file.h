// Reading the input database into memory, whole, before any of it is parsed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "format/run_settings.h"

namespace campdb {

// The whole input database, with the identity of the file it came from.
struct InputImage {
  std::vector<uint8_t> bytes;
  FileIdentity identity;
};

// Reads the named file whole. Empty when it cannot be opened or read, or is
// a folder. A regular file is read whole, however large; a pipe or device is
// read up to a generous bound, so that one that never ends (/dev/zero) is
// refused rather than read until memory runs out.
std::optional<InputImage> ReadInputImage(const std::string& name);

}  // namespace campdb
