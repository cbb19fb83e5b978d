// Feeds arbitrary bytes to the tool as a campaign database: the first byte
// picks the layout, the rest is the file. Each input is loaded and reported
// on, then loaded again, cleaned and written, all in memory. The campaign
// info files are written to the working folder: run it from a scratch
// folder.
#include <cstddef>
#include <cstdint>
#include <span>

#include "support/hostile_runs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  campdb::hostile::RunDatabaseInput(std::span<const uint8_t>(data, size));
  return 0;
}
