// Feeds arbitrary bytes to the edit menu as the operator's standard input,
// on one of the two sample databases, with a shiplist file whose bytes also
// come from the input (see SplitEditInput for the layout of an input). After
// the session the database is written in memory, and every object's declared
// size must still count the bytes written for it. The shiplist and the
// campaign info files are written to the working folder: run it from a
// scratch folder.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#include "support/hostile_runs.h"

namespace {

std::string baseSample;
std::string ostrelSample;

// The samples are read once.
std::string ReadSample(const char* name) {
  const std::string path = std::string(CAMPDB_EXAMPLES_DIR) + "/" + name;
  std::string bytes = campdb::hostile::ReadWholeFile(path);
  if (bytes.empty()) {
    std::fprintf(stderr, "cannot read the sample database %s\n", path.c_str());
    std::abort();
  }
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  baseSample = ReadSample("sample-base.db");
  ostrelSample = ReadSample("sample-ostrel.db");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto outcome =
      campdb::hostile::RunEditInput(std::span<const uint8_t>(data, size), baseSample, ostrelSample);
  if (!outcome.sizesConsistent) {
    std::fprintf(stderr, "an object's declared size no longer counts its bytes\n");
    std::abort();
  }
  return 0;
}
