// Replays saved fuzz inputs, kept in tests/regressions/<target>/ in the
// targets' own input layout, through the very paths the targets run: a
// database input is reported on and cleaned; an edit input drives the edit
// menu on a sample database with its own shiplist. The folders hold hostile
// inputs of the kinds the targets must survive (counts and sizes of 2^31, a
// file cut inside an object, a shiplist cut inside a line, the input ending
// inside a dialogue), and any input a target has failed on, minimised with
// -minimize_crash=1 and named after what it does. Each must run to the end,
// and an edit must leave every declared size counting its object.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "driver/scratch.h"
#include "support/hostile_runs.h"

namespace campdb::testing {
namespace {

std::vector<fs::path> RegressionInputs(const std::string& target) {
  std::vector<fs::path> inputs;
  const fs::path folder = fs::path(CAMPDB_SOURCE_DIR) / "tests" / "regressions" / target;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file()) inputs.push_back(entry.path());
  }
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

std::string Source(const std::string& relative) {
  return ReadFile(fs::path(CAMPDB_SOURCE_DIR) / relative).value_or("");
}

TEST(FuzzRegressions, DatabaseInputsLoadReportAndClean) {
  ScratchFolder folder;
  const auto inputs = RegressionInputs("load_database");
  EXPECT_FALSE(inputs.empty());
  for (const fs::path& path : inputs) {
    SCOPED_TRACE(path.filename().string());
    const std::string bytes = ReadFile(path).value_or("");
    const hostile::DatabaseInput input = hostile::SplitDatabaseInput(hostile::AsBytes(bytes));
    const hostile::Outcome report = hostile::Report(input.variant, input.file);
    EXPECT_NE(report.console.find("finished reading political data\n"), std::string::npos);
    const hostile::Outcome clean = hostile::Clean(input.variant, input.file);
    EXPECT_NE(clean.console.find("After cleaning thinks there are "), std::string::npos);
    EXPECT_FALSE(clean.written.empty());
  }
}

TEST(FuzzRegressions, EditInputsKeepDeclaredSizes) {
  ScratchFolder folder;
  const std::string base = Source("examples/sample-base.db");
  const std::string ostrel = Source("examples/sample-ostrel.db");
  ASSERT_FALSE(base.empty());
  ASSERT_FALSE(ostrel.empty());
  const auto inputs = RegressionInputs("edit_session");
  EXPECT_FALSE(inputs.empty());
  for (const fs::path& path : inputs) {
    SCOPED_TRACE(path.filename().string());
    const std::string bytes = ReadFile(path).value_or("");
    const hostile::Outcome outcome = hostile::RunEditInput(hostile::AsBytes(bytes), base, ostrel);
    EXPECT_TRUE(outcome.sizesConsistent);
    EXPECT_FALSE(outcome.written.empty());
  }
}

}  // namespace
}  // namespace campdb::testing
