// Feeds arbitrary bytes to the option command line and to the batch jobs.
// The input's lines are a command line for the option parser, which must
// give either a request its action can run or one error line. The same
// bytes are then a database for --clean and --report, run through the
// tool's entry point; --clean must write its output exactly when it says
// it did (status 0), and every status must be one of the four.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "driver/actions.h"
#include "driver/driver.h"
#include "support/hostile_runs.h"

#include "fuzz_support.h"

namespace {

using campdb_fuzz::Expect;
int Run(std::vector<std::string> args) {
  args.insert(args.begin(), "campdb");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
  const int status = campdb::RunProgram(static_cast<int>(argv.size()), argv.data(), in, out, err);
  Expect(err.str().empty() || err.str().starts_with("campdb: "));
  return status;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> args;
  for (size_t at = 0; at < bytes.size() && args.size() < 16;) {
    const size_t end = std::min(bytes.find('\n', at), bytes.size());
    args.emplace_back(bytes.substr(at, end - at));
    at = end + 1;
  }
  const campdb::ParsedOptions parsed = campdb::ParseOptions(args);
  Expect(parsed.error.find('\n') == std::string::npos);
  Expect(!parsed.error.empty() || parsed.request.help || parsed.request.version ||
         parsed.request.action != campdb::Action::None);

  static const bool prepared = (campdb::hostile::PrepareWorkingFolder(), true);
  (void)prepared;
  campdb::hostile::WriteWholeFile("fuzz.db", bytes);
  ::unlink("clean.db");
  const int cleaned = Run({"--clean", "--quiet", "--no-info", "fuzz.db", "clean.db"});
  Expect(cleaned >= 0 && cleaned <= 3);
  Expect((cleaned == 0) == (::access("clean.db", F_OK) == 0));
  const int reported = Run({"--report", "fuzz.db", "/dev/null"});
  Expect(reported >= 0 && reported <= 3);
  return 0;
}
