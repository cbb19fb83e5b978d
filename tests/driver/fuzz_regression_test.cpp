// Replays saved fuzz inputs, kept in tests/regressions/<target>/ in the
// targets' own input layout, through the very runs the targets make: a
// database input is reported on and cleaned; an edit input drives the edit
// menu on a sample database with its own shiplist. The folders hold hostile
// inputs of the kinds the targets must survive (counts and sizes of 2^31, a
// file cut inside an object, a shiplist cut inside a line, the input ending
// inside a dialogue), and any input a target has failed on, minimised with
// -minimize_crash=1 and named after what it does. Each must run to the end,
// and an edit must leave every declared size counting its record.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "driver/scratch.h"
#include "support/db_builder.h"
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

const std::string kTearDownEnd = "== finished tPrelimData ==\n";

TEST(FuzzRegressions, DatabaseInputsAreReportedOnAndCleaned) {
  ScratchFolder folder;
  hostile::PrepareWorkingFolder();
  const auto inputs = RegressionInputs("load_database");
  EXPECT_FALSE(inputs.empty());
  for (const fs::path& path : inputs) {
    SCOPED_TRACE(path.filename().string());
    const std::vector<hostile::Outcome> runs = hostile::RunDatabaseInput(hostile::AsBytes(ReadFile(path).value_or("")));
    ASSERT_EQ(runs.size(), 2u);
    // A layout the bytes contradict produces nothing (status 1).
    if (runs[0].status != 1) {
      EXPECT_NE(runs[0].transcript.find("finished with input file\nnow generating report\n"), std::string::npos);
      EXPECT_NE(runs[1].transcript.find("After cleaning thinks there are "), std::string::npos);
    }
    for (const hostile::Outcome& run : runs) {
      EXPECT_TRUE(run.status == 0 || run.status == 1 || run.status == 3) << run.status;
      EXPECT_TRUE(run.transcript.ends_with(kTearDownEnd));
    }
  }
}

TEST(FuzzRegressions, EditInputsKeepDeclaredSizes) {
  ScratchFolder folder;
  hostile::PrepareWorkingFolder();
  const fs::path examples = fs::path(CAMPDB_SOURCE_DIR) / "examples";
  const auto inputs = RegressionInputs("edit_session");
  EXPECT_FALSE(inputs.empty());
  for (const fs::path& path : inputs) {
    SCOPED_TRACE(path.filename().string());
    const hostile::EditOutcome outcome = hostile::RunEditInput(
        hostile::AsBytes(ReadFile(path).value_or("")), examples / "sample-base.db", examples / "sample-ostrel.db");
    EXPECT_EQ(outcome.run.status, 0);
    EXPECT_FALSE(outcome.written.empty());
    EXPECT_TRUE(outcome.sizesHold);
  }
}

// The check itself: a record whose declared size counts a byte more than
// it holds is seen, in the fixed records and among the misc objects.
TEST(FuzzRegressions, TheSizeCheckSeesARecordThatMiscountsItsBytes) {
  testdb::Database db;
  db.SetGrid(2, 1);
  db.Add(testdb::News{});
  testdb::Ship ship;
  ship.objectId = 5;
  db.Add(ship);
  EXPECT_TRUE(hostile::DeclaredSizesHold(testdb::ToBytes(db, testdb::Layout::Base), Layout::Base));
  EXPECT_TRUE(hostile::DeclaredSizesHold(testdb::ToBytes(db, testdb::Layout::Ostrel), Layout::Ostrel));

  testdb::Database miscounted = db;
  testdb::News news;
  news.frame.size = static_cast<int32_t>(testdb::ToBytes(news).size() - 8 + 1);
  miscounted.objects[0] = testdb::ToBytes(news);
  EXPECT_FALSE(hostile::DeclaredSizesHold(testdb::ToBytes(miscounted, testdb::Layout::Base), Layout::Base));

  miscounted = db;
  miscounted.campaign.frame.size = static_cast<int32_t>(testdb::ToBytes(db.campaign, testdb::Layout::Base).size() - 8 - 1);
  EXPECT_FALSE(hostile::DeclaredSizesHold(testdb::ToBytes(miscounted, testdb::Layout::Base), Layout::Base));
}

}  // namespace
}  // namespace campdb::testing
