// --clean and --report against the interactive Clean and Report, on every
// sample and every saved input the loader was once fuzzed with: the same
// exit status, and byte for byte the same database, info files and report
// (or the same absence of them).
#include <gtest/gtest.h>

#include <functional>

#include "driver/scratch.h"
#include "format/layout_detection.h"

namespace campdb::testing {
namespace {

const fs::path kSource = CAMPDB_SOURCE_DIR;

std::vector<fs::path> Inputs() {
  std::vector<fs::path> inputs;
  for (const auto& entry : fs::directory_iterator(kSource / "examples")) {
    if (entry.path().extension() == ".db") inputs.push_back(entry.path());
  }
  for (const auto& entry : fs::directory_iterator(kSource / "tests" / "regressions" / "load_database")) {
    inputs.push_back(entry.path());
  }
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

// What a run left: its status and every file it made, with its bytes.
std::string Outcome(const ToolRun& run, const ScratchFolder& folder) {
  std::string outcome = "status " + std::to_string(run.status) + "\n";
  for (const std::string& name : folder.Names()) {
    const std::string bytes = ReadFile(name).value_or("?");
    if (name != "in.db") outcome += name + ": " + std::to_string(std::hash<std::string>{}(bytes)) + "\n";
  }
  return outcome;
}

class BatchJobs : public ::testing::TestWithParam<fs::path> {};

TEST_P(BatchJobs, WriteWhatTheInteractiveRunsWrite) {
  const std::string bytes = *ReadFile(GetParam());
  const auto verdict = DetectLayout({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
  const bool ostrel = verdict.layout && IsOstrel(*verdict.layout);
  const std::string answer = ostrel ? "y\n" : "n\n";
  const std::string layout = ostrel ? "ostrel" : "base";
  struct Pair {
    std::vector<std::string> interactive;
    std::string answers;
    std::vector<std::string> action;
  };
  const Pair pairs[] = {
      {{"in.db", "-", "out.db"}, answer + "C\n", {"--clean", "--quiet", "--layout", layout, "in.db", "out.db"}},
      {{"in.db", "report.txt"}, answer + "R\n", {"--report", "--layout", layout, "in.db", "report.txt"}},
  };
  for (const Pair& pair : pairs) {
    SCOPED_TRACE(pair.action[0]);
    std::string outcomes[2];
    for (int i = 0; i < 2; ++i) {
      ScratchFolder folder;
      WriteFile("in.db", bytes);
      const ToolRun run = RunTool(i == 0 ? pair.interactive : pair.action, i == 0 ? pair.answers : "");
      outcomes[i] = Outcome(run, folder);
      if (i == 1) {
        EXPECT_EQ(run.transcript, "");
      }
    }
    // Clean writes nothing from a damaged database, whichever way it runs.
    if (pair.action[0] == "--clean" && outcomes[0].starts_with("status 3\n")) outcomes[0] = "status 3\n";
    EXPECT_EQ(outcomes[1], outcomes[0]);
  }
  // The report on standard output is the report file.
  ScratchFolder folder;
  WriteFile("in.db", bytes);
  const ToolRun toFile = RunTool({"--report", "--layout", layout, "in.db", "report.txt"}, "");
  const ToolRun toOutput = RunTool({"--report", "--layout", layout, "in.db"}, "");
  EXPECT_EQ(toOutput.status, toFile.status);
  if (toFile.status != 1) {
    EXPECT_EQ(toOutput.transcript, ReadFile("report.txt").value_or(""));
  }
}

INSTANTIATE_TEST_SUITE_P(SamplesAndSavedInputs, BatchJobs, ::testing::ValuesIn(Inputs()),
                         [](const auto& info) {
                           std::string name = info.param.stem().string();
                           for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

}  // namespace
}  // namespace campdb::testing
