// Feeds arbitrary bytes to the edit menu as the operator's standard input,
// on one of the two sample databases, with a shiplist file whose bytes also
// come from the input (see RunEditInput for the layout of an input), through
// the tool's entry point. Every record of the out.db the session writes must
// take exactly the bytes its declared size counts. The shiplist and out.db
// are written to the working folder: run it from a scratch folder.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#include "support/hostile_runs.h"

namespace {

const std::string kBaseSample = std::string(CAMPDB_EXAMPLES_DIR) + "/sample-base.db";
const std::string kOstrelSample = std::string(CAMPDB_EXAMPLES_DIR) + "/sample-ostrel.db";

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  for (const std::string& sample : {kBaseSample, kOstrelSample}) {
    if (campdb::hostile::ReadWholeFile(sample).empty()) {
      std::fprintf(stderr, "cannot read the sample database %s\n", sample.c_str());
      std::abort();
    }
  }
  campdb::hostile::PrepareWorkingFolder();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto outcome =
      campdb::hostile::RunEditInput(std::span<const uint8_t>(data, size), kBaseSample, kOstrelSample);
  if (outcome.written.empty() || !outcome.sizesHold) {
    std::fprintf(stderr, "the database written no longer frames: a declared size does not count its bytes\n");
    std::abort();
  }
  return 0;
}
