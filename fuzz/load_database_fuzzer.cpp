// Feeds arbitrary bytes to the tool as a campaign database: the first byte
// picks the layout, the rest is the file. Each input is written to in.db in
// the working folder, then the tool's entry point reports on it and cleans
// it, its outputs going to /dev/null. Run it from a scratch folder.
#include <cstddef>
#include <cstdint>
#include <span>

#include "support/hostile_runs.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  campdb::hostile::PrepareWorkingFolder();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  campdb::hostile::RunDatabaseInput(std::span<const uint8_t>(data, size));
  return 0;
}
